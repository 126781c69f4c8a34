#include "quantiser/bin_walk.h"

#include <cstring>

namespace vorel {

namespace {

constexpr int32_t kPairs = 512;

// Smallest counter value that reaches a constant threshold t; a counter
// never exceeds kPairs within a walk, so kPairs + 1 means "never". The
// comparison counter >= t is false for a NaN t.
int32_t FirstReachingCount(long double t) {
  if (!(t <= kPairs)) return kPairs + 1;  // NaN, +inf or beyond the walk
  if (t <= 1.0L) return 1;
  int32_t k = static_cast<int32_t>(t);  // 1 < t <= 512: in range
  if (k < t) ++k;
  return k;
}

void StorePair(float* heldSpectrum, int32_t p, const THeldPair& held) {
  std::memcpy(heldSpectrum + p, &held.Real, sizeof held.Real);
  std::memcpy(heldSpectrum + p + kPairs, &held.Imag, sizeof held.Imag);
}

void CapturePair(const float* spectrum, int32_t p, uint32_t mask, THeldPair& held) {
  std::memcpy(&held.Real, spectrum + p, sizeof held.Real);
  std::memcpy(&held.Imag, spectrum + p + kPairs, sizeof held.Imag);
  held.Real ^= mask;
  held.Imag ^= mask;
}

}  // namespace

// The threshold is HoldLength x HoldScale (x step / 512 in a ramp), an exact
// product in extended precision; the counter is compared with it after the
// pair of the step has been written, so a step never writes its own capture.
void WalkSpectrum(const TWalkSettings& s, const float* spectrum, float* heldSpectrum,
                  THeldPair& held) {
  const long double lengthScale = static_cast<long double>(s.HoldLength) * s.HoldScale;
  const int32_t constantReach = FirstReachingCount(lengthScale);
  int32_t counter = 0;
  for (int32_t i = 0; i < kPairs; ++i) {
    const int32_t p = s.Downward ? kPairs - 1 - i : i;
    StorePair(heldSpectrum, p, held);
    ++counter;
    const bool capture = s.Ramp ? counter >= lengthScale * i / kPairs : counter >= constantReach;
    if (capture) {
      CapturePair(spectrum, p, s.BitMask, held);
      counter = 0;
    }
  }
}

}  // namespace vorel
