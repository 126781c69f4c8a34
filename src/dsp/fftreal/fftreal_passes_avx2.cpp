// The transform's passes eight floats at a time (AVX2, x86-64), in the
// layouts of the 4-lane passes (fftreal_passes_vec4.h): a register holds two
// neighbouring elements of an interleaved group, two groups side by side in
// the fused first and last stages, or eight neighbouring elements of a
// natural block. Each lane runs the butterfly the scalar pass runs, so the
// bits are the plain path's.
//
// This file alone is compiled for AVX2 and runs only where the processor has
// it. So that no function shared with the other files is ever emitted from
// here in an AVX2 form, it uses the butterflies at __m256 only and keeps its
// own helpers file-local.
#include "dsp/fftreal/fftreal_butterflies.h"
#include "dsp/fftreal/fftreal_passes_vec4.h"

#if VOREL_AVX2_PASSES

namespace vorel::avx2 {

using namespace butterfly;

namespace {

using T8 = __m256;

// Lanes 0-3 from lo, 4-7 from hi.
inline T8 LoadPair(const float* lo, const float* hi) {
  return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(lo)), _mm_loadu_ps(hi), 1);
}
inline void StorePair(float* lo, float* hi, T8 v) {
  _mm_storeu_ps(lo, _mm256_castps256_ps128(v));
  _mm_storeu_ps(hi, _mm256_extractf128_ps(v, 1));
}
// Only the lower four lanes, or only lane 0.
inline void StoreLow4(float* p, T8 v) { _mm_storeu_ps(p, _mm256_castps256_ps128(v)); }
inline void StoreLow1(float* p, T8 v) { _mm_store_ss(p, _mm256_castps256_ps128(v)); }

// a in lanes 0-3, b in lanes 4-7.
inline T8 SplatPair(float a, float b) {
  return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_set1_ps(a)), _mm_set1_ps(b), 1);
}
// The two halves exchanged: two interleaved elements in the other order.
inline T8 SwapHalves(T8 v) { return _mm256_permute2f128_ps(v, v, 1); }
// Lanes in reverse order: eight natural elements stored or read backwards.
inline T8 Reversed(T8 v) {
  return _mm256_permutevar8x32_ps(v, _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0));
}

// The pass-3 twiddles of the fused stages, each in all eight lanes.
struct TLevel3Twiddles {
  explicit TLevel3Twiddles(const float* level3) {
    Cos[0] = Sin[0] = _mm256_setzero_ps();
    for (int32_t i = 1; i < 4; ++i) {
      Cos[i] = _mm256_set1_ps(level3[i]);
      Sin[i] = _mm256_set1_ps(level3[4 - i]);
    }
  }
  T8 Cos[4];
  T8 Sin[4];
};

// ForwardJoin on an interleaved group (elements four floats apart), elements
// i and i+1 in one register. The loop ends by redoing element h-2 rather
// than reach past h-1; elements 0, h, n and n+h have their own formulas
// (element 1 rides along in the upper lanes of element 0 and is dropped).
void ForwardJoinPairs(float* d, const float* s, int32_t n, const float* cosines) {
  const int32_t h = n / 2;
  const T8 s0 = Load<T8>(s);
  const T8 sn = Load<T8>(s + 4 * n);
  StoreLow4(d, AddInOrder(s0, sn));
  StoreLow4(d + 4 * n, Sub(s0, sn));
  _mm_storeu_ps(d + 4 * h, _mm_loadu_ps(s + 4 * h));
  _mm_storeu_ps(d + 4 * (n + h), _mm_loadu_ps(s + 4 * (n + h)));
  auto step = [&](int32_t i) {
    const auto r =
        ForwardStep(Load<T8>(s + 4 * i), Load<T8>(s + 4 * (n + i)), Load<T8>(s + 4 * (n + h + i)),
                    Load<T8>(s + 4 * (h + i)), SplatPair(cosines[i], cosines[i + 1]),
                    SplatPair(cosines[h - i], cosines[h - i - 1]));
    Store(d + 4 * i, r.Lo);
    Store(d + 4 * (n - i - 1), SwapHalves(r.LoMirror));
    Store(d + 4 * (n + i), r.Hi);
    Store(d + 4 * (2 * n - i - 1), SwapHalves(r.HiMirror));
  };
  for (int32_t i = 1; i + 2 < h; i += 2) step(i);
  step(h - 2);
}

