// The inverse transform's vectorised passes. The formulas are those of the
// scalar passes, element for element and operand for operand.
#include "fmaths/add_in_order.h"
#include "fftreal/fftreal_passes_sse.h"

#if VOREL_FFT_SSE

namespace vorel::sse {

namespace {

// Bit reversal of 0 .. 15 over four bits.
constexpr int32_t kRev4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

// The inner step of an inverse pass for one i: a, am, b, bm are src[i],
// src[n-i], src[n+i] and src[2n-i]; the results go to dst[i], dst[h+i],
// dst[n+i] and dst[n+h+i].
struct TInverseQuad {
  __m128 Sum, Difference, Real, Imag;
};
inline TInverseQuad InverseStep(__m128 a, __m128 am, __m128 b, __m128 bm, __m128 cw, __m128 sw) {
  TInverseQuad r;
  r.Sum = AddInOrder(a, am);
  r.Difference = _mm_sub_ps(b, bm);
  const __m128 vr = _mm_sub_ps(a, am);
  const __m128 vi = AddInOrder(b, bm);
  r.Real = AddInOrder(_mm_mul_ps(vr, cw), _mm_mul_ps(vi, sw));
  r.Imag = _mm_sub_ps(_mm_mul_ps(vi, cw), _mm_mul_ps(vr, sw));
  return r;
}

// Undoes pass 2 on elements 0 .. 7 of s, writing d.
inline void ThirdStage(__m128* d, const __m128* s, __m128 h) {
  const __m128 two = _mm_set1_ps(2.0f);
  d[0] = AddInOrder(s[0], s[4]);
  d[4] = _mm_sub_ps(s[0], s[4]);
  d[2] = _mm_mul_ps(two, s[2]);
  d[6] = _mm_mul_ps(two, s[6]);
  d[1] = AddInOrder(s[1], s[3]);
  d[3] = _mm_sub_ps(s[5], s[7]);
  const __m128 vr = _mm_sub_ps(s[1], s[3]);
  const __m128 vi = AddInOrder(s[5], s[7]);
  d[5] = _mm_mul_ps(AddInOrder(vr, vi), h);
  d[7] = _mm_mul_ps(_mm_sub_ps(vi, vr), h);
}

// Undoes pass 1 on elements 0 .. 3 of d, writing x.
inline void FinalStage(__m128* x, const __m128* d) {
  const __m128 two = _mm_set1_ps(2.0f);
  const __m128 b0 = AddInOrder(d[0], d[2]);
  const __m128 b2 = _mm_sub_ps(d[0], d[2]);
  const __m128 b1 = _mm_mul_ps(two, d[1]);
  const __m128 b3 = _mm_mul_ps(two, d[3]);
  x[0] = AddInOrder(b0, b1);
  x[1] = _mm_sub_ps(b0, b1);
  x[2] = AddInOrder(b2, b3);
  x[3] = _mm_sub_ps(b2, b3);
}

}  // namespace

// Registers hold i .. i+3 for i = 1, 5, ...; the mirrored elements n-i and
// 2n-i are whole aligned quads, loaded reversed. A last group at h-4 redoes
// element h-4; elements 0 and h have their own formulas.
void InversePassNatural(float* dst, const float* src, int32_t pass, int32_t length,
                        const float* cosines, const float* sines) {
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  auto step = [&](const float* s, float* d, int32_t i) {
    const TInverseQuad r = InverseStep(
        _mm_loadu_ps(s + i), Reversed(_mm_loadu_ps(s + n - i - 3)), _mm_loadu_ps(s + n + i),
        Reversed(_mm_loadu_ps(s + 2 * n - i - 3)), _mm_loadu_ps(cosines + i),
        _mm_loadu_ps(sines + i));
    _mm_storeu_ps(d + i, r.Sum);
    _mm_storeu_ps(d + h + i, r.Difference);
    _mm_storeu_ps(d + n + i, r.Real);
    _mm_storeu_ps(d + n + h + i, r.Imag);
  };
  for (int32_t b = 0; b < length; b += 2 * n) {
    const float* s = src + b;
    float* d = dst + b;
    for (int32_t i = 1; i + 3 < h; i += 4) step(s, d, i);
    step(s, d, h - 4);
    d[0] = AddInOrder(s[0], s[n]);
    d[n] = s[0] - s[n];
    d[h] = 2.0f * s[h];
    d[n + h] = 2.0f * s[n + h];
  }
}

// Each input group of four blocks of 2n splits lane by lane into two output
// groups of blocks of n, which occupy the same elements.
void InversePassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,
                            const float* cosines) {
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  const __m128 two = _mm_set1_ps(2.0f);
  for (int32_t base = 0; base < length; base += 8 * n) {
    const float* s = src + base;
    float* d = dst + base;
    const __m128 s0 = _mm_loadu_ps(s);
    const __m128 sn = _mm_loadu_ps(s + 4 * n);
    _mm_storeu_ps(d, AddInOrder(s0, sn));
    _mm_storeu_ps(d + 4 * n, _mm_sub_ps(s0, sn));
    _mm_storeu_ps(d + 4 * h, _mm_mul_ps(two, _mm_loadu_ps(s + 4 * h)));
    _mm_storeu_ps(d + 4 * (n + h), _mm_mul_ps(two, _mm_loadu_ps(s + 4 * (n + h))));
#pragma GCC unroll 2
    for (int32_t i = 1; i < h; ++i) {
      const TInverseQuad r = InverseStep(
          _mm_loadu_ps(s + 4 * i), _mm_loadu_ps(s + 4 * (n - i)), _mm_loadu_ps(s + 4 * (n + i)),
          _mm_loadu_ps(s + 4 * (2 * n - i)), _mm_set1_ps(cosines[i]), _mm_set1_ps(cosines[h - i]));
      _mm_storeu_ps(d + 4 * i, r.Sum);
      _mm_storeu_ps(d + 4 * (h + i), r.Difference);
      _mm_storeu_ps(d + 4 * (n + i), r.Real);
      _mm_storeu_ps(d + 4 * (n + h + i), r.Imag);
    }
  }
}

