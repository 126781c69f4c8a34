// The forward transform's vectorised passes: the butterflies of
// fftreal_butterflies.h on four elements at a time.
#include "dsp/fftreal/fftreal_butterflies.h"
#include "dsp/fftreal/fftreal_passes_vec4.h"

#if VOREL_VECTOR_PATHS

namespace vorel::vec4 {

using namespace butterfly;

// Lane l of group g gathers the block of 16 whose bit-reversed sources are
// time[l + 4*rev(g) + rev4(j)*length/16], j = 0 .. 15: one load per j.
void ForwardFirstFourStages(float* dst, const float* time, const int32_t* bitRev, int32_t length,
                            float sqrt2Over2, const float* level3) {
  const int32_t stride = length / 16;
  const TVec4 h = Splat<TVec4>(sqrt2Over2);
  const TLevel3Twiddles tw(level3);
  for (int32_t g = 0; g < length / 64; ++g) {
    const float* x = time + 4 * bitRev[64 * g];
    TVec4 e[16], d[16], s[16];
    for (int32_t j = 0; j < 16; ++j) e[j] = Load<TVec4>(x + kRev4[j] * stride);
    for (int32_t j = 0; j < 16; j += 4)
      FirstTwoStagesOf4(d + j, e[j], e[j + 1], e[j + 2], e[j + 3]);
    ThirdStageOf8(s, d, h);
    ThirdStageOf8(s + 8, d + 8, h);
    // Pass 3 on the block of 16 (n = 8, h = 4): ForwardJoin on registers,
    // which stay in registers here rather than go through memory.
    float* out = dst + 64 * g;
    Store(out, AddInOrder(s[0], s[8]));
    Store(out + 4 * 8, Sub(s[0], s[8]));
    Store(out + 4 * 4, s[4]);
    Store(out + 4 * 12, s[12]);
    for (int32_t i = 1; i < 4; ++i) {
      const auto r = ForwardStep(s[i], s[8 + i], s[12 + i], s[4 + i], tw.Cos[i], tw.Sin[i]);
      Store(out + 4 * i, r.Lo);
      Store(out + 4 * (8 - i), r.LoMirror);
      Store(out + 4 * (8 + i), r.Hi);
      Store(out + 4 * (16 - i), r.HiMirror);
    }
  }
}

// Each output group of four blocks of 2n joins two input groups of blocks of
// n lane by lane; element e of a joined block sits at 4*e in its group.
void ForwardPassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,
                            const float* cosines) {
  const int32_t n = int32_t{1} << pass;
  for (int32_t base = 0; base < length; base += 8 * n) {
    JoinBlock<TVec4>(dst + base, src + base, n, cosines);
  }
}

// Registers hold i .. i+3 for i = 1, 5, ...; the mirrored elements n-i and
// 2n-i then fill whole aligned quads, stored reversed. A last group at
// h-4 redoes element h-4 rather than reach past the block; elements 0 and h
// have their own formulas.
void ForwardPassNatural(float* dst, const float* src, int32_t pass, int32_t length,
                        const float* cosines, const float* sines) {
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  auto step = [&](const float* s, float* d, int32_t i) {
    const auto r =
        ForwardStep(Load<TVec4>(s + i), Load<TVec4>(s + n + i), Load<TVec4>(s + n + h + i),
                    Load<TVec4>(s + h + i), Load<TVec4>(cosines + i), Load<TVec4>(sines + i));
    Store(d + i, r.Lo);
    Store(d + n - i - 3, Reversed(r.LoMirror));
    Store(d + n + i, r.Hi);
    Store(d + 2 * n - i - 3, Reversed(r.HiMirror));
  };
  for (int32_t b = 0; b < length; b += 2 * n) {
    const float* s = src + b;
    float* d = dst + b;
    for (int32_t i = 1; i + 3 < h; i += 4) step(s, d, i);
    step(s, d, h - 4);
    ForwardJoinEnds<float>(d, s, n);
  }
}

}  // namespace vorel::vec4

#endif  // VOREL_VECTOR_PATHS
