// The inverse transform's vectorised passes: the butterflies of
// fftreal_butterflies.h on four elements at a time.
#include "dsp/fftreal/fftreal_butterflies.h"
#include "dsp/fftreal/fftreal_passes_vec4.h"

#if VOREL_VECTOR_PATHS

namespace vorel::vec4 {

using namespace butterfly;

// Registers hold i .. i+3 for i = 1, 5, ...; the mirrored elements n-i and
// 2n-i are whole aligned quads, loaded reversed. A last group at h-4 redoes
// element h-4; elements 0 and h have their own formulas.
void InversePassNatural(float* dst, const float* src, int32_t pass, int32_t length,
                        const float* cosines, const float* sines) {
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  auto step = [&](const float* s, float* d, int32_t i) {
    const auto r = InverseStep(Load<TVec4>(s + i), Reversed(Load<TVec4>(s + n - i - 3)),
                               Load<TVec4>(s + n + i), Reversed(Load<TVec4>(s + 2 * n - i - 3)),
                               Load<TVec4>(cosines + i), Load<TVec4>(sines + i));
    Store(d + i, r.Sum);
    Store(d + h + i, r.Difference);
    Store(d + n + i, r.Real);
    Store(d + n + h + i, r.Imag);
  };
  for (int32_t b = 0; b < length; b += 2 * n) {
    const float* s = src + b;
    float* d = dst + b;
    for (int32_t i = 1; i + 3 < h; i += 4) step(s, d, i);
    step(s, d, h - 4);
    InverseSplitEnds<float>(d, s, n);
  }
}

// Each input group of four blocks of 2n splits lane by lane into two output
// groups of blocks of n, which occupy the same elements.
void InversePassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,
                            const float* cosines) {
  const int32_t n = int32_t{1} << pass;
  for (int32_t base = 0; base < length; base += 8 * n) {
    SplitBlock<TVec4>(dst + base, src + base, n, cosines);
  }
}

// Lane l of group g ends as the block of 16 whose samples belong at
// time[l + 4*rev(g) + rev4(j)*length/16], j = 0 .. 15: one store per j.
void InverseFirstFourStages(float* time, const float* src, const int32_t* bitRev, int32_t length,
                            float sqrt2Over2, const float* level3) {
  const int32_t stride = length / 16;
  const TVec4 h = Splat<TVec4>(sqrt2Over2);
  const TLevel3Twiddles tw(level3);
  for (int32_t g = 0; g < length / 64; ++g) {
    const float* in = src + 64 * g;
    TVec4 e[16], o[16], t[16], x[16];
    for (int32_t j = 0; j < 16; ++j) e[j] = Load<TVec4>(in + 4 * j);
    // Inverse pass 3 on the block of 16 (n = 8, h = 4): InverseSplit on
    // registers, which stay in registers here rather than go through memory.
    o[0] = AddInOrder(e[0], e[8]);
    o[8] = Sub(e[0], e[8]);
    o[4] = Twice(e[4]);
    o[12] = Twice(e[12]);
    for (int32_t i = 1; i < 4; ++i) {
      const auto r = InverseStep(e[i], e[8 - i], e[8 + i], e[16 - i], tw.Cos[i], tw.Sin[i]);
      o[i] = r.Sum;
      o[4 + i] = r.Difference;
      o[8 + i] = r.Real;
      o[12 + i] = r.Imag;
    }
    InverseThirdStageOf8(t, o, h);
    InverseThirdStageOf8(t + 8, o + 8, h);
    for (int32_t j = 0; j < 16; j += 4) InverseFirstTwoStagesOf4(x + j, t + j);
    float* out = time + 4 * bitRev[64 * g];
    for (int32_t j = 0; j < 16; ++j) Store(out + kRev4[j] * stride, x[j]);
  }
}

}  // namespace vorel::vec4

#endif  // VOREL_VECTOR_PATHS
