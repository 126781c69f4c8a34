// The transform's passes on registers that hold several 4-float elements
// (AVX2's eight floats, AVX-512F's sixteen), written once over a register
// description R, in the layouts of the 4-lane passes (fftreal_passes_vec4.h):
// a register holds R::kGroups neighbouring elements of an interleaved group,
// as many groups side by side in the fused first and last stages, or
// 4 x R::kGroups neighbouring elements of a natural block. Each lane runs
// the butterfly the scalar pass runs, so the bits are the plain path's.
//
// Included only by the files built for those processors, each with its R
// in an unnamed namespace: everything here is then local to that file, so
// no function shared with other files is ever emitted in their form.
//
// R provides the register type V, kGroups, and:
//   LoadGroups(p) / StoreGroups(p, v)  element k of v from or to p[k]
//   SplatUp(c) / SplatDown(c)          element k all c[k] / all c[-k]
//   ReverseGroups(v)                   the elements in reverse order
//   ReverseLanes(v)                    every lane in reverse order
//   StoreGroup0(p, v) / StoreLane0(p, v)  element 0 / lane 0 alone
#pragma once

#include <cstdint>

#include "dsp/fftreal/fftreal_butterflies.h"
#include "dsp/fftreal/fftreal_passes_vec4.h"

namespace vorel::wide {

using namespace butterfly;

// The pass-3 twiddles of the fused stages, each in every lane.
template <typename R>
struct TLevel3Twiddles {
  using V = typename R::V;
  explicit TLevel3Twiddles(const float* level3) {
    Cos[0] = Sin[0] = Splat<V>(0.0f);
    for (int32_t i = 1; i < 4; ++i) {
      Cos[i] = Splat<V>(level3[i]);
      Sin[i] = Splat<V>(level3[4 - i]);
    }
  }
  V Cos[4];
  V Sin[4];
};

// R::kGroups groups at a time, group g + k in element k.
template <typename R>
void ForwardFirstFourStages(float* dst, const float* time, const int32_t* bitRev, int32_t length,
                            float sqrt2Over2, const float* level3) {
  using V = typename R::V;
  constexpr int32_t G = R::kGroups;
  const int32_t stride = length / 16;
  const V h = Splat<V>(sqrt2Over2);
  const TLevel3Twiddles<R> tw(level3);
  for (int32_t g = 0; g < length / 64; g += G) {
    const float* x[G];
    float* out[G];
    for (int32_t k = 0; k < G; ++k) {
      x[k] = time + 4 * bitRev[64 * (g + k)];
      out[k] = dst + 64 * (g + k);
    }
    V e[16], d[16], s[16];
    for (int32_t j = 0; j < 16; ++j) {
      const float* p[G];
      for (int32_t k = 0; k < G; ++k) p[k] = x[k] + vec4::kRev4[j] * stride;
      e[j] = R::LoadGroups(p);
    }
    for (int32_t j = 0; j < 16; j += 4)
      FirstTwoStagesOf4(d + j, e[j], e[j + 1], e[j + 2], e[j + 3]);
    ThirdStageOf8(s, d, h);
    ThirdStageOf8(s + 8, d + 8, h);
    auto put = [&](int32_t element, V v) {
      float* p[G];
      for (int32_t k = 0; k < G; ++k) p[k] = out[k] + 4 * element;
      R::StoreGroups(p, v);
    };
    put(0, AddInOrder(s[0], s[8]));
    put(8, Sub(s[0], s[8]));
    put(4, s[4]);
    put(12, s[12]);
    for (int32_t i = 1; i < 4; ++i) {
      const auto r = ForwardStep(s[i], s[8 + i], s[12 + i], s[4 + i], tw.Cos[i], tw.Sin[i]);
      put(i, r.Lo);
      put(8 - i, r.LoMirror);
      put(8 + i, r.Hi);
      put(16 - i, r.HiMirror);
    }
  }
}

// ForwardJoin on interleaved groups (elements four floats apart), elements
// i .. i+G-1 in one register. The loop ends by redoing elements rather than
// reach past h-1; elements 0, h, n and n+h have their own formulas (the
// elements after 0 and n ride along and are dropped).
template <typename R>
void ForwardPassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,
                            const float* cosines) {
  using V = typename R::V;
  constexpr int32_t G = R::kGroups;
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  for (int32_t base = 0; base < length; base += 8 * n) {
    const float* s = src + base;
    float* d = dst + base;
    const V s0 = Load<V>(s);
    const V sn = Load<V>(s + 4 * n);
    R::StoreGroup0(d, AddInOrder(s0, sn));
    R::StoreGroup0(d + 4 * n, Sub(s0, sn));
    for (int32_t k = 0; k < 4; ++k) {
      d[4 * h + k] = s[4 * h + k];
      d[4 * (n + h) + k] = s[4 * (n + h) + k];
    }
    auto step = [&](int32_t i) {
      const auto r = ForwardStep(Load<V>(s + 4 * i), Load<V>(s + 4 * (n + i)),
                                 Load<V>(s + 4 * (n + h + i)), Load<V>(s + 4 * (h + i)),
                                 R::SplatUp(cosines + i), R::SplatDown(cosines + h - i));
      Store(d + 4 * i, r.Lo);
      Store(d + 4 * (n - i - G + 1), R::ReverseGroups(r.LoMirror));
      Store(d + 4 * (n + i), r.Hi);
      Store(d + 4 * (2 * n - i - G + 1), R::ReverseGroups(r.HiMirror));
    };
    for (int32_t i = 1; i + G < h; i += G) step(i);
    step(h - G);
  }
}