// Lane l of group g ends as the block of 16 whose samples belong at
// time[l + 4*rev(g) + rev4(j)*length/16], j = 0 .. 15: one store per j.
void InverseLastStages(float* time, const float* src, const int32_t* bitRev, int32_t length,
                       float sqrt2Over2, const float* level3) {
  const int32_t stride = length / 16;
  const __m128 h = _mm_set1_ps(sqrt2Over2);
  const __m128 two = _mm_set1_ps(2.0f);
  __m128 cw[4], sw[4];
  for (int32_t i = 1; i < 4; ++i) {
    cw[i] = _mm_set1_ps(level3[i]);
    sw[i] = _mm_set1_ps(level3[4 - i]);
  }
  for (int32_t g = 0; g < length / 64; ++g) {
    const float* in = src + 64 * g;
    __m128 e[16], o[16], t[16], x[16];
    for (int32_t j = 0; j < 16; ++j) e[j] = _mm_loadu_ps(in + 4 * j);
    // Inverse pass 3 on the block of 16 (n = 8, h = 4).
    o[0] = AddInOrder(e[0], e[8]);
    o[8] = _mm_sub_ps(e[0], e[8]);
    o[4] = _mm_mul_ps(two, e[4]);
    o[12] = _mm_mul_ps(two, e[12]);
    for (int32_t i = 1; i < 4; ++i) {
      const TInverseQuad r = InverseStep(e[i], e[8 - i], e[8 + i], e[16 - i], cw[i], sw[i]);
      o[i] = r.Sum;
      o[4 + i] = r.Difference;
      o[8 + i] = r.Real;
      o[12 + i] = r.Imag;
    }
    ThirdStage(t, o, h);
    ThirdStage(t + 8, o + 8, h);
    for (int32_t j = 0; j < 16; j += 4) FinalStage(x + j, t + j);
    float* out = time + 4 * bitRev[64 * g];
    for (int32_t j = 0; j < 16; ++j) _mm_storeu_ps(out + kRev4[j] * stride, x[j]);
  }
}

}  // namespace vorel::sse

#endif  // VOREL_FFT_SSE
