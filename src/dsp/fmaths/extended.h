// Extended precision as x87 computes it (a 64-bit significand, round to
// nearest with ties to even), in integer arithmetic, for targets whose long
// double is something else. Every operation gives the x87 result bit for
// bit; ToFloat rounds that once more to float, subnormals and overflow
// included, as an x87 store does. The exponent is an int32_t, far wider
// than x87's, so no product or quotient of the values the engine forms
// overflows or underflows here (neither does it in x87).
//
// An operation with a non-finite operand also needs its finite operand
// inside double's range (about 2^-1074 to 2^1024 in magnitude): that
// operand goes through double, which keeps its sign, whether it is zero, and
// its order against the other operand only there. Every value the engine's
// steps form lies far inside it.
//
// NaNs and infinities are left to the processor's double arithmetic: a value
// that is not finite is kept as a double, and any operation with one (or a
// division by zero) is done in double, which gives the infinities and the
// invalid-operation NaN that x87 gives. Of two NaN operands the one x87
// keeps is chosen explicitly. The NaN the processor makes itself (inf - inf,
// 0 x inf) and the quieting of a signalling NaN are taken as the processor
// does them: x86 agrees with x87 there, other processors may not, and
// modelling that is left for later.
#pragma once

#include <cstdint>

namespace vorel {

class TExtended {
 public:
  // +0.
  TExtended() = default;

  static TExtended Of(float x);
  static TExtended Of(int32_t x);

  // Rounded to float, as an x87 store to single precision rounds.
  float ToFloat() const;
  // Rounded toward zero. Beyond int32_t's range, and for values that are
  // not finite, INT32_MIN, the integer indefinite x86's conversion gives.
  int32_t Truncated() const;

  // The parts of a finite value, for comparison with x87's: a zero has
  // significand 0 and exponent 0.
  bool IsNegative() const { return Negative; }
  int32_t GetExponent() const { return Exponent; }
  uint64_t GetSignificand() const { return Significand; }

  friend TExtended operator+(const TExtended& a, const TExtended& b);
  friend TExtended operator-(const TExtended& a, const TExtended& b);
  friend TExtended operator*(const TExtended& a, const TExtended& b);
  friend TExtended operator/(const TExtended& a, const TExtended& b);

  // Ordered comparisons: false whenever a NaN takes part; -0 equals +0.
  friend bool operator<(const TExtended& a, const TExtended& b);
  friend bool operator<=(const TExtended& a, const TExtended& b);
  friend bool operator>(const TExtended& a, const TExtended& b) { return b < a; }
  friend bool operator>=(const TExtended& a, const TExtended& b) { return b <= a; }

 private:
  static TExtended Finite(bool negative, int32_t exponent, uint64_t significand);
  static TExtended FromDouble(double value);
  static TExtended Combined(const TExtended& a, const TExtended& b, double value);
  double ToDouble() const;
  TExtended Negated() const;

  uint64_t Significand = 0;  // top bit set, or 0 for a zero
  int32_t Exponent = 0;      // the value is Significand x 2^(Exponent - 63)
  bool Negative = false;
  bool IsFinite = true;
  double Special = 0.0;  // the value, when not finite
};

}  // namespace vorel
