// How large the plugin's output can be, from the stabiliser alone: whatever
// the spectral engine hands it, the clamp puts the filter input x[n] in
// [-1, 1], and the filter
//     y[n] = x[n] - x[n-1] + a * y[n-1],   a = 1 - 250 / rate
// cannot leave a bound that depends only on a. For rates of 125 Hz and below
// the stabiliser uses a = 0 (the plain first difference, |y| <= 2).
//
// Derivation. Let e[n] = y[n] - x[n]. Then
//     e[n] = a * e[n-1] - (1 - a) * x[n-1]
// so |e[n]| <= |a| * |e[n-1]| + (1 - a), which from zero state stays below
// (1 - a) / (1 - |a|), and |y| <= 1 + |e|:
//     a in [0, 1]:  |y| <= 2
//     a in (-1, 0): |y| <= 2 / (1 - |a|)     (equivalently 2 / (1 + a))
// which is the classic 2 / (1 - |a|) for |a| < 1, sharpened to 2 for a >= 0.
//
// Rounding. Each output is rounded once to float (after an exact product
// and a near-exact difference in extended precision), so the computed
// y[n] carries an extra error r[n] with |r[n]| <= u * |y[n]| + t, where
// u = 2^-23 covers the float rounding plus the extended-precision steps, and
// t = 2^-60 covers subnormal results and the rare inexact difference. The
// bound therefore grows along the recurrence
//     E[n] = (|a| * E[n-1] + (1 - a) + u + t) / (1 - u),   |y[n]| <= 1 + E[n]
// evaluated sample by sample. Without rounding (u = t = 0) it converges to
// the closed forms above; with rounding and a close to 1 it still grows by
// at most about u per sample, so it stays meaningful for long streams.
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/fmaths/extended_steps.h"

namespace vorel_host {

// The stabiliser's coefficient for a host rate, as instantiate derives it:
// the rate through a signed 64-bit integer to float, 1 - 250 / rate in
// extended precision, and 0 at 125 Hz and below.
inline float StabiliserCoefficient(unsigned long rate) {
  const float r = static_cast<float>(static_cast<int64_t>(rate));
  if (!(r > 125.0f)) return 0.0f;
  return vorel::Narrow(vorel::Widen(1) - vorel::Widen(250) / vorel::Widen(r));
}

class OutputBound {
 public:
  explicit OutputBound(unsigned long rate) : a_(StabiliserCoefficient(rate)) {}

  // The bound for the next output sample; call once per sample, in order.
  double Next() {
    constexpr double u = 0x1p-23;
    constexpr double t = 0x1p-60;
    e_ = (std::fabs(static_cast<double>(a_)) * e_ + (1.0 - a_) + u + t) / (1.0 - u);
    return 1.0 + e_;
  }

  float Coefficient() const { return a_; }

 private:
  float a_;
  double e_ = 0.0;
};

}  // namespace vorel_host