// InverseSplit on interleaved groups, G elements a register as above.
template <typename R>
void InversePassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,
                            const float* cosines) {
  using V = typename R::V;
  constexpr int32_t G = R::kGroups;
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  for (int32_t base = 0; base < length; base += 8 * n) {
    const float* s = src + base;
    float* d = dst + base;
    const V s0 = Load<V>(s);
    const V sn = Load<V>(s + 4 * n);
    R::StoreGroup0(d, AddInOrder(s0, sn));
    R::StoreGroup0(d + 4 * n, Sub(s0, sn));
    R::StoreGroup0(d + 4 * h, Twice(Load<V>(s + 4 * h)));
    R::StoreGroup0(d + 4 * (n + h), Twice(Load<V>(s + 4 * (n + h))));
    auto step = [&](int32_t i) {
      const auto r = InverseStep(
          Load<V>(s + 4 * i), R::ReverseGroups(Load<V>(s + 4 * (n - i - G + 1))),
          Load<V>(s + 4 * (n + i)), R::ReverseGroups(Load<V>(s + 4 * (2 * n - i - G + 1))),
          R::SplatUp(cosines + i), R::SplatDown(cosines + h - i));
      Store(d + 4 * i, r.Sum);
      Store(d + 4 * (h + i), r.Difference);
      Store(d + 4 * (n + i), r.Real);
      Store(d + 4 * (n + h + i), r.Imag);
    };
    for (int32_t i = 1; i + G < h; i += G) step(i);
    step(h - G);
  }
}

// As the 4-lane natural pass, W = 4G elements a register: i = 1, 1+W, ...,
// and a last register at h-W.
template <typename R>
void ForwardPassNatural(float* dst, const float* src, int32_t pass, int32_t length,
                        const float* cosines, const float* sines) {
  using V = typename R::V;
  constexpr int32_t W = 4 * R::kGroups;
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  for (int32_t b = 0; b < length; b += 2 * n) {
    const float* s = src + b;
    float* d = dst + b;
    auto step = [&](int32_t i) {
      const auto r = ForwardStep(Load<V>(s + i), Load<V>(s + n + i), Load<V>(s + n + h + i),
                                 Load<V>(s + h + i), Load<V>(cosines + i), Load<V>(sines + i));
      Store(d + i, r.Lo);
      Store(d + n - i - W + 1, R::ReverseLanes(r.LoMirror));
      Store(d + n + i, r.Hi);
      Store(d + 2 * n - i - W + 1, R::ReverseLanes(r.HiMirror));
    };
    for (int32_t i = 1; i + W < h; i += W) step(i);
    step(h - W);
    const V s0 = Load<V>(s);
    const V sn = Load<V>(s + n);
    R::StoreLane0(d, AddInOrder(s0, sn));
    R::StoreLane0(d + n, Sub(s0, sn));
    d[h] = s[h];
    d[n + h] = s[n + h];
  }
}

