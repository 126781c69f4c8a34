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

// Fills heldSpectrum (1024 elements, pair p = elements p and p + 512) from
// spectrum, carrying held across. Pure bit-pattern moves: no float value is
// loaded or stored, so NaN payloads and subnormals pass unchanged.
void WalkSpectrum(const TWalkSettings& settings, const float* spectrum, float* heldSpectrum,
                  THeldPair& held);

}  // namespace vorel
