// The transform's passes eight floats a register (AVX2, x86-64): the
// passes of fftreal_passes_wide.h on __m256, two 4-float elements a
// register. This file alone is compiled with -mavx2 and runs only where the
// processor has AVX2.
#include "dsp/fftreal/fftreal_passes_wide.h"

#if VOREL_AVX2_PASSES

namespace vorel::avx2 {

namespace {

struct TAvx2 {
  using V = __m256;
  static constexpr int32_t kGroups = 2;
  static V LoadGroups(const float* const* p) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(p[0])), _mm_loadu_ps(p[1]), 1);
  }
  static void StoreGroups(float* const* p, V v) {
    _mm_storeu_ps(p[0], _mm256_castps256_ps128(v));
    _mm_storeu_ps(p[1], _mm256_extractf128_ps(v, 1));
  }
  static V SplatUp(const float* c) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_set1_ps(c[0])), _mm_set1_ps(c[1]), 1);
  }
  static V SplatDown(const float* c) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_set1_ps(c[0])), _mm_set1_ps(c[-1]), 1);
  }
  static V ReverseGroups(V v) { return _mm256_permute2f128_ps(v, v, 1); }
  static V ReverseLanes(V v) {
    return _mm256_permutevar8x32_ps(v, _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0));
  }
  static void StoreGroup0(float* p, V v) { _mm_storeu_ps(p, _mm256_castps256_ps128(v)); }
  static void StoreLane0(float* p, V v) { _mm_store_ss(p, _mm256_castps256_ps128(v)); }
};

}  // namespace

VOREL_WIDE_PASS_ENTRIES(TAvx2)

}  // namespace vorel::avx2

#endif  // VOREL_AVX2_PASSES
