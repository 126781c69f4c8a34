// The forward transform's vectorised passes. The formulas are those of the
// scalar passes, element for element and operand for operand.
#include "fmaths/add_in_order.h"
#include "fftreal/fftreal_passes_sse.h"

#if VOREL_FFT_SSE

namespace vorel::sse {

namespace {

// Bit reversal of 0 .. 15 over four bits.
constexpr int32_t kRev4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

// Pass 1 on elements 0 .. 3 of x, writing d.
inline void FirstStage(__m128* d, const __m128* x) {
  d[1] = _mm_sub_ps(x[0], x[1]);
  d[3] = _mm_sub_ps(x[2], x[3]);
  const __m128 s0 = AddInOrder(x[0], x[1]);
  const __m128 s2 = AddInOrder(x[2], x[3]);
  d[0] = AddInOrder(s0, s2);
  d[2] = _mm_sub_ps(s0, s2);
}

// Pass 2 on elements 0 .. 7 of d, writing s.
inline void SecondStage(__m128* s, const __m128* d, __m128 h) {
  s[0] = AddInOrder(d[0], d[4]);
  s[4] = _mm_sub_ps(d[0], d[4]);
  s[2] = d[2];
  s[6] = d[6];
  __m128 v = _mm_mul_ps(_mm_sub_ps(d[5], d[7]), h);
  s[1] = AddInOrder(d[1], v);
  s[3] = _mm_sub_ps(d[1], v);
  v = _mm_mul_ps(AddInOrder(d[5], d[7]), h);
  s[5] = AddInOrder(v, d[3]);
  s[7] = _mm_sub_ps(v, d[3]);
}

// The inner step of a forward pass for one i: a, b, c, e are src[i],
// src[n+i], src[n+h+i] and src[h+i]; lo and hi receive dst[i], dst[n-i]
// and dst[n+i], dst[2n-i].
struct TForwardPair {
  __m128 Lo, LoMirror, Hi, HiMirror;
};
inline TForwardPair ForwardStep(__m128 a, __m128 b, __m128 c, __m128 e, __m128 cw, __m128 sw) {
  TForwardPair r;
  __m128 v = _mm_sub_ps(_mm_mul_ps(b, cw), _mm_mul_ps(c, sw));
  r.Lo = AddInOrder(a, v);
  r.LoMirror = _mm_sub_ps(a, v);
  v = AddInOrder(_mm_mul_ps(b, sw), _mm_mul_ps(c, cw));
  r.Hi = AddInOrder(v, e);
  r.HiMirror = _mm_sub_ps(v, e);
  return r;
}

}  // namespace

// Lane l of group g gathers the block of 16 whose bit-reversed sources are
// time[l + 4*rev(g) + rev4(j)*length/16], j = 0 .. 15: one load per j.
void ForwardFirstStages(float* dst, const float* time, const int32_t* bitRev, int32_t length,
                        float sqrt2Over2, const float* level3) {
  const int32_t stride = length / 16;
  const __m128 h = _mm_set1_ps(sqrt2Over2);
  __m128 cw[4], sw[4];
  for (int32_t i = 1; i < 4; ++i) {
    cw[i] = _mm_set1_ps(level3[i]);
    sw[i] = _mm_set1_ps(level3[4 - i]);
  }
  for (int32_t g = 0; g < length / 64; ++g) {
    const float* x = time + 4 * bitRev[64 * g];
    __m128 e[16], d[16], s[16];
    for (int32_t j = 0; j < 16; ++j) e[j] = _mm_loadu_ps(x + kRev4[j] * stride);
    for (int32_t j = 0; j < 16; j += 4) FirstStage(d + j, e + j);
    SecondStage(s, d, h);
    SecondStage(s + 8, d + 8, h);
    // Pass 3 on the block of 16 (n = 8, h = 4).
    float* out = dst + 64 * g;
    _mm_storeu_ps(out, AddInOrder(s[0], s[8]));
    _mm_storeu_ps(out + 4 * 8, _mm_sub_ps(s[0], s[8]));
    _mm_storeu_ps(out + 4 * 4, s[4]);
    _mm_storeu_ps(out + 4 * 12, s[12]);
    for (int32_t i = 1; i < 4; ++i) {
      const TForwardPair r = ForwardStep(s[i], s[8 + i], s[12 + i], s[4 + i], cw[i], sw[i]);
      _mm_storeu_ps(out + 4 * i, r.Lo);
      _mm_storeu_ps(out + 4 * (8 - i), r.LoMirror);
      _mm_storeu_ps(out + 4 * (8 + i), r.Hi);
      _mm_storeu_ps(out + 4 * (16 - i), r.HiMirror);
    }
  }
}

// Each output group of four blocks of 2n joins two input groups of blocks of
// n lane by lane; element e of a joined block sits at 4*e in its group.
void ForwardPassInterleaved(float* dst, const float* src, int32_t pass, int32_t length,
                            const float* cosines) {
  const int32_t n = int32_t{1} << pass;
  const int32_t h = n / 2;
  for (int32_t base = 0; base < length; base += 8 * n) {
    const float* s = src + base;
    float* d = dst + base;
    const __m128 s0 = _mm_loadu_ps(s);
    const __m128 sn = _mm_loadu_ps(s + 4 * n);
    _mm_storeu_ps(d, AddInOrder(s0, sn));
    _mm_storeu_ps(d + 4 * n, _mm_sub_ps(s0, sn));
    _mm_storeu_ps(d + 4 * h, _mm_loadu_ps(s + 4 * h));
    _mm_storeu_ps(d + 4 * (n + h), _mm_loadu_ps(s + 4 * (n + h)));
#pragma GCC unroll 2
    for (int32_t i = 1; i < h; ++i) {
      const TForwardPair r = ForwardStep(_mm_loadu_ps(s + 4 * i), _mm_loadu_ps(s + 4 * (n + i)),
                                         _mm_loadu_ps(s + 4 * (n + h + i)),
                                         _mm_loadu_ps(s + 4 * (h + i)), _mm_set1_ps(cosines[i]),
                                         _mm_set1_ps(cosines[h - i]));
      _mm_storeu_ps(d + 4 * i, r.Lo);
      _mm_storeu_ps(d + 4 * (n - i), r.LoMirror);
      _mm_storeu_ps(d + 4 * (n + i), r.Hi);
      _mm_storeu_ps(d + 4 * (2 * n - i), r.HiMirror);
    }
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
    const TForwardPair r = ForwardStep(_mm_loadu_ps(s + i), _mm_loadu_ps(s + n + i),
                                       _mm_loadu_ps(s + n + h + i), _mm_loadu_ps(s + h + i),
                                       _mm_loadu_ps(cosines + i), _mm_loadu_ps(sines + i));
    _mm_storeu_ps(d + i, r.Lo);
    _mm_storeu_ps(d + n - i - 3, Reversed(r.LoMirror));
    _mm_storeu_ps(d + n + i, r.Hi);
    _mm_storeu_ps(d + 2 * n - i - 3, Reversed(r.HiMirror));
  };
  for (int32_t b = 0; b < length; b += 2 * n) {
    const float* s = src + b;
    float* d = dst + b;
    for (int32_t i = 1; i + 3 < h; i += 4) step(s, d, i);
    step(s, d, h - 4);
    d[0] = AddInOrder(s[0], s[n]);
    d[n] = s[0] - s[n];
    d[h] = s[h];
    d[n + h] = s[n + h];
  }
}

}  // namespace vorel::sse

#endif  // VOREL_FFT_SSE
