#include <cmath>
#include <cstring>

#include "dsp/fmaths/extended_steps.h"
#include "dsp/quantiser/hann_window_bits.h"
#include "dsp/quantiser/quantiser.h"

namespace vorel {

static_assert(TQuantiser::kFrameLength == kHannWindowLength, "one window length");

// Symmetric Hann window: the denominator is length - 1, formed as a float, so
// both ends are exactly 0.0. The angle and cosine are carried in extended
// precision and each value is rounded once to float. Without x87 the same
// floats come from the table.
void MakeHannWindow(float* target) {
#if VOREL_X87_STEPS
  [[maybe_unused]] const TExtendedScope scope;
  const float denominator = static_cast<float>(kHannWindowLength - 1);
  const long double twoPi = 2.0L * 3.141592653589793238462643383279502884L;
  for (int32_t i = 0; i < kHannWindowLength; ++i) {
    target[i] = static_cast<float>(0.5L - 0.5L * std::cos(twoPi * i / denominator));
  }
#else
  constexpr int32_t kHalf = kHannWindowLength / 2;
  static_assert(sizeof kHannHalfWindowBits == kHalf * sizeof(float), "half a window");
  std::memcpy(target, kHannHalfWindowBits, sizeof kHannHalfWindowBits);
  for (int32_t i = 0; i < kHalf; ++i) {
    std::memcpy(target + kHannWindowLength - 1 - i, kHannHalfWindowBits + i, sizeof(float));
  }
#endif
}

}  // namespace vorel