template <typename R>
void InversePassNatural(float* dst, const float* src, int32_t pass, int32_t length,
                        const float* cosines, const float* sines) {
  using V = typename R::V;
  constexpr int32_t W = 4 * R::kGroups;
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  for (int32_t b = 0; b < length; b += 2 * n) {
    const float* s = src + b;
    float* d = dst + b;
    auto step = [&](int32_t i) {
      const auto r =
          InverseStep(Load<V>(s + i), R::ReverseLanes(Load<V>(s + n - i - W + 1)),
                      Load<V>(s + n + i), R::ReverseLanes(Load<V>(s + 2 * n - i - W + 1)),
                      Load<V>(cosines + i), Load<V>(sines + i));
      Store(d + i, r.Sum);
      Store(d + h + i, r.Difference);
      Store(d + n + i, r.Real);
      Store(d + n + h + i, r.Imag);
    };
    for (int32_t i = 1; i + W < h; i += W) step(i);
    step(h - W);
    const V s0 = Load<V>(s);
    const V sn = Load<V>(s + n);
    R::StoreLane0(d, AddInOrder(s0, sn));
    R::StoreLane0(d + n, Sub(s0, sn));
    R::StoreLane0(d + h, Twice(Load<V>(s + h)));
    R::StoreLane0(d + n + h, Twice(Load<V>(s + n + h)));
  }
}

// G groups at a time, as the forward stages.
template <typename R>
void InverseFirstFourStages(float* time, const float* src, const int32_t* bitRev, int32_t length,
                            float sqrt2Over2, const float* level3) {
  using V = typename R::V;
  constexpr int32_t G = R::kGroups;
  const int32_t stride = length / 16;
  const V h = Splat<V>(sqrt2Over2);
  const TLevel3Twiddles<R> tw(level3);
  for (int32_t g = 0; g < length / 64; g += G) {
    const float* in[G];
    float* out[G];
    for (int32_t k = 0; k < G; ++k) {
      in[k] = src + 64 * (g + k);
      out[k] = time + 4 * bitRev[64 * (g + k)];
    }
    V e[16], o[16], t[16], x[16];
    for (int32_t j = 0; j < 16; ++j) {
      const float* p[G];
      for (int32_t k = 0; k < G; ++k) p[k] = in[k] + 4 * j;
      e[j] = R::LoadGroups(p);
    }
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
    for (int32_t j = 0; j < 16; ++j) {
      float* p[G];
      for (int32_t k = 0; k < G; ++k) p[k] = out[k] + vec4::kRev4[j] * stride;
      R::StoreGroups(p, x[j]);
    }
  }
}

}  // namespace vorel::wide

// Defines the six entry points of the passes on one register type, in the
// namespace of the file compiled for that processor.
#define VOREL_WIDE_PASS_ENTRIES(Register)                                                  \
  void ForwardFirstFourStages(float* dst, const float* time, const int32_t* bitRev,        \
                              int32_t length, float sqrt2Over2, const float* level3) {     \
    wide::ForwardFirstFourStages<Register>(dst, time, bitRev, length, sqrt2Over2, level3); \
  }                                                                                        \
  void ForwardPassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,  \
                              const float* cosines) {                                      \
    wide::ForwardPassInterleaved<Register>(dst, src, pass, length, cosines);               \
  }                                                                                        \
  void ForwardPassNatural(float* dst, const float* src, int32_t pass, int32_t length,      \
                          const float* cosines, const float* sines) {                      \
    wide::ForwardPassNatural<Register>(dst, src, pass, length, cosines, sines);            \
  }                                                                                        \
  void InversePassNatural(float* dst, const float* src, int32_t pass, int32_t length,      \
                          const float* cosines, const float* sines) {                      \
    wide::InversePassNatural<Register>(dst, src, pass, length, cosines, sines);            \
  }                                                                                        \
  void InversePassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,  \
                              const float* cosines) {                                      \
    wide::InversePassInterleaved<Register>(dst, src, pass, length, cosines);               \
  }                                                                                        \
  void InverseFirstFourStages(float* time, const float* src, const int32_t* bitRev,        \
                              int32_t length, float sqrt2Over2, const float* level3) {     \
    wide::InverseFirstFourStages<Register>(time, src, bitRev, length, sqrt2Over2, level3); \
  }
