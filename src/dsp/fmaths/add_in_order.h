// Float sums whose NaN result is fixed by the order the operands are written.
// When both operands of an x86 addition are NaNs, the result carries the
// payload of the instruction's first operand. A plain `a + b` leaves the
// compiler free to emit it either way round, so the payload that survives
// would change with the optimisation level; these sums always put `a` first,
// which makes every output bit, NaN payloads included, the same in every
// build and in the scalar and vectorised passes alike. The sum itself is the
// ordinary rounded float sum. Static, like the butterflies, so that no copy
// built for AVX2 or AVX-512F is shared with other files.
#pragma once

#if defined(__AVX__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#elif defined(__aarch64__) && defined(__ARM_NEON)
#include <arm_neon.h>
#endif

namespace vorel {

static inline float AddInOrder(float a, float b) {
#if defined(__SSE2__)
  asm("addss %1, %0" : "+x"(a) : "x"(b));
  return a;
#else
  return a + b;
#endif
}

#if defined(__SSE2__)
static inline __m128 AddInOrder(__m128 a, __m128 b) {
  asm("addps %1, %0" : "+x"(a) : "x"(b));
  return a;
}
#if defined(__AVX512F__)
// EVEX operand order: the first source, a, is the one whose NaN survives.
static inline __m512 AddInOrder(__m512 a, __m512 b) {
  __m512 sum;
  asm("vaddps %2, %1, %0" : "=v"(sum) : "v"(a), "v"(b));
  return sum;
}
#elif defined(__AVX__)
// VEX operand order: the first source, a, is the one whose NaN survives.
static inline __m256 AddInOrder(__m256 a, __m256 b) {
  __m256 sum;
  asm("vaddps %2, %1, %0" : "=x"(sum) : "x"(a), "x"(b));
  return sum;
}
#endif
#elif defined(__aarch64__) && defined(__ARM_NEON)
// ARM chooses among NaN operands by its own rules whatever the order, so
// its code never relies on these for a NaN (fmaths/x86_nan.h).
static inline float32x4_t AddInOrder(float32x4_t a, float32x4_t b) { return vaddq_f32(a, b); }
#endif

}  // namespace vorel
