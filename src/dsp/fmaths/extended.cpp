#include "dsp/fmaths/extended.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace vorel {

namespace {

// 128 bits as two 64-bit halves: the same code on 32-bit targets, which have
// no 128-bit integer type.
struct TUint128 {
  uint64_t Hi = 0;
  uint64_t Lo = 0;
};

constexpr uint64_t kTopBit = uint64_t{1} << 63;

// The full product of two 64-bit values, from 32-bit halves.
TUint128 MultiplyWide(uint64_t a, uint64_t b) {
  const uint64_t aLo = a & 0xffffffffu, aHi = a >> 32;
  const uint64_t bLo = b & 0xffffffffu, bHi = b >> 32;
  const uint64_t low = aLo * bLo;
  const uint64_t cross1 = aLo * bHi;
  const uint64_t cross2 = aHi * bLo;
  const uint64_t middle = (low >> 32) + (cross1 & 0xffffffffu) + (cross2 & 0xffffffffu);
  TUint128 product;
  product.Lo = (middle << 32) | (low & 0xffffffffu);
  product.Hi = aHi * bHi + (cross1 >> 32) + (cross2 >> 32) + (middle >> 32);
  return product;
}

// Zero bits above the highest set bit of v, which is not zero.
int32_t LeadingZeros(const TUint128& v) {
  return v.Hi != 0 ? __builtin_clzll(v.Hi) : 64 + __builtin_clzll(v.Lo);
}

// v << shift, for shift from 0 to 127.
TUint128 ShiftLeft(TUint128 v, int32_t shift) {
  if (shift >= 64) return {v.Lo << (shift - 64), 0};
  if (shift == 0) return v;
  return {(v.Hi << shift) | (v.Lo >> (64 - shift)), v.Lo << shift};
}

// v >> shift for any shift >= 0, with every bit shifted out ORed into bit 0
// (sticky), which is enough to round the sum or difference correctly later.
TUint128 ShiftRightSticky(TUint128 v, int64_t shift) {
  if (shift == 0) return v;
  if (shift >= 128) return {0, (v.Hi | v.Lo) != 0 ? 1u : 0u};
  if (shift >= 64) {
    const int32_t s = static_cast<int32_t>(shift - 64);
    const uint64_t lost = v.Lo | (s == 0 ? 0 : v.Hi << (64 - s));
    return {0, (v.Hi >> s) | (lost != 0 ? 1u : 0u)};
  }
  const int32_t s = static_cast<int32_t>(shift);
  const uint64_t lost = v.Lo << (64 - s);
  return {v.Hi >> s, (v.Lo >> s) | (v.Hi << (64 - s)) | (lost != 0 ? 1u : 0u)};
}

// a + b, for a sum below 2^128.
TUint128 Add(const TUint128& a, const TUint128& b) {
  const uint64_t lo = a.Lo + b.Lo;
  return {a.Hi + b.Hi + (lo < a.Lo ? 1u : 0u), lo};
}

// a - b, for a >= b.
TUint128 Subtract(const TUint128& a, const TUint128& b) {
  return {a.Hi - b.Hi - (a.Lo < b.Lo ? 1u : 0u), a.Lo - b.Lo};
}

}  // namespace

// A finite value from its parts, which are already normalised.
TExtended TExtended::Finite(bool negative, int32_t exponent, uint64_t significand) {
  TExtended r;
  r.Negative = negative;
  r.Exponent = exponent;
  r.Significand = significand;
  return r;
}

namespace {

// A significand with its top bit set and its exponent.
struct TRounded {
  int32_t Exponent;
  uint64_t Significand;
};

// The value v x 2^(exponent - 127) (v not zero) rounded to a 64-bit
// significand, to nearest with ties to even.
TRounded RoundToSignificand(TUint128 v, int32_t exponent) {
  const int32_t shift = LeadingZeros(v);
  v = ShiftLeft(v, shift);
  exponent -= shift;
  uint64_t significand = v.Hi;
  if (v.Lo > kTopBit || (v.Lo == kTopBit && (significand & 1u) != 0)) {
    ++significand;
    if (significand == 0) {
      significand = kTopBit;
      ++exponent;
    }
  }
  return {exponent, significand};
}

// The value m x 2^scale, m not zero, exactly.
TRounded Normalised(uint64_t m, int32_t scale) {
  const int32_t zeros = __builtin_clzll(m);
  return {scale + 63 - zeros, m << zeros};
}

}  // namespace

// Exact: a float's 24-bit significand, subnormal or not, fits.
TExtended TExtended::Of(float x) {
  if (!std::isfinite(x)) return FromDouble(x);
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const bool negative = (bits >> 31) != 0;
  const int32_t field = static_cast<int32_t>((bits >> 23) & 0xffu);
  uint64_t m = bits & 0x7fffffu;
  if (field != 0) m |= 0x800000u;
  if (m == 0) return Finite(negative, 0, 0);
  const TRounded n = Normalised(m, (field != 0 ? field : 1) - 150);
  return Finite(negative, n.Exponent, n.Significand);
}

