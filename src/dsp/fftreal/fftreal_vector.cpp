// The order of the vectorised passes and the arrays they run between.
#include <utility>

#include "dsp/fftreal/fftreal.h"
#include "dsp/fftreal/fftreal_passes_vec4.h"

#if VOREL_VECTOR_PATHS

namespace vorel {

namespace vec4 {

const TPassSet kFourLanes = {ForwardFirstFourStages, ForwardPassInterleaved,
                             ForwardPassNatural,     InversePassNatural,
                             InversePassInterleaved, InverseFirstFourStages};
#if VOREL_AVX2_PASSES
const TPassSet kEightLanes = {avx2::ForwardFirstFourStages, avx2::ForwardPassInterleaved,
                              avx2::ForwardPassNatural,     avx2::InversePassNatural,
                              avx2::InversePassInterleaved, avx2::InverseFirstFourStages};
const TPassSet kSixteenLanes = {avx512::ForwardFirstFourStages, avx512::ForwardPassInterleaved,
                                avx512::ForwardPassNatural,     avx512::InversePassNatural,
                                avx512::InversePassInterleaved, avx512::InverseFirstFourStages};
#endif

}  // namespace vec4

// First three stages (interleaved), passes 4 .. B-3 interleaved, back to
// natural order, passes B-2 and B-1: B-2 steps, each reading the array the
// previous one wrote, alternating between Buffer and freq so that the last
// lands in freq.
void TFFTReal::ForwardTransformVector(float* freq, const float* time) {
  const int32_t steps = NbrBits - 2;
  float* dst = (steps % 2 == 1) ? freq : Buffer.get();
  float* other = (steps % 2 == 1) ? Buffer.get() : freq;
  Passes->ForwardFirstFour(dst, time, BitRevLUT->GetTable(), Length, kSqrt2Over2,
                           TrigoLUT->GetLevelTable(3));
  for (int32_t pass = 4; pass <= NbrBits - 3; ++pass) {
    std::swap(dst, other);
    Passes->ForwardInterleaved(dst, other, pass, Length, TrigoLUT->GetLevelTable(pass));
  }
  std::swap(dst, other);
  vec4::InterleavedToNatural(dst, other, Length);
  for (int32_t pass = NbrBits - 2; pass < NbrBits; ++pass) {
    std::swap(dst, other);
    Passes->ForwardNatural(dst, other, pass, Length, TrigoLUT->GetLevelTable(pass),
                           SineLUT->GetLevelTable(pass));
  }
}

// The forward steps in reverse. The B-3 steps before the last alternate
// between Buffer and the time array so that the last of them writes Buffer,
// which the fused last stages read while writing the time array.
void TFFTReal::InverseTransformVector(const float* freq, float* time) {
  const int32_t steps = NbrBits - 3;
  float* dst = (steps % 2 == 1) ? Buffer.get() : time;
  float* other = (steps % 2 == 1) ? time : Buffer.get();
  const float* src = freq;
  for (int32_t pass = NbrBits - 1; pass >= NbrBits - 2; --pass) {
    Passes->InverseNatural(dst, src, pass, Length, TrigoLUT->GetLevelTable(pass),
                           SineLUT->GetLevelTable(pass));
    src = dst;
    std::swap(dst, other);
  }
  vec4::NaturalToInterleaved(dst, src, Length);
  src = dst;
  std::swap(dst, other);
  for (int32_t pass = NbrBits - 3; pass >= 4; --pass) {
    Passes->InverseInterleaved(dst, src, pass, Length, TrigoLUT->GetLevelTable(pass));
    src = dst;
    std::swap(dst, other);
  }
  Passes->InverseFirstFour(time, src, BitRevLUT->GetTable(), Length, kSqrt2Over2,
                           TrigoLUT->GetLevelTable(3));
}

}  // namespace vorel

#endif  // VOREL_VECTOR_PATHS