// InverseSplit on an interleaved group, two elements a register as above.
void InverseSplitPairs(float* d, const float* s, int32_t n, const float* cosines) {
  const int32_t h = n / 2;
  const T8 s0 = Load<T8>(s);
  const T8 sn = Load<T8>(s + 4 * n);
  StoreLow4(d, AddInOrder(s0, sn));
  StoreLow4(d + 4 * n, Sub(s0, sn));
  StoreLow4(d + 4 * h, Twice(Load<T8>(s + 4 * h)));
  StoreLow4(d + 4 * (n + h), Twice(Load<T8>(s + 4 * (n + h))));
  auto step = [&](int32_t i) {
    const auto r = InverseStep(
        Load<T8>(s + 4 * i), SwapHalves(Load<T8>(s + 4 * (n - i - 1))), Load<T8>(s + 4 * (n + i)),
        SwapHalves(Load<T8>(s + 4 * (2 * n - i - 1))), SplatPair(cosines[i], cosines[i + 1]),
        SplatPair(cosines[h - i], cosines[h - i - 1]));
    Store(d + 4 * i, r.Sum);
    Store(d + 4 * (h + i), r.Difference);
    Store(d + 4 * (n + i), r.Real);
    Store(d + 4 * (n + h + i), r.Imag);
  };
  for (int32_t i = 1; i + 2 < h; i += 2) step(i);
  step(h - 2);
}

}  // namespace

// Two groups at a time, g in the lower lanes and g+1 in the upper ones.
void ForwardFirstFourStages(float* dst, const float* time, const int32_t* bitRev, int32_t length,
                            float sqrt2Over2, const float* level3) {
  const int32_t stride = length / 16;
  const T8 h = _mm256_set1_ps(sqrt2Over2);
  const TLevel3Twiddles tw(level3);
  for (int32_t g = 0; g < length / 64; g += 2) {
    const float* x0 = time + 4 * bitRev[64 * g];
    const float* x1 = time + 4 * bitRev[64 * (g + 1)];
    T8 e[16], d[16], s[16];
    for (int32_t j = 0; j < 16; ++j) {
      e[j] = LoadPair(x0 + vec4::kRev4[j] * stride, x1 + vec4::kRev4[j] * stride);
    }
    for (int32_t j = 0; j < 16; j += 4)
      FirstTwoStagesOf4(d + j, e[j], e[j + 1], e[j + 2], e[j + 3]);
    ThirdStageOf8(s, d, h);
    ThirdStageOf8(s + 8, d + 8, h);
    float* out0 = dst + 64 * g;
    float* out1 = out0 + 64;
    StorePair(out0, out1, AddInOrder(s[0], s[8]));
    StorePair(out0 + 4 * 8, out1 + 4 * 8, Sub(s[0], s[8]));
    StorePair(out0 + 4 * 4, out1 + 4 * 4, s[4]);
    StorePair(out0 + 4 * 12, out1 + 4 * 12, s[12]);
    for (int32_t i = 1; i < 4; ++i) {
      const auto r = ForwardStep(s[i], s[8 + i], s[12 + i], s[4 + i], tw.Cos[i], tw.Sin[i]);
      StorePair(out0 + 4 * i, out1 + 4 * i, r.Lo);
      StorePair(out0 + 4 * (8 - i), out1 + 4 * (8 - i), r.LoMirror);
      StorePair(out0 + 4 * (8 + i), out1 + 4 * (8 + i), r.Hi);
      StorePair(out0 + 4 * (16 - i), out1 + 4 * (16 - i), r.HiMirror);
    }
  }
}

void ForwardPassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,
                            const float* cosines) {
  const int32_t n = int32_t{1} << pass;
  for (int32_t base = 0; base < length; base += 8 * n) {
    ForwardJoinPairs(dst + base, src + base, n, cosines);
  }
}