// A value that is not finite, or a zero: all that the double arithmetic on
// a non-finite operand can give (a finite result of it is a division by
// infinity, a signed zero).
TExtended TExtended::FromDouble(double value) {
  TExtended r;
  if (std::isfinite(value)) {
    r.Negative = std::signbit(value);
    return r;
  }
  r.IsFinite = false;
  r.Special = value;
  return r;
}

// The result of the double arithmetic on a and b, with the NaN x87 gives
// when both operands sit in its registers: of two NaNs the larger
// significand, of two equal ones the positive if either is; of one NaN,
// that NaN; of an invalid operation on numbers (infinity times zero, the
// difference of equal infinities), x87's default NaN, which is negative
// where other processors make a positive one. Both are quiet by now: a
// float NaN becomes quiet on its way to double, as on its way into an x87
// register. (An x87 instruction that reads a signalling NaN straight from
// memory lets a quiet NaN win instead; the engine's steps only ever meet
// quiet NaNs, which come out of arithmetic.)
TExtended TExtended::Combined(const TExtended& a, const TExtended& b, double value) {
  const double x = a.ToDouble(), y = b.ToDouble();
  if (std::isnan(x) || std::isnan(y)) {
    uint64_t xBits, yBits;
    std::memcpy(&xBits, &x, sizeof xBits);
    std::memcpy(&yBits, &y, sizeof yBits);
    xBits &= ~kTopBit;
    yBits &= ~kTopBit;
    if (!std::isnan(y) || (std::isnan(x) && xBits > yBits)) {
      value = x;
    } else if (!std::isnan(x) || yBits > xBits) {
      value = y;
    } else {
      value = std::signbit(x) ? y : x;
    }
  } else if (std::isnan(value)) {
    value = -std::numeric_limits<double>::quiet_NaN();
  }
  return FromDouble(value);
}

// Exact: 31 bits and a sign fit.
TExtended TExtended::Of(int32_t x) {
  if (x == 0) return TExtended();
  const int64_t wide = x;
  const TRounded n = Normalised(static_cast<uint64_t>(wide < 0 ? -wide : wide), 0);
  return Finite(x < 0, n.Exponent, n.Significand);
}

