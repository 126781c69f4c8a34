// The transform's passes sixteen floats a register (AVX-512F, x86-64): the
// passes of fftreal_passes_wide.h on __m512, four 4-float elements a
// register. This file alone is compiled with -mavx512f and runs only where the
// processor has AVX-512F.
#include "dsp/fftreal/fftreal_passes_wide.h"

#if VOREL_AVX2_PASSES

namespace vorel::avx512 {

namespace {

struct TAvx512 {
  using V = __m512;
  static constexpr int32_t kGroups = 4;
  static V LoadGroups(const float* const* p) {
    V v = _mm512_castps128_ps512(_mm_loadu_ps(p[0]));
    v = _mm512_insertf32x4(v, _mm_loadu_ps(p[1]), 1);
    v = _mm512_insertf32x4(v, _mm_loadu_ps(p[2]), 2);
    return _mm512_insertf32x4(v, _mm_loadu_ps(p[3]), 3);
  }
  static void StoreGroups(float* const* p, V v) {
    _mm_storeu_ps(p[0], _mm512_castps512_ps128(v));
    _mm_storeu_ps(p[1], _mm512_extractf32x4_ps(v, 1));
    _mm_storeu_ps(p[2], _mm512_extractf32x4_ps(v, 2));
    _mm_storeu_ps(p[3], _mm512_extractf32x4_ps(v, 3));
  }
  // c[0 .. 3], each spread over its group.
  static V SplatUp(const float* c) {
    const __m512i spread = _mm512_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
    return _mm512_permutexvar_ps(spread, _mm512_castps128_ps512(_mm_loadu_ps(c)));
  }
  // c[0], c[-1], c[-2], c[-3], each spread over its group.
  static V SplatDown(const float* c) {
    const __m512i spread = _mm512_setr_epi32(3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0);
    return _mm512_permutexvar_ps(spread, _mm512_castps128_ps512(_mm_loadu_ps(c - 3)));
  }
  static V ReverseGroups(V v) { return _mm512_shuffle_f32x4(v, v, _MM_SHUFFLE(0, 1, 2, 3)); }
  static V ReverseLanes(V v) {
    const __m512i reversed =
        _mm512_setr_epi32(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    return _mm512_permutexvar_ps(reversed, v);
  }
  static void StoreGroup0(float* p, V v) { _mm_storeu_ps(p, _mm512_castps512_ps128(v)); }
  static void StoreLane0(float* p, V v) { _mm_store_ss(p, _mm512_castps512_ps128(v)); }
};

}  // namespace

VOREL_WIDE_PASS_ENTRIES(TAvx512)

}  // namespace vorel::avx512

#endif  // VOREL_AVX2_PASSES
