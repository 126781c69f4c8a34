// The plain scalar passes, which define the transform's bits: the
// butterflies of fftreal_butterflies.h on one element at a time, a float,
// or off x86 a TX86Float for x86's NaNs.
#include "dsp/fftreal/fftreal.h"
#include "dsp/fftreal/fftreal_butterflies.h"

#include <type_traits>

namespace vorel {

using namespace butterfly;

namespace {

// A stage on blocks of 8 elements with the one twiddle h: on the arrays
// themselves for float (a few instructions fewer), through copies of the
// elements for other element types.
template <typename T, void (*Stage)(T*, const T*, T)>
void EachBlockOf8(float* dst, const float* src, int32_t length, float h) {
  for (int32_t i = 0; i < length; i += 8) {
    if constexpr (std::is_same_v<T, float>) {
      Stage(dst + i, src + i, h);
    } else {
      T in[8], out[8];
      for (int32_t k = 0; k < 8; ++k) in[k] = Load<T>(src + i + k);
      Stage(out, in, Splat<T>(h));
      for (int32_t k = 0; k < 8; ++k) Store(dst + i + k, out[k]);
    }
  }
}

}  // namespace

// The first two radix-2 stages, reading the time array in bit-reversed order.
template <typename T>
void TFFTReal::ForwardFirstTwoStages(float* dst, const float* x) const {
  const int32_t* rev = BitRevLUT->GetTable();
  for (int32_t i = 0; i < Length; i += 4) {
    T d[4];
    FirstTwoStagesOf4(d, Load<T>(x + rev[i]), Load<T>(x + rev[i + 1]), Load<T>(x + rev[i + 2]),
                      Load<T>(x + rev[i + 3]));
    for (int32_t k = 0; k < 4; ++k) Store(dst + i + k, d[k]);
  }
}

// The third radix-2 stage, blocks of 8.
template <typename T>
void TFFTReal::ForwardThirdStage(float* dst, const float* src) const {
  EachBlockOf8<T, ThirdStageOf8<T>>(dst, src, Length, kSqrt2Over2);
}

// Joins pairs of blocks of 2^pass into blocks of 2^(pass+1).
template <typename T>
void TFFTReal::ForwardPass(int32_t pass, float* dst, const float* src) const {
  const int32_t n = int32_t{1} << pass;
  const float* cosines = TrigoLUT->GetLevelTable(pass);
  for (int32_t b = 0; b < Length; b += 2 * n) JoinBlock<T>(dst + b, src + b, n, cosines);
}

// Undoes ForwardPass for the same pass, times two.
template <typename T>
void TFFTReal::InversePass(int32_t pass, float* dst, const float* src) const {
  const int32_t n = int32_t{1} << pass;
  const float* cosines = TrigoLUT->GetLevelTable(pass);
  for (int32_t b = 0; b < Length; b += 2 * n) SplitBlock<T>(dst + b, src + b, n, cosines);
}

// Undoes ForwardThirdStage, times two.
template <typename T>
void TFFTReal::InverseThirdStage(float* dst, const float* src) const {
  EachBlockOf8<T, InverseThirdStageOf8<T>>(dst, src, Length, kSqrt2Over2);
}

// Undoes ForwardFirstTwoStages, times two, writing the time array in
// bit-reversed order.
template <typename T>
void TFFTReal::InverseFirstTwoStages(float* x, const float* d) const {
  const int32_t* rev = BitRevLUT->GetTable();
  for (int32_t i = 0; i < Length; i += 4) {
    T s[4], q[4];
    for (int32_t k = 0; k < 4; ++k) s[k] = Load<T>(d + i + k);
    InverseFirstTwoStagesOf4(q, s);
    Store(x + rev[i], q[0]);
    Store(x + rev[i + 1], q[1]);
    Store(x + rev[i + 2], q[2]);
    Store(x + rev[i + 3], q[3]);
  }
}

// The scalar transforms (fftreal.cpp) run these for each element type.
#define VOREL_INSTANTIATE_PASSES(T)                                             \
  template void TFFTReal::ForwardFirstTwoStages<T>(float*, const float*) const; \
  template void TFFTReal::ForwardThirdStage<T>(float*, const float*) const;     \
  template void TFFTReal::ForwardPass<T>(int32_t, float*, const float*) const;  \
  template void TFFTReal::InversePass<T>(int32_t, float*, const float*) const;  \
  template void TFFTReal::InverseThirdStage<T>(float*, const float*) const;     \
  template void TFFTReal::InverseFirstTwoStages<T>(float*, const float*) const;

VOREL_INSTANTIATE_PASSES(float)
#if VOREL_X86_NANS
VOREL_INSTANTIATE_PASSES(TX86Float)
#endif

}  // namespace vorel
