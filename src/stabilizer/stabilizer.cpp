#include "stabilizer/stabilizer.h"

namespace vorel {

// 1 - 250 / rate, both steps in extended precision and rounded once. At
// 125 Hz and below the formula gives a pole at or beyond -1 (a filter that
// never decays), and 0 Hz, negative and NaN rates give nothing usable, so
// those rates fall back to the plain first difference, as at 250 Hz.
void TStabilize::SetSampleRate(float rate) {
  if (rate > 125.0f) {
    const long double quotient = 250.0L / static_cast<long double>(rate);
    Coefficient = static_cast<float>(1.0L - quotient);
  } else {
    Coefficient = 0.0f;
  }
  SampleRate = rate;
}

void TStabilize::Process(float* buffer, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    // The clamp is written so that a NaN fails the lower test and becomes
    // -1; values inside the range keep their bits (-0.0 included).
    float x = buffer[i];
    if (x > 1.0f) {
      x = 1.0f;
    } else if (!(x >= -1.0f)) {
      x = -1.0f;
    }
    // Difference and product in extended precision (the product of two
    // floats is exact there), one rounding to float at the store.
    const long double difference =
        static_cast<long double>(x) - static_cast<long double>(PrevInput);
    const long double feedback = static_cast<long double>(Coefficient) *
                                 static_cast<long double>(PrevOutput);
    LastOutput = static_cast<float>(difference + feedback);
    PrevInput = x;
    PrevOutput = LastOutput;
    buffer[i] = LastOutput;
  }
}

}  // namespace vorel
