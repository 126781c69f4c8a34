#include "dsp/fmaths/largest_magnitude.h"

#include <cstdint>
#include <cstring>

namespace vorel {

namespace {

// For every number but a NaN, a larger magnitude has a larger bit pattern,
// so an integer maximum gives the float maximum, and one the compiler can
// take in vector registers, which a float maximum with its NaN rule is not.
// The plain maximum runs first; only when a NaN won it (a pattern above
// infinity's) is the block taken again with each NaN counted as 0. No
// library template here: the AVX builds must not emit a weak copy that the
// linker could pick for the plain code.
__attribute__((always_inline)) inline float LargestMagnitudeBody(const float* samples,
                                                                 std::size_t count) {
  constexpr int32_t kInfinity = 0x7f800000;
  int32_t largest = 0;
  for (std::size_t i = 0; i < count; ++i) {
    int32_t bits;
    std::memcpy(&bits, &samples[i], sizeof(bits));
    bits &= 0x7fffffff;
    largest = bits > largest ? bits : largest;
  }
  if (largest > kInfinity) {
    largest = 0;
    for (std::size_t i = 0; i < count; ++i) {
      int32_t bits;
      std::memcpy(&bits, &samples[i], sizeof(bits));
      bits &= 0x7fffffff;
      largest = bits > largest && bits <= kInfinity ? bits : largest;
    }
  }
  float peak;
  std::memcpy(&peak, &largest, sizeof(peak));
  return peak;
}

#if VOREL_X86_PATHS
__attribute__((target("avx512f"))) float LargestMagnitudeAvx512(const float* samples,
                                                                std::size_t count) {
  return LargestMagnitudeBody(samples, count);
}

__attribute__((target("avx2"))) float LargestMagnitudeAvx2(const float* samples,
                                                           std::size_t count) {
  return LargestMagnitudeBody(samples, count);
}
#endif

}  // namespace

float LargestMagnitude(const float* samples, std::size_t count) {
  return LargestMagnitudeBody(samples, count);
}

TLargestMagnitude ChooseLargestMagnitude(TFeatures features) {
#if VOREL_X86_PATHS
  const TFeatures supported = Supported(features);
  if (supported.Avx512) return LargestMagnitudeAvx512;
  if (supported.Avx2) return LargestMagnitudeAvx2;
#else
  static_cast<void>(features);
#endif
  return LargestMagnitude;
}

}  // namespace vorel
