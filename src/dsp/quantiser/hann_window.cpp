#include <cmath>

#include "dsp/quantiser/quantiser.h"

namespace vorel {

// Symmetric Hann window: the denominator is length - 1, formed as a float, so
// both ends are exactly 0.0. The angle and cosine are carried in extended
// precision and each value is rounded once to float.
void MakeHannWindow(float* target, int32_t length) {
  const float denominator = static_cast<float>(length - 1);
  const long double twoPi = 2.0L * 3.141592653589793238462643383279502884L;
  for (int32_t i = 0; i < length; ++i) {
    target[i] = static_cast<float>(0.5L - 0.5L * std::cos(twoPi * i / denominator));
  }
}

}  // namespace vorel
