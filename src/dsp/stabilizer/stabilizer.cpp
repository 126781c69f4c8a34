#include "dsp/stabilizer/stabilizer.h"

#include "dsp/fmaths/extended_steps.h"
#include "dsp/fmaths/fmaths.h"

namespace vorel {

namespace {

// The clamp is written so that a NaN fails the lower test and becomes -1;
// values inside the range keep their bits (-0.0 included).
inline float Clamp(float x) {
  if (x > 1.0f) return 1.0f;
  if (!(x >= -1.0f)) return -1.0f;
  return x;
}

// The filter step as defined: difference and product in extended precision
// (the product of two floats is exact there), one rounding to float. Kept
// out of line so that the filter state of the double path stays in
// registers.
__attribute__((noinline)) float FilterExtended(float x, float prevInput, float coefficient,
                                               float prevOutput) {
  const TWide difference = Widen(x) - Widen(prevInput);
  const TWide feedback = Widen(coefficient) * Widen(prevOutput);
  return Narrow(difference + feedback);
}

// How far the sum in double may lie from the exact one, relative to the sum.
constexpr double kFilterMargin = 0x1p-51;

// The filter state a block works on, held in registers.
struct TFilterState {
  float PrevInput;
  float PrevOutput;
};

// The same filter step in double, which is faster and gives the same float
// whenever it can be shown to: the difference of two clamped floats must be
// exact in double (checked by recovering its rounding error), and the sum
// must lie far enough from a point halfway between two floats that neither
// its own rounding in double (below 2^-53 relative) nor the extended
// rounding (below 2^-64) can move it across. The product of two floats is
// exact in double, so a fused multiply-add gives the very same sum, one
// rounding sooner on the serial path from one output to the next. Any other
// sample takes the extended step.
template <bool kFused>
__attribute__((always_inline)) inline void FilterBlock(float* buffer, int32_t count,
                                                       float coefficient, TFilterState& state) {
  const double a = coefficient;
  float prevInput = state.PrevInput;
  float prevOutput = state.PrevOutput;
  for (int32_t i = 0; i < count; ++i) {
    const float x = Clamp(buffer[i]);
    const double current = x;
    const double previous = -static_cast<double>(prevInput);
    const double difference = current + previous;
    const double back = difference - current;
    const double differenceError = (current - (difference - back)) + (previous - back);
    const double sum = kFused ? __builtin_fma(a, static_cast<double>(prevOutput), difference)
                              : difference + a * prevOutput;
    float y = static_cast<float>(sum);
    if (differenceError != 0.0 || !RoundsAlikeWithin(sum, sum * kFilterMargin)) {
      y = FilterExtended(x, prevInput, coefficient, prevOutput);
    }
    prevInput = x;
    prevOutput = y;
    buffer[i] = y;
  }
  state = {prevInput, prevOutput};
}

#if VOREL_X86_PATHS
__attribute__((target("fma"))) void FilterBlockFused(float* buffer, int32_t count,
                                                     float coefficient, TFilterState& state) {
  FilterBlock<true>(buffer, count, coefficient, state);
}
#endif

}  // namespace

TStabilize::TStabilize(TFeatures features) : UseFma(Supported(features).Fma) {
  SetSampleRate(44100.0f);
}

// 1 - 250 / rate, both steps in extended precision and rounded once. At
// 125 Hz and below the formula gives a pole at or beyond -1 (a filter that
// never decays), and 0 Hz, negative and NaN rates give nothing usable, so
// those rates fall back to the plain first difference, as at 250 Hz.
void TStabilize::SetSampleRate(float rate) {
  if (rate > 125.0f) {
    [[maybe_unused]] const TExtendedScope scope;
    const TWide quotient = Widen(250) / Widen(rate);
    Coefficient = Narrow(Widen(1) - quotient);
  } else {
    Coefficient = 0.0f;
  }
}

void TStabilize::Process(float* buffer, int32_t count) {
  if (count <= 0) return;
  [[maybe_unused]] const TExtendedScope scope;
  TFilterState state{PrevInput, PrevOutput};
#if VOREL_X86_PATHS
  if (UseFma) {
    FilterBlockFused(buffer, count, Coefficient, state);
  } else {
    FilterBlock<false>(buffer, count, Coefficient, state);
  }
#elif defined(__aarch64__)
  // AArch64's base instruction set has the fused multiply-add.
  FilterBlock<true>(buffer, count, Coefficient, state);
#else
  FilterBlock<false>(buffer, count, Coefficient, state);
#endif
  PrevInput = state.PrevInput;
  PrevOutput = state.PrevOutput;
}

}  // namespace vorel
