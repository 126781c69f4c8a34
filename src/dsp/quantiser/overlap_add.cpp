#include "dsp/quantiser/overlap_add.h"

#include <cmath>

#include "dsp/fmaths/extended_steps.h"
#include "dsp/fmaths/fmaths.h"

namespace vorel {

namespace {

// How far the double steps may stray, relative to |product| + |sum|.
constexpr double kOverlapAddMargin = 0x1p-52;

inline float ExtendedElement(float synthesis, float window, float levelRatio, float accumulator) {
  const TWide product = Widen(synthesis) * Widen(window) * Widen(levelRatio);
  return Narrow(product + Widen(accumulator));
}

}  // namespace

namespace {

// synthesis x window is exact in double (two 24-bit significands). Times the
// ratio and plus the accumulator, double rounds twice, each time by less
// than 2^-53 of the magnitude at that point; the extended rule rounds the
// same two steps by less than 2^-64. So both land within
// 2^-52 (|product| + |sum|) of the exact value, and when every value that
// close rounds to the same float, that float is the extended result. The
// first pass finds the float from double and keeps it where that test holds
// (it fails for NaN and infinity, whose payloads and signs the extended rule
// decides); the rare rest is computed by the rule itself.
__attribute__((always_inline)) inline void OverlapAddBody(const float* synthesis,
                                                          const float* window, float levelRatio,
                                                          float* accumulator, float* scratch,
                                                          int32_t count) {
  const double ratio = levelRatio;
  // Counting the elements that pass, not those that fail: a vector compare
  // gives the passing lanes, and their count needs no negation.
  int32_t decided = 0;
  for (int32_t i = 0; i < count; ++i) {
    const double product = static_cast<double>(synthesis[i]) * window[i] * ratio;
    const double sum = product + accumulator[i];
    const double margin = (std::fabs(product) + std::fabs(sum)) * kOverlapAddMargin;
    decided += RoundsAlikeWithin(sum, margin, scratch[i]) ? 1 : 0;
  }
  if (decided == count) {
    for (int32_t i = 0; i < count; ++i) accumulator[i] = scratch[i];
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    const double product = static_cast<double>(synthesis[i]) * window[i] * ratio;
    const double sum = product + accumulator[i];
    const double margin = (std::fabs(product) + std::fabs(sum)) * kOverlapAddMargin;
    accumulator[i] = RoundsAlikeWithin(sum, margin)
                         ? scratch[i]
                         : ExtendedElement(synthesis[i], window[i], levelRatio, accumulator[i]);
  }
}

#if VOREL_X86_PATHS
__attribute__((target("avx512f"))) void OverlapAddAvx512(const float* synthesis,
                                                         const float* window, float levelRatio,
                                                         float* accumulator, float* scratch,
                                                         int32_t count) {
  OverlapAddBody(synthesis, window, levelRatio, accumulator, scratch, count);
}

__attribute__((target("avx2"))) void OverlapAddAvx2(const float* synthesis, const float* window,
                                                    float levelRatio, float* accumulator,
                                                    float* scratch, int32_t count) {
  OverlapAddBody(synthesis, window, levelRatio, accumulator, scratch, count);
}
#endif

}  // namespace

void OverlapAdd(const float* synthesis, const float* window, float levelRatio, float* accumulator,
                float* scratch, int32_t count) {
  OverlapAddBody(synthesis, window, levelRatio, accumulator, scratch, count);
}

TOverlapAdd ChooseOverlapAdd(TFeatures features) {
#if VOREL_X86_PATHS
  const TFeatures supported = Supported(features);
  if (supported.Avx512) return OverlapAddAvx512;
  if (supported.Avx2) return OverlapAddAvx2;
#else
  static_cast<void>(features);
#endif
  return OverlapAdd;
}

}  // namespace vorel
