// The walk across the 512 spectral pairs of a frame: every pair receives the
// held pair, and at intervals set by the threshold a pair of the spectrum is
// captured, XORed with the bit mask, and becomes the held pair.
#pragma once

#include <cstdint>

namespace vorel {

// The pattern written into every pair until the next capture. It carries
// from one frame's walk into the next.
struct THeldPair {
  uint32_t Real = 0;  // first element of a pair (cosine part, or DC)
  uint32_t Imag = 0;  // second element (sine part, or Nyquist)
};

struct TWalkSettings {
  int32_t HoldLength = 0;
  float HoldScale = 1.0f;
  bool Downward = false;  // pairs 511 .. 0 instead of 0 .. 511
  bool Ramp = false;      // threshold grows with the step index
  uint32_t BitMask = 0;
};

// Walks a spectrum. Which pair each pair receives depends only on the hold
// threshold and the direction, so that plan is made once and kept until
// HoldLength, HoldScale, Direction or ProcessType changes; each walk is then
// one gather. No allocation: everything lives in the object.
class TBinWalk {
 public:
  static constexpr int32_t kPairs = 512;  // half a frame of the engine

  // Fills heldSpectrum (2 x kPairs elements, pair p = elements p and p + kPairs)
  // from spectrum, carrying held across. Pure bit-pattern moves: no float
  // value is loaded or stored, so NaN payloads and subnormals pass unchanged.
  void Walk(const TWalkSettings& settings, const float* spectrum, float* heldSpectrum,
            THeldPair& held);

 private:
  static constexpr int32_t kPrevious = kPairs;  // "the pair held before this walk"

  void Plan(const TWalkSettings& settings);

  bool Planned = false;
  TWalkSettings PlannedFor;
  void GatherPairs(const float* spectrum, const THeldPair& held, uint32_t mask,
                   float* heldSpectrum);
  void FillRuns(const float* spectrum, const THeldPair& held, uint32_t mask,
                float* heldSpectrum) const;
  void FillRunsOfFour(const float* spectrum, const THeldPair& held, uint32_t mask,
                      float* heldSpectrum) const;

  int32_t Source[kPairs] = {};  // for pair p: the pair of the spectrum it receives, or kPrevious
  int32_t LastCapture = kPrevious;
  bool ShiftsByOnePair = false;  // every step captures
  // The same plan as runs of neighbouring pairs that receive the same pair.
  int32_t RunCount = 0;
  int32_t RunFirst[kPairs] = {};
  int32_t RunLength[kPairs] = {};
  // Whether every run is four pairs long (run r is pairs 4r .. 4r + 3), as a
  // hold of four makes it; then the pair each run receives, pair 0 standing
  // in for the pair held before the walk, and the one run that receives that
  // pair, or -1.
  bool RunsOfFour = false;
  int32_t FourRunSource[kPairs / 4] = {};
  int32_t PreviousFourRun = -1;
  // The spectrum's two halves as patterns, each followed by the previous held one.
  uint32_t RealCandidates[kPairs + 1] = {};
  uint32_t ImagCandidates[kPairs + 1] = {};
};

}  // namespace vorel
