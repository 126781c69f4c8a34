// The vectorised transform passes, four floats per register: SSE2 on x86,
// Advanced SIMD (NEON) on arm64. They run the butterflies of
// fftreal_butterflies.h that the scalar passes run, so each output element
// gets the same float operations with the same operands in the same order,
// and the results are the same bits.
//
// Two memory layouts are used between passes:
//  - natural: block b of length L occupies elements b*L .. b*L+L-1, as in
//    the scalar passes;
//  - interleaved: four blocks of length L share a group of 4*L elements,
//    element e of the block in lane l stored at group start + 4*e + l, so one
//    register holds the same element of four blocks. Group g of G groups
//    holds, in lane l, block g + G*r(l), r reversing two bits (0, 2, 1, 3);
//    a pass joining blocks 2k and 2k+1 then joins the same lane of two
//    neighbouring groups, and the first three stages read four neighbouring
//    time samples per register.
// The early passes (short blocks) run interleaved, the last two natural.
#pragma once

#include "dsp/fftreal/fftreal_butterflies.h"
#include "dsp/fmaths/cpu_features.h"

#if VOREL_VECTOR_PATHS

#include <cstdint>

// On 32-bit x86 a host may call with a stack aligned to 4 bytes only, and
// the passes keep registers on the stack: realign it on entry.
#if defined(__i386__)
#define VOREL_VECTOR_ENTRY __attribute__((force_align_arg_pointer))
#else
#define VOREL_VECTOR_ENTRY
#endif

namespace vorel::vec4 {

using butterfly::Splat;
using butterfly::TVec4;

// Shortest length the vectorised passes handle: one interleaved group of
// four blocks of 16.
constexpr int32_t kMinLength = 64;

// Bit reversal of 0 .. 15 over four bits: where the fused first and last
// stages find the sixteen elements of a block.
constexpr int32_t kRev4[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

// The third stage's cosines (Cos[i]) and matching sines (Sin[i]), i = 1..3,
// each in all four lanes, for the fused first four stages.
struct TLevel3Twiddles {
  explicit TLevel3Twiddles(const float* level3) {
    Cos[0] = Sin[0] = Splat<TVec4>(0.0f);
    for (int32_t i = 1; i < 4; ++i) {
      Cos[i] = Splat<TVec4>(level3[i]);
      Sin[i] = Splat<TVec4>(level3[4 - i]);
    }
  }
  TVec4 Cos[4];
  TVec4 Sin[4];
};

// Lanes in reverse order, for elements that a pass stores or reads backwards.
inline TVec4 Reversed(TVec4 v) {
#if VOREL_X86_PATHS
  return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3));
#else
  const float32x4_t pairsSwapped = vrev64q_f32(v);
  return vextq_f32(pairsSwapped, pairsSwapped, 2);
#endif
}

// Four registers as the rows of a 4 x 4 matrix, transposed in place.
inline void Transpose(TVec4& r0, TVec4& r1, TVec4& r2, TVec4& r3) {
#if VOREL_X86_PATHS
  _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
#else
  const float32x4x2_t t01 = vtrnq_f32(r0, r1);  // a0 b0 a2 b2, a1 b1 a3 b3
  const float32x4x2_t t23 = vtrnq_f32(r2, r3);  // c0 d0 c2 d2, c1 d1 c3 d3
  r0 = vcombine_f32(vget_low_f32(t01.val[0]), vget_low_f32(t23.val[0]));
  r1 = vcombine_f32(vget_low_f32(t01.val[1]), vget_low_f32(t23.val[1]));
  r2 = vcombine_f32(vget_high_f32(t01.val[0]), vget_high_f32(t23.val[0]));
  r3 = vcombine_f32(vget_high_f32(t01.val[1]), vget_high_f32(t23.val[1]));
#endif
}

// The first four radix-2 stages fused (the first two, the third and pass 3):
// reads time through the bit-reversal table, writes interleaved blocks of
// 16. level3 is the pass-3 cosines.
VOREL_VECTOR_ENTRY void ForwardFirstFourStages(float* dst, const float* time, const int32_t* bitRev,
                                               int32_t length, float sqrt2Over2,
                                               const float* level3);
