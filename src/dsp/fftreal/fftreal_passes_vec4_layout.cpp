// Moves between the interleaved layout of the early passes and the natural
// layout of the last ones. Pure copies: the bits do not change.
#include "dsp/fftreal/fftreal_passes_vec4.h"

#if VOREL_VECTOR_PATHS

namespace vorel::vec4 {

using namespace butterfly;

// Lane l of the single group holds block r(l), r = 0, 2, 1, 3.
void InterleavedToNatural(float* dst, const float* src, int32_t length) {
  const int32_t quarter = length / 4;
  for (int32_t j = 0; j < quarter; j += 4) {
    TVec4 r0 = Load<TVec4>(src + 4 * j);
    TVec4 r1 = Load<TVec4>(src + 4 * j + 4);
    TVec4 r2 = Load<TVec4>(src + 4 * j + 8);
    TVec4 r3 = Load<TVec4>(src + 4 * j + 12);
    Transpose(r0, r1, r2, r3);
    Store(dst + j, r0);
    Store(dst + 2 * quarter + j, r1);
    Store(dst + quarter + j, r2);
    Store(dst + 3 * quarter + j, r3);
  }
}

void NaturalToInterleaved(float* dst, const float* src, int32_t length) {
  const int32_t quarter = length / 4;
  for (int32_t j = 0; j < quarter; j += 4) {
    TVec4 r0 = Load<TVec4>(src + j);
    TVec4 r1 = Load<TVec4>(src + 2 * quarter + j);
    TVec4 r2 = Load<TVec4>(src + quarter + j);
    TVec4 r3 = Load<TVec4>(src + 3 * quarter + j);
    Transpose(r0, r1, r2, r3);
    Store(dst + 4 * j, r0);
    Store(dst + 4 * j + 4, r1);
    Store(dst + 4 * j + 8, r2);
    Store(dst + 4 * j + 12, r3);
  }
}

}  // namespace vorel::vec4

#endif  // VOREL_VECTOR_PATHS