// As the 4-lane natural pass, eight elements a register: i = 1, 9, ...,
// and a last group at h-8.
void ForwardPassNatural(float* dst, const float* src, int32_t pass, int32_t length,
                        const float* cosines, const float* sines) {
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  auto step = [&](const float* s, float* d, int32_t i) {
    const auto r = ForwardStep(Load<T8>(s + i), Load<T8>(s + n + i), Load<T8>(s + n + h + i),
                               Load<T8>(s + h + i), Load<T8>(cosines + i), Load<T8>(sines + i));
    Store(d + i, r.Lo);
    Store(d + n - i - 7, Reversed(r.LoMirror));
    Store(d + n + i, r.Hi);
    Store(d + 2 * n - i - 7, Reversed(r.HiMirror));
  };
  for (int32_t b = 0; b < length; b += 2 * n) {
    const float* s = src + b;
    float* d = dst + b;
    for (int32_t i = 1; i + 7 < h; i += 8) step(s, d, i);
    step(s, d, h - 8);
    const T8 s0 = Load<T8>(s);
    const T8 sn = Load<T8>(s + n);
    StoreLow1(d, AddInOrder(s0, sn));
    StoreLow1(d + n, Sub(s0, sn));
    _mm_store_ss(d + h, _mm_load_ss(s + h));
    _mm_store_ss(d + n + h, _mm_load_ss(s + n + h));
  }
}

void InversePassNatural(float* dst, const float* src, int32_t pass, int32_t length,
                        const float* cosines, const float* sines) {
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  auto step = [&](const float* s, float* d, int32_t i) {
    const auto r = InverseStep(Load<T8>(s + i), Reversed(Load<T8>(s + n - i - 7)),
                               Load<T8>(s + n + i), Reversed(Load<T8>(s + 2 * n - i - 7)),
                               Load<T8>(cosines + i), Load<T8>(sines + i));
    Store(d + i, r.Sum);
    Store(d + h + i, r.Difference);
    Store(d + n + i, r.Real);
    Store(d + n + h + i, r.Imag);
  };
  for (int32_t b = 0; b < length; b += 2 * n) {
    const float* s = src + b;
    float* d = dst + b;
    for (int32_t i = 1; i + 7 < h; i += 8) step(s, d, i);
    step(s, d, h - 8);
    const T8 s0 = Load<T8>(s);
    const T8 sn = Load<T8>(s + n);
    StoreLow1(d, AddInOrder(s0, sn));
    StoreLow1(d + n, Sub(s0, sn));
    StoreLow1(d + h, Twice(Load<T8>(s + h)));
    StoreLow1(d + n + h, Twice(Load<T8>(s + n + h)));
  }
}

void InversePassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,
                            const float* cosines) {
  const int32_t n = int32_t{1} << pass;
  for (int32_t base = 0; base < length; base += 8 * n) {
    InverseSplitPairs(dst + base, src + base, n, cosines);
  }
}

// Two groups at a time, as the forward stages.
void InverseFirstFourStages(float* time, const float* src, const int32_t* bitRev, int32_t length,
                            float sqrt2Over2, const float* level3) {
  const int32_t stride = length / 16;
  const T8 h = _mm256_set1_ps(sqrt2Over2);
  const TLevel3Twiddles tw(level3);
  for (int32_t g = 0; g < length / 64; g += 2) {
    const float* in0 = src + 64 * g;
    const float* in1 = in0 + 64;
    T8 e[16], o[16], t[16], x[16];
    for (int32_t j = 0; j < 16; ++j) e[j] = LoadPair(in0 + 4 * j, in1 + 4 * j);
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
    float* out0 = time + 4 * bitRev[64 * g];
    float* out1 = time + 4 * bitRev[64 * (g + 1)];
    for (int32_t j = 0; j < 16; ++j) {
      StorePair(out0 + vec4::kRev4[j] * stride, out1 + vec4::kRev4[j] * stride, x[j]);
    }
  }
}

}  // namespace vorel::avx2

#endif  // VOREL_AVX2_PASSES