// The float's pattern is built by adding the kept significand to the
// exponent field: a carry out of the significand, from rounding up, moves
// the exponent on (a subnormal becomes the smallest normal, the largest
// float becomes infinity) with no special case.
float TExtended::ToFloat() const {
  if (!IsFinite) return static_cast<float>(Special);
  uint32_t bits = Negative ? 0x80000000u : 0u;
  if (Significand != 0) {
    if (Exponent > 127) {
      bits |= 0x7f800000u;
    } else if (Exponent >= -150) {
      // Normal results keep 24 bits; subnormal ones fewer, down to none.
      const int32_t drop = Exponent >= -126 ? 40 : -86 - Exponent;
      const uint32_t base = Exponent >= -126 ? static_cast<uint32_t>(Exponent + 126) << 23 : 0u;
      const uint64_t kept = drop < 64 ? Significand >> drop : 0;
      const uint64_t rest = drop < 64 ? Significand << (64 - drop) : Significand;
      const bool up = rest > kTopBit || (rest == kTopBit && (kept & 1u) != 0);
      bits |= base + static_cast<uint32_t>(kept) + (up ? 1u : 0u);
    }
  }
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

int32_t TExtended::Truncated() const {
  if (!IsFinite) return INT32_MIN;
  if (Significand == 0 || Exponent < 0) return 0;
  // x86's conversion gives its integer indefinite, INT32_MIN, out of range.
  if (Exponent > 30) return INT32_MIN;
  const auto magnitude = static_cast<int32_t>(Significand >> (63 - Exponent));
  return Negative ? -magnitude : magnitude;
}

// For the double arithmetic on non-finite values only: keeps the sign,
// zero or not, finiteness and order, which is all that arithmetic reads
// (within double's range, as extended.h requires).
double TExtended::ToDouble() const {
  if (!IsFinite) return Special;
  const double magnitude = std::ldexp(static_cast<double>(Significand), Exponent - 63);
  return Negative ? -magnitude : magnitude;
}

// The same magnitude with the other sign; finite values only.
TExtended TExtended::Negated() const {
  TExtended r = *this;
  r.Negative = !Negative;
  return r;
}

// The operands are aligned in 128 bits with one bit to spare for a carry;
// the smaller one loses bits only when it lies 64 or more binades below the
// larger, and then the sticky bit stands for them.
TExtended operator+(const TExtended& a, const TExtended& b) {
  if (!a.IsFinite || !b.IsFinite) return TExtended::Combined(a, b, a.ToDouble() + b.ToDouble());
  if (b.Significand == 0) {
    if (a.Significand != 0) return a;
    return TExtended::Finite(a.Negative && b.Negative, 0, 0);
  }
  if (a.Significand == 0) return b;
  const bool aLarger =
      a.Exponent > b.Exponent || (a.Exponent == b.Exponent && a.Significand >= b.Significand);
  const TExtended& large = aLarger ? a : b;
  const TExtended& small = aLarger ? b : a;
  const TUint128 high = ShiftRightSticky({large.Significand, 0}, 1);
  const int64_t distance = int64_t{large.Exponent} - small.Exponent;
  const TUint128 low = ShiftRightSticky({small.Significand, 0}, distance + 1);
  TUint128 sum;
  if (large.Negative == small.Negative) {
    sum = Add(high, low);
  } else {
    sum = Subtract(high, low);
    if (sum.Hi == 0 && sum.Lo == 0) return TExtended();  // exact cancellation: +0
  }
  const TRounded r = RoundToSignificand(sum, large.Exponent + 1);
  return TExtended::Finite(large.Negative, r.Exponent, r.Significand);
}

// A NaN subtrahend keeps its sign, as in x87: only finite values are negated.
TExtended operator-(const TExtended& a, const TExtended& b) {
  if (!a.IsFinite || !b.IsFinite) return TExtended::Combined(a, b, a.ToDouble() - b.ToDouble());
  return a + b.Negated();
}

// The 128-bit product of the significands is exact; one rounding follows.
TExtended operator*(const TExtended& a, const TExtended& b) {
  if (!a.IsFinite || !b.IsFinite) return TExtended::Combined(a, b, a.ToDouble() * b.ToDouble());
  const bool negative = a.Negative != b.Negative;
  if (a.Significand == 0 || b.Significand == 0) return TExtended::Finite(negative, 0, 0);
  const TRounded r =
      RoundToSignificand(MultiplyWide(a.Significand, b.Significand), a.Exponent + b.Exponent + 1);
  return TExtended::Finite(negative, r.Exponent, r.Significand);
}

// Long division, one quotient bit at a time: 66 bits (the first may be 0)
// and the remainder as a sticky bit are enough to round.
TExtended operator/(const TExtended& a, const TExtended& b) {
  if (!a.IsFinite || !b.IsFinite || b.Significand == 0) {
    return TExtended::Combined(a, b, a.ToDouble() / b.ToDouble());
  }
  const bool negative = a.Negative != b.Negative;
  if (a.Significand == 0) return TExtended::Finite(negative, 0, 0);
  // The remainder is carry x 2^64 + remainder, always below 2 x divisor.
  const uint64_t divisor = b.Significand;
  uint64_t remainder = a.Significand;
  bool carry = false;
  TUint128 quotient;
  for (int32_t i = 0; i < 66; ++i) {
    const bool bit = carry || remainder >= divisor;
    if (bit) remainder -= divisor;
    quotient = ShiftLeft(quotient, 1);
    quotient.Lo |= bit ? 1u : 0u;
    carry = (remainder & kTopBit) != 0;
    remainder <<= 1;
  }
  quotient = ShiftLeft(quotient, 62);
  quotient.Lo |= (carry || remainder != 0) ? 1u : 0u;
  const TRounded r = RoundToSignificand(quotient, a.Exponent - b.Exponent);
  return TExtended::Finite(negative, r.Exponent, r.Significand);
}

namespace {

// -1, 0 or 1 as a is below, equal to or above b; both finite.
int32_t CompareFinite(bool aNegative, int32_t aExponent, uint64_t aSignificand, bool bNegative,
                      int32_t bExponent, uint64_t bSignificand) {
  const int32_t aSign = aSignificand == 0 ? 0 : (aNegative ? -1 : 1);
  const int32_t bSign = bSignificand == 0 ? 0 : (bNegative ? -1 : 1);
  if (aSign != bSign || aSign == 0) return aSign < bSign ? -1 : (aSign > bSign ? 1 : 0);
  int32_t magnitude = 0;
  if (aExponent != bExponent) {
    magnitude = aExponent < bExponent ? -1 : 1;
  } else if (aSignificand != bSignificand) {
    magnitude = aSignificand < bSignificand ? -1 : 1;
  }
  return aSign * magnitude;
}

}  // namespace

// Exact for finite values; through double (NaN unordered) otherwise.
bool operator<(const TExtended& a, const TExtended& b) {
  if (!a.IsFinite || !b.IsFinite) return a.ToDouble() < b.ToDouble();
  return CompareFinite(a.Negative, a.Exponent, a.Significand, b.Negative, b.Exponent,
                       b.Significand) < 0;
}

// As operator<, with equality.
bool operator<=(const TExtended& a, const TExtended& b) {
  if (!a.IsFinite || !b.IsFinite) return a.ToDouble() <= b.ToDouble();
  return CompareFinite(a.Negative, a.Exponent, a.Significand, b.Negative, b.Exponent,
                       b.Significand) <= 0;
}

}  // namespace vorel
