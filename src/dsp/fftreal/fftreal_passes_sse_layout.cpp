// Moves between the interleaved layout of the early passes and the natural
// layout of the last ones. Pure copies: the bits do not change.
#include <xmmintrin.h>

#include "dsp/fftreal/fftreal_passes_sse.h"

#if VOREL_X86_PATHS

namespace vorel::sse {

// Lane l of the single group holds block r(l), r = 0, 2, 1, 3.
void InterleavedToNatural(float* dst, const float* src, int32_t length) {
  const int32_t quarter = length / 4;
  for (int32_t j = 0; j < quarter; j += 4) {
    __m128 r0 = _mm_loadu_ps(src + 4 * j);
    __m128 r1 = _mm_loadu_ps(src + 4 * j + 4);
    __m128 r2 = _mm_loadu_ps(src + 4 * j + 8);
    __m128 r3 = _mm_loadu_ps(src + 4 * j + 12);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    _mm_storeu_ps(dst + j, r0);
    _mm_storeu_ps(dst + 2 * quarter + j, r1);
    _mm_storeu_ps(dst + quarter + j, r2);
    _mm_storeu_ps(dst + 3 * quarter + j, r3);
  }
}

void NaturalToInterleaved(float* dst, const float* src, int32_t length) {
  const int32_t quarter = length / 4;
  for (int32_t j = 0; j < quarter; j += 4) {
    __m128 r0 = _mm_loadu_ps(src + j);
    __m128 r1 = _mm_loadu_ps(src + 2 * quarter + j);
    __m128 r2 = _mm_loadu_ps(src + quarter + j);
    __m128 r3 = _mm_loadu_ps(src + 3 * quarter + j);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    _mm_storeu_ps(dst + 4 * j, r0);
    _mm_storeu_ps(dst + 4 * j + 4, r1);
    _mm_storeu_ps(dst + 4 * j + 8, r2);
    _mm_storeu_ps(dst + 4 * j + 12, r3);
  }
}

}  // namespace vorel::sse

#endif  // VOREL_X86_PATHS
