// The transform's butterflies, each written once over the element type:
// float in the plain passes, TVec4 (SSE2's __m128, NEON's float32x4_t) in
// the vectorised ones, where one register holds the same element of four
// blocks or four neighbouring elements of one block, and off x86 TX86Float
// (fmaths/x86_nan.h) for frames that may hold or make NaNs. Every formula
// is evaluated left to right as written, one rounded float operation at a
// time (no fused multiply-add), and every sum keeps its left operand first
// (AddInOrder), so a lane of the vector form gives exactly the bits of the
// float form.
//
// Every function here is static: the files built for AVX2 and AVX-512F
// include them too, and a shared copy emitted there (as an unoptimised build
// does) could be the one the linker keeps for every caller, which would
// fault on a processor without those instructions.
#pragma once

#include <cstdint>

#include "dsp/fmaths/add_in_order.h"
#include "dsp/fmaths/cpu_features.h"
#include "dsp/fmaths/x86_nan.h"

#if VOREL_X86_PATHS && defined(__AVX2__)
#include <immintrin.h>
#elif VOREL_X86_PATHS
#include <emmintrin.h>
#elif VOREL_NEON_PATHS
#include <arm_neon.h>
#endif

namespace vorel::butterfly {

// The arithmetic and memory access the butterflies are written against.
static inline float Sub(float a, float b) { return a - b; }
static inline float Mul(float a, float b) { return a * b; }
static inline float Twice(float a) { return 2.0f * a; }
template <typename T>
static T Splat(float x);
template <>
inline float Splat<float>(float x) {
  return x;
}
template <typename T>
static T Load(const float* p);
template <>
inline float Load<float>(const float* p) {
  return *p;
}
static inline void Store(float* p, float x) { *p = x; }
// Floats per element: the distance between neighbouring elements in memory.
template <typename T>
constexpr int32_t kLanes = static_cast<int32_t>(sizeof(T) / sizeof(float));

#if VOREL_X86_PATHS
using TVec4 = __m128;
static inline __m128 Sub(__m128 a, __m128 b) { return _mm_sub_ps(a, b); }
static inline __m128 Mul(__m128 a, __m128 b) { return _mm_mul_ps(a, b); }
static inline __m128 Twice(__m128 a) { return _mm_mul_ps(_mm_set1_ps(2.0f), a); }
template <>
inline __m128 Splat<__m128>(float x) {
  return _mm_set1_ps(x);
}
template <>
inline __m128 Load<__m128>(const float* p) {
  return _mm_loadu_ps(p);
}
static inline void Store(float* p, __m128 x) { _mm_storeu_ps(p, x); }
#if defined(__AVX512F__)
// Sixteen lanes, in the one file built for AVX-512F
// (fftreal_passes_avx512.cpp) and so defined nowhere else.
static inline __m512 Sub(__m512 a, __m512 b) { return _mm512_sub_ps(a, b); }
static inline __m512 Mul(__m512 a, __m512 b) { return _mm512_mul_ps(a, b); }
static inline __m512 Twice(__m512 a) { return _mm512_mul_ps(_mm512_set1_ps(2.0f), a); }
template <>
inline __m512 Splat<__m512>(float x) {
  return _mm512_set1_ps(x);
}
template <>
inline __m512 Load<__m512>(const float* p) {
  return _mm512_loadu_ps(p);
}
static inline void Store(float* p, __m512 x) { _mm512_storeu_ps(p, x); }
#elif defined(__AVX2__)
// Eight lanes, in the one file built for AVX2 (fftreal_passes_avx2.cpp) and
// so defined nowhere else.
static inline __m256 Sub(__m256 a, __m256 b) { return _mm256_sub_ps(a, b); }
static inline __m256 Mul(__m256 a, __m256 b) { return _mm256_mul_ps(a, b); }
static inline __m256 Twice(__m256 a) { return _mm256_mul_ps(_mm256_set1_ps(2.0f), a); }
template <>
inline __m256 Splat<__m256>(float x) {
  return _mm256_set1_ps(x);
}
template <>
inline __m256 Load<__m256>(const float* p) {
  return _mm256_loadu_ps(p);
}
static inline void Store(float* p, __m256 x) { _mm256_storeu_ps(p, x); }
#endif
#elif VOREL_NEON_PATHS
// AArch64's vector arithmetic rounds as its scalar arithmetic does, and
// flushes subnormals only where FPCR.FZ asks for it of both alike.
using TVec4 = float32x4_t;
static inline float32x4_t Sub(float32x4_t a, float32x4_t b) { return vsubq_f32(a, b); }
static inline float32x4_t Mul(float32x4_t a, float32x4_t b) { return vmulq_f32(a, b); }
static inline float32x4_t Twice(float32x4_t a) { return vmulq_f32(vdupq_n_f32(2.0f), a); }
template <>
inline float32x4_t Splat<float32x4_t>(float x) {
  return vdupq_n_f32(x);
}
template <>
inline float32x4_t Load<float32x4_t>(const float* p) {
  return vld1q_f32(p);
}
static inline void Store(float* p, float32x4_t x) { vst1q_f32(p, x); }
#endif

#if VOREL_X86_NANS
static inline TX86Float Sub(TX86Float a, TX86Float b) { return {X86Sub(a.Value, b.Value)}; }
static inline TX86Float Mul(TX86Float a, TX86Float b) { return {X86Mul(a.Value, b.Value)}; }
static inline TX86Float Twice(TX86Float a) { return {X86Mul(2.0f, a.Value)}; }
template <>
inline TX86Float Splat<TX86Float>(float x) {
  return {x};
}
template <>
inline TX86Float Load<TX86Float>(const float* p) {
  return {*p};
}
static inline void Store(float* p, TX86Float x) { *p = x.Value; }
#endif

// How the joins and splits below step through their blocks. 32-bit ARM's
// float loads and stores take an immediate offset only, never an index
// register, and arm64's index is 64 bits wide where the offsets are int32_t,
// so there each operand and each result walks a pointer of its own, one
// element a step; with an offset worked out for every access the loop ran
// out of registers on 32-bit ARM and spent a third of its instructions on
// offsets on arm64. Elsewhere (x86, and arm64's plain build, where clang
// vectorises the index loop) one index serves every access.
#if defined(__arm__) || (defined(__aarch64__) && VOREL_NEON_PATHS)
#define VOREL_WALKING_POINTERS 1
#else
#define VOREL_WALKING_POINTERS 0
#endif

// The first two radix-2 stages on four elements x0 .. x3 (bit-reversed
// order), writing d[0 .. 3].
template <typename T>
static inline void FirstTwoStagesOf4(T* d, T x0, T x1, T x2, T x3) {
  d[1] = Sub(x0, x1);
  d[3] = Sub(x2, x3);
  const T s0 = AddInOrder(x0, x1);
  const T s2 = AddInOrder(x2, x3);
  d[0] = AddInOrder(s0, s2);
  d[2] = Sub(s0, s2);
}

// The third radix-2 stage on d[0 .. 7], writing s[0 .. 7]; the one twiddle
// is h = sqrt(2)/2.
template <typename T>
static inline void ThirdStageOf8(T* s, const T* d, T h) {
  s[0] = AddInOrder(d[0], d[4]);
  s[4] = Sub(d[0], d[4]);
  s[2] = d[2];
  s[6] = d[6];
  T v = Mul(Sub(d[5], d[7]), h);
  s[1] = AddInOrder(d[1], v);
  s[3] = Sub(d[1], v);
  v = Mul(AddInOrder(d[5], d[7]), h);
  s[5] = AddInOrder(v, d[3]);
  s[7] = Sub(v, d[3]);
}

// The inner step of a forward pass on blocks of n for one i: a, b, c, e are
// src[i], src[n+i], src[n+h+i] and src[h+i]; the results go to dst[i],
// dst[n-i], dst[n+i] and dst[2n-i].
template <typename T>
struct TForwardStep {
  T Lo, LoMirror, Hi, HiMirror;
};
template <typename T>
static inline TForwardStep<T> ForwardStep(T a, T b, T c, T e, T cw, T sw) {
  TForwardStep<T> r;
  T v = Sub(Mul(b, cw), Mul(c, sw));
  r.Lo = AddInOrder(a, v);
  r.LoMirror = Sub(a, v);
  v = AddInOrder(Mul(b, sw), Mul(c, cw));
  r.Hi = AddInOrder(v, e);
  r.HiMirror = Sub(v, e);
  return r;
}

// The inner step of an inverse pass for one i: a, am, b, bm are src[i],
// src[n-i], src[n+i] and src[2n-i]; the results go to dst[i], dst[h+i],
// dst[n+i] and dst[n+h+i].
template <typename T>
struct TInverseStep {
  T Sum, Difference, Real, Imag;
};
template <typename T>
static inline TInverseStep<T> InverseStep(T a, T am, T b, T bm, T cw, T sw) {
  TInverseStep<T> r;
  r.Sum = AddInOrder(a, am);
  r.Difference = Sub(b, bm);
  const T vr = Sub(a, am);
  const T vi = AddInOrder(b, bm);
  r.Real = AddInOrder(Mul(vr, cw), Mul(vi, sw));
  r.Imag = Sub(Mul(vi, cw), Mul(vr, sw));
  return r;
}

// Undoes ThirdStageOf8, times two: s[0 .. 7] to d[0 .. 7].
template <typename T>
static inline void InverseThirdStageOf8(T* d, const T* s, T h) {
  d[0] = AddInOrder(s[0], s[4]);
  d[4] = Sub(s[0], s[4]);
  d[2] = Twice(s[2]);
  d[6] = Twice(s[6]);
  d[1] = AddInOrder(s[1], s[3]);
  d[3] = Sub(s[5], s[7]);
  const T vr = Sub(s[1], s[3]);
  const T vi = AddInOrder(s[5], s[7]);
  d[5] = Mul(AddInOrder(vr, vi), h);
  d[7] = Mul(Sub(vi, vr), h);
}

// Undoes FirstTwoStagesOf4, times two: d[0 .. 3] to x[0 .. 3], which the caller
// stores in bit-reversed order.
template <typename T>
static inline void InverseFirstTwoStagesOf4(T* x, const T* d) {
  const T b0 = AddInOrder(d[0], d[2]);
  const T b2 = Sub(d[0], d[2]);
  const T b1 = Twice(d[1]);
  const T b3 = Twice(d[3]);
  x[0] = AddInOrder(b0, b1);
  x[1] = Sub(b0, b1);
  x[2] = AddInOrder(b2, b3);
  x[3] = Sub(b2, b3);
}

// Elements 0, h, n and n+h of a forward join, which need no twiddle.
template <typename T>
static inline void ForwardJoinEnds(float* d, const float* s, int32_t n) {
  constexpr int32_t w = kLanes<T>;
  const int32_t h = n / 2;
  const T s0 = Load<T>(s);
  const T sn = Load<T>(s + w * n);
  Store(d, AddInOrder(s0, sn));
  Store(d + w * n, Sub(s0, sn));
  Store(d + w * h, Load<T>(s + w * h));
  Store(d + w * (n + h), Load<T>(s + w * (n + h)));
}

// A forward pass joining two blocks of n (elements kLanes<T> floats apart)
// at s into one block of 2n at d; h = n/2 and cosines is the pass's level.
template <typename T>
static inline void ForwardJoin(float* d, const float* s, int32_t n, const float* cosines) {
  constexpr int32_t w = kLanes<T>;
  const int32_t h = n / 2;
  ForwardJoinEnds<T>(d, s, n);
#if VOREL_WALKING_POINTERS
  const float* a = s + w;
  const float* b = s + w * (n + 1);
  const float* c = s + w * (n + h + 1);
  const float* e = s + w * (h + 1);
  const float* cw = cosines + 1;
  const float* sw = cosines + h - 1;
  float* lo = d + w;
  float* loMirror = d + w * (n - 1);
  float* hi = d + w * (n + 1);
  float* hiMirror = d + w * (2 * n - 1);
#pragma GCC unroll 2
  for (int32_t i = 1; i < h; ++i) {
    const auto r =
        ForwardStep(Load<T>(a), Load<T>(b), Load<T>(c), Load<T>(e), Splat<T>(*cw), Splat<T>(*sw));
    Store(lo, r.Lo);
    Store(loMirror, r.LoMirror);
    Store(hi, r.Hi);
    Store(hiMirror, r.HiMirror);
    a += w;
    b += w;
    c += w;
    e += w;
    ++cw;
    --sw;
    lo += w;
    loMirror -= w;
    hi += w;
    hiMirror -= w;
  }
#else
#pragma GCC unroll 2
  for (int32_t i = 1; i < h; ++i) {
    const auto r =
        ForwardStep(Load<T>(s + w * i), Load<T>(s + w * (n + i)), Load<T>(s + w * (n + h + i)),
                    Load<T>(s + w * (h + i)), Splat<T>(cosines[i]), Splat<T>(cosines[h - i]));
    Store(d + w * i, r.Lo);
    Store(d + w * (n - i), r.LoMirror);
    Store(d + w * (n + i), r.Hi);
    Store(d + w * (2 * n - i), r.HiMirror);
  }
#endif
}

// Elements 0, h, n and n+h of an inverse split.
template <typename T>
static inline void InverseSplitEnds(float* d, const float* s, int32_t n) {
  constexpr int32_t w = kLanes<T>;
  const int32_t h = n / 2;
  const T s0 = Load<T>(s);
  const T sn = Load<T>(s + w * n);
  Store(d, AddInOrder(s0, sn));
  Store(d + w * n, Sub(s0, sn));
  Store(d + w * h, Twice(Load<T>(s + w * h)));
  Store(d + w * (n + h), Twice(Load<T>(s + w * (n + h))));
}

// Undoes ForwardJoin, times two.
template <typename T>
static inline void InverseSplit(float* d, const float* s, int32_t n, const float* cosines) {
  constexpr int32_t w = kLanes<T>;
  const int32_t h = n / 2;
  InverseSplitEnds<T>(d, s, n);
#if VOREL_WALKING_POINTERS
  const float* a = s + w;
  const float* am = s + w * (n - 1);
  const float* b = s + w * (n + 1);
  const float* bm = s + w * (2 * n - 1);
  const float* cw = cosines + 1;
  const float* sw = cosines + h - 1;
  float* sum = d + w;
  float* difference = d + w * (h + 1);
  float* real = d + w * (n + 1);
  float* imag = d + w * (n + h + 1);
#pragma GCC unroll 2
  for (int32_t i = 1; i < h; ++i) {
    const auto r =
        InverseStep(Load<T>(a), Load<T>(am), Load<T>(b), Load<T>(bm), Splat<T>(*cw), Splat<T>(*sw));
    Store(sum, r.Sum);
    Store(difference, r.Difference);
    Store(real, r.Real);
    Store(imag, r.Imag);
    a += w;
    am -= w;
    b += w;
    bm -= w;
    ++cw;
    --sw;
    sum += w;
    difference += w;
    real += w;
    imag += w;
  }
#else
#pragma GCC unroll 2
  for (int32_t i = 1; i < h; ++i) {
    const auto r =
        InverseStep(Load<T>(s + w * i), Load<T>(s + w * (n - i)), Load<T>(s + w * (n + i)),
                    Load<T>(s + w * (2 * n - i)), Splat<T>(cosines[i]), Splat<T>(cosines[h - i]));
    Store(d + w * i, r.Sum);
    Store(d + w * (h + i), r.Difference);
    Store(d + w * (n + i), r.Real);
    Store(d + w * (n + h + i), r.Imag);
  }
#endif
}

// One block's join and one block's split, as the passes call them. Where
// they walk pointers they stay out of the pass's loop over blocks: with the
// pass's own values live beside the ten pointers, the loop runs out of
// registers and spills. Elsewhere they are inlined, which saves a call a
// block.
#if VOREL_WALKING_POINTERS
#define VOREL_BLOCK_STEP __attribute__((noinline))
#else
#define VOREL_BLOCK_STEP inline
#endif

template <typename T>
static VOREL_BLOCK_STEP void JoinBlock(float* d, const float* s, int32_t n, const float* cosines) {
  ForwardJoin<T>(d, s, n, cosines);
}

template <typename T>
static VOREL_BLOCK_STEP void SplitBlock(float* d, const float* s, int32_t n, const float* cosines) {
  InverseSplit<T>(d, s, n, cosines);
}

}  // namespace vorel::butterfly
