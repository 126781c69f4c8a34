// x86's NaN results, reproduced where the hardware decides them otherwise.
//
// IEEE fixes whether a float operation gives a NaN, but not which one. x86
// (SSE) returns its first source operand if that is a NaN, else the second,
// quieted, with payload and sign kept; an invalid operation on two non-NaNs
// (inf - inf, 0 x inf, 0 / 0, inf / inf) gives the default NaN 0xffc00000.
// ARM prefers a signalling operand to a quiet one, gives the default NaN
// 0x7fc00000, and its compilers may swap the operands of a sum. Through the
// bit mask a NaN's sign and payload can become a finite output sample, so
// every target must choose as x86 does.
//
// The operations below compute the ordinary result and replace it only
// when it is a NaN, which the hardware decides alike everywhere; any other
// result costs one comparison. VOREL_X86_NANS is 1 off x86, where the
// processing units call them on data that may hold or make NaNs; on x86 the
// hardware already gives these bits and the units keep their plain code.
// Building with VOREL_X86_NAN_RULES forces them on x86 too, to test them and
// to measure what they cost.
#pragma once

#include <cstdint>

#include "dsp/fmaths/fmaths.h"

#if defined(VOREL_X86_NAN_RULES) || !(defined(__x86_64__) || defined(__i386__))
#define VOREL_X86_NANS 1
#else
#define VOREL_X86_NANS 0
#endif

namespace vorel {

// Whether x is a NaN, from its pattern: no comparison that a compiler might
// fold away or that signals.
__attribute__((always_inline)) inline bool IsNaNBits(float x) {
  return (BitsOf(x) & 0x7fffffffu) > 0x7f800000u;
}

// The NaN x86 gives for an operation on a and b (in this order) whose result
// is a NaN. Kept out of line: it runs only when a NaN was made.
__attribute__((noinline, cold)) inline float X86NaN(float a, float b) {
  constexpr uint32_t kQuietBit = 0x00400000u;
  constexpr uint32_t kDefaultNaN = 0xffc00000u;
  if (IsNaNBits(a)) return FloatOf(BitsOf(a) | kQuietBit);
  if (IsNaNBits(b)) return FloatOf(BitsOf(b) | kQuietBit);
  return FloatOf(kDefaultNaN);
}

// a + b, a - b, a x b and a / b with x86's NaN results.
__attribute__((always_inline)) inline float X86Add(float a, float b) {
  const float r = a + b;
  return r == r ? r : X86NaN(a, b);
}

__attribute__((always_inline)) inline float X86Sub(float a, float b) {
  const float r = a - b;
  return r == r ? r : X86NaN(a, b);
}

__attribute__((always_inline)) inline float X86Mul(float a, float b) {
  const float r = a * b;
  return r == r ? r : X86NaN(a, b);
}

__attribute__((always_inline)) inline float X86Div(float a, float b) {
  const float r = a / b;
  return r == r ? r : X86NaN(a, b);
}

// One float whose arithmetic follows x86's NaN rules: an element type for
// the transform's butterflies (fftreal_butterflies.h), laid out as a float.
struct TX86Float {
  float Value;
};

inline TX86Float AddInOrder(TX86Float a, TX86Float b) { return {X86Add(a.Value, b.Value)}; }

}  // namespace vorel
