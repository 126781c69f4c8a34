// The streaming spectral engine: frames of 1024 samples every 256, Hann
// windowed, transformed, walked (hold and bit-mask of spectral pairs),
// transformed back, matched in level to the input frame and overlap-added.
// The output is the input 1024 samples late, times Gain.
//
// Real-time promise: the constructor allocates every buffer; Process
// allocates nothing, takes no lock and makes no system call.
#pragma once

#include <cstdint>
#include <memory>

#include "dsp/fftreal/fftreal.h"
#include "dsp/fmaths/cpu_features.h"
#include "dsp/fmaths/x86_nan.h"
#include "dsp/quantiser/bin_walk.h"
#include "dsp/quantiser/overlap_add.h"

namespace vorel {

constexpr int32_t kHannWindowLength = 1024;

// Fills target[0 .. kHannWindowLength-1] with the symmetric Hann window
// 0.5 - 0.5 cos(2 pi i / (length - 1)), computed in extended precision and
// rounded once to float.
void MakeHannWindow(float* target);

class TQuantiser {
 public:
  static constexpr int32_t kFrameLength = 1024;
  static constexpr int32_t kHop = 256;
  static constexpr int32_t kFirstFifoPos = kFrameLength - kHop;

  // features chooses the transform's and the overlap-add's paths, once.
  explicit TQuantiser(TFeatures features = AvailableFeatures());
  TQuantiser(const TQuantiser&) = delete;
  TQuantiser& operator=(const TQuantiser&) = delete;

  // Consumes count input samples and writes count output samples. input and
  // output may be the same array: each input sample is read before the output
  // sample at the same index is written. A count of 0 or less does nothing.
  void Process(const float* input, float* output, int32_t count);

  // Back to the state of a new engine, parameters included, without
  // allocating: the stream restarts as if from construction.
  void Reset();

  // The latest frame's spectrum and its held and masked spectrum, pair p in
  // elements p and p + 512, for display; defined once FrameCount is above 0.
  const float* LatestSpectrum() const { return Spectrum.get(); }
  const float* LatestHeldSpectrum() const { return HeldSpectrum.get(); }
  // Frame steps since construction or Reset.
  uint64_t FrameCount() const { return Frames; }

  // Parameters, written directly by the owner between calls of Process.
  int32_t HoldLength = 0;          // base hold length in pairs
  float Gain = 0.0f;               // factor on every output sample
  uint8_t Direction = 0;           // nonzero: walk from pair 511 down to 0
  uint32_t BitMask = 0xffffffffu;  // XOR mask on both patterns of a captured pair
  float AmpModAmount = 0.0f;       // how far a loud frame shortens the hold
  uint8_t ProcessType = 0;         // nonzero: the hold threshold grows along the walk

 private:
  friend class TQuantiserTestAccess;  // read-only view of the frame state for tests

  void TakeRun(const float* input, float* output, int32_t run);
  void FrameStep();
  bool WindowFrame();
  float ComputeHoldScale(float inputSum) const;
  void WalkHeldPairs(float holdScale);
  static float SumMagnitudes(const float* frame);
  void SumMagnitudesSideBySide(float& inputSum, float& outputSum) const;
  static bool HasLevelToMatch(float inputSum, float outputSum);
  void AddFrameToOverlap(float levelRatio);
  void ShiftHop();

  uint32_t HeldImag = 0;                   // pattern for the second element of every pair
  uint32_t HeldReal = 0;                   // pattern for the first element of every pair
  std::unique_ptr<float[]> OverlapBuffer;  // 2048; 1024..2047 stay zero
  std::unique_ptr<float[]> InputFifo;      // the last 1024 input samples
  std::unique_ptr<float[]>
      OutputBlock;  // 0..255: the finished hop; 1024 by the engine's definition
  std::unique_ptr<float[]> AnalysisFrame;
  std::unique_ptr<float[]> SynthesisFrame;
  std::unique_ptr<float[]> Window;
  std::unique_ptr<float[]> Spectrum;
  std::unique_ptr<float[]> HeldSpectrum;
  std::unique_ptr<float[]> OverlapScratch;  // working space of the overlap-add
  int32_t FifoPos = kFirstFifoPos;
  uint64_t Frames = 0;
  std::unique_ptr<TFFTReal> FFT;
  TBinWalk BinWalk;  // keeps the walk's plan between frames
  TOverlapAdd OverlapAddPath;
};

}  // namespace vorel