// Forward pass `pass` (3 < pass) on interleaved blocks of 2^pass.
VOREL_VECTOR_ENTRY void ForwardPassInterleaved(float* dst, const float* src, int32_t pass,
                                               int32_t length, const float* cosines);
// Forward pass `pass` on natural blocks; sines is the same level of TSineLUT.
VOREL_VECTOR_ENTRY void ForwardPassNatural(float* dst, const float* src, int32_t pass,
                                           int32_t length, const float* cosines,
                                           const float* sines);

// Inverse pass `pass` on natural blocks of 2^(pass+1).
VOREL_VECTOR_ENTRY void InversePassNatural(float* dst, const float* src, int32_t pass,
                                           int32_t length, const float* cosines,
                                           const float* sines);
// Inverse pass `pass` (3 < pass) on interleaved blocks of 2^(pass+1).
VOREL_VECTOR_ENTRY void InversePassInterleaved(float* dst, const float* src, int32_t pass,
                                               int32_t length, const float* cosines);
// Undoes the first four stages, fused (inverse pass 3, the third stage and
// the first two): reads interleaved blocks of 16, writes time through the
// bit-reversal table.
VOREL_VECTOR_ENTRY void InverseFirstFourStages(float* time, const float* src, const int32_t* bitRev,
                                               int32_t length, float sqrt2Over2,
                                               const float* level3);

// Moves four interleaved blocks of length/4 into natural order and back.
VOREL_VECTOR_ENTRY void InterleavedToNatural(float* dst, const float* src, int32_t length);
VOREL_VECTOR_ENTRY void NaturalToInterleaved(float* dst, const float* src, int32_t length);

// One set of the passes above, all in the same layouts: vec4's, or on
// x86-64 avx2's and avx512's (fftreal_passes_wide.h), eight and sixteen
// floats a register, for lengths of kMinLengthAvx2 and kMinLengthAvx512
// and more.
struct TPassSet {
  decltype(&ForwardFirstFourStages) ForwardFirstFour;
  decltype(&ForwardPassInterleaved) ForwardInterleaved;
  decltype(&ForwardPassNatural) ForwardNatural;
  decltype(&InversePassNatural) InverseNatural;
  decltype(&InversePassInterleaved) InverseInterleaved;
  decltype(&InverseFirstFourStages) InverseFirstFour;
};
extern const TPassSet kFourLanes;
#if VOREL_AVX2_PASSES
extern const TPassSet kEightLanes;
extern const TPassSet kSixteenLanes;
// Two (four) groups of the fused stages, and natural half-blocks of 16 (32)
// elements or more.
constexpr int32_t kMinLengthAvx2 = 128;
constexpr int32_t kMinLengthAvx512 = 256;
#endif

}  // namespace vorel::vec4

#if VOREL_AVX2_PASSES
// The passes' entry points in the 8- and 16-lane forms, each defined in the
// file built for its processor (fftreal_passes_avx2.cpp, _avx512.cpp).
#define VOREL_WIDE_PASS_DECLARATIONS                                                      \
  void ForwardFirstFourStages(float* dst, const float* time, const int32_t* bitRev,       \
                              int32_t length, float sqrt2Over2, const float* level3);     \
  void ForwardPassInterleaved(float* dst, const float* src, int32_t pass, int32_t length, \
                              const float* cosines);                                      \
  void ForwardPassNatural(float* dst, const float* src, int32_t pass, int32_t length,     \
                          const float* cosines, const float* sines);                      \
  void InversePassNatural(float* dst, const float* src, int32_t pass, int32_t length,     \
                          const float* cosines, const float* sines);                      \
  void InversePassInterleaved(float* dst, const float* src, int32_t pass, int32_t length, \
                              const float* cosines);                                      \
  void InverseFirstFourStages(float* time, const float* src, const int32_t* bitRev,       \
                              int32_t length, float sqrt2Over2, const float* level3);

namespace vorel::avx2 {
VOREL_WIDE_PASS_DECLARATIONS
}  // namespace vorel::avx2

namespace vorel::avx512 {
VOREL_WIDE_PASS_DECLARATIONS
}  // namespace vorel::avx512
#endif

#endif  // VOREL_VECTOR_PATHS
