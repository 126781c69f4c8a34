// Small helpers on 32-bit samples, shared by the processing units.
#pragma once

#include <cstdint>
#include <cstring>

namespace vorel {

// Magnitude of a sample by clearing the sign bit of its pattern. No arithmetic
// happens: -0.0 gives +0.0, a NaN keeps its payload and nothing is signalled.
// Forced inline so that no build returns the value through an x87 register,
// which would quieten a signalling NaN.
__attribute__((always_inline)) inline float FAbs(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits &= 0x7fffffffu;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// Stores value into elements 0 .. count-1 of an array of 32-bit elements, in
// ascending order. With value 0 it clears a sample array to +0.0.
inline void Fill32(void* target, uint32_t count, uint32_t value) {
  auto* bytes = static_cast<unsigned char*>(target);
  for (uint32_t i = 0; i < count; ++i) {
    std::memcpy(bytes + 4 * static_cast<size_t>(i), &value, sizeof value);
  }
}

// The 32-bit pattern of a sample, and the sample of a pattern.
__attribute__((always_inline)) inline uint32_t BitsOf(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

__attribute__((always_inline)) inline float FloatOf(uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// Whether every value within margin of x (either sign) rounds to the same
// float as x does: then an exact result that close to x rounds to that float
// too, whichever precision computed x. With a margin that grows with |x|
// it fails for NaN and infinity.
__attribute__((always_inline)) inline bool RoundsAlikeWithin(double x, double margin) {
  return static_cast<float>(x - margin) == static_cast<float>(x + margin);
}

// The same test, also giving the float: when both ends of the interval
// round alike, x, which lies between them, rounds to that float too (the
// rounding is monotonic), so no third rounding is needed. rounded is only
// meaningful when the test holds.
__attribute__((always_inline)) inline bool RoundsAlikeWithin(double x, double margin,
                                                             float& rounded) {
  rounded = static_cast<float>(x + margin);
  return static_cast<float>(x - margin) == rounded;
}

}  // namespace vorel
