// The plain scalar passes, which define the transform's bits: the
// butterflies of fftreal_butterflies.h on one float at a time.
#include "dsp/fftreal/fftreal.h"
#include "dsp/fftreal/fftreal_butterflies.h"

namespace vorel {

using namespace butterfly;

// The first two radix-2 stages, reading the time array in bit-reversed order.
void TFFTReal::ForwardFirstTwoStages(float* dst, const float* x) const {
  const int32_t* rev = BitRevLUT->GetTable();
  for (int32_t i = 0; i < Length; i += 4) {
    FirstTwoStagesOf4(dst + i, x[rev[i]], x[rev[i + 1]], x[rev[i + 2]], x[rev[i + 3]]);
  }
}

// The third radix-2 stage, blocks of 8.
void TFFTReal::ForwardThirdStage(float* dst, const float* src) const {
  for (int32_t i = 0; i < Length; i += 8) ThirdStageOf8(dst + i, src + i, kSqrt2Over2);
}

// Joins pairs of blocks of 2^pass into blocks of 2^(pass+1).
void TFFTReal::ForwardPass(int32_t pass, float* dst, const float* src) const {
  const int32_t n = int32_t{1} << pass;
  const float* cosines = TrigoLUT->GetLevelTable(pass);
  for (int32_t b = 0; b < Length; b += 2 * n) ForwardJoin<float>(dst + b, src + b, n, cosines);
}

// Undoes ForwardPass for the same pass, times two.
void TFFTReal::InversePass(int32_t pass, float* dst, const float* src) const {
  const int32_t n = int32_t{1} << pass;
  const float* cosines = TrigoLUT->GetLevelTable(pass);
  for (int32_t b = 0; b < Length; b += 2 * n) InverseSplit<float>(dst + b, src + b, n, cosines);
}

// Undoes ForwardThirdStage, times two.
void TFFTReal::InverseThirdStage(float* dst, const float* src) const {
  for (int32_t i = 0; i < Length; i += 8) InverseThirdStageOf8(dst + i, src + i, kSqrt2Over2);
}

// Undoes ForwardFirstTwoStages, times two, writing the time array in
// bit-reversed order.
void TFFTReal::InverseFirstTwoStages(float* x, const float* d) const {
  const int32_t* rev = BitRevLUT->GetTable();
  for (int32_t i = 0; i < Length; i += 4) {
    float q[4];
    InverseFirstTwoStagesOf4(q, d + i);
    x[rev[i]] = q[0];
    x[rev[i + 1]] = q[1];
    x[rev[i + 2]] = q[2];
    x[rev[i + 3]] = q[3];
  }
}

}  // namespace vorel
