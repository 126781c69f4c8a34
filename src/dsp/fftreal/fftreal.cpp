#include "dsp/fftreal/fftreal.h"

#include "dsp/fftreal/fftreal_butterflies.h"
#include "dsp/fftreal/fftreal_passes_vec4.h"

#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

namespace vorel {

namespace {

int32_t CheckedLength(int32_t length) {
  if (length < 1 || length > (int32_t{1} << 30) || (length & (length - 1)) != 0) {
    throw std::invalid_argument("TFFTReal: length " + std::to_string(length) +
                                " is not a power of two from 1 to 2^30");
  }
  return length;
}

// log2 of a power of two, counted exactly: the same on every target.
int32_t BitsOfLength(int32_t length) {
  int32_t bits = 0;
  while ((int32_t{1} << bits) < length) ++bits;
  return bits;
}

#if VOREL_X86_NANS
// Whether any of the count samples at x is a NaN.
bool HoldsNaN(const float* x, int32_t count) {
  bool nan = false;
  for (int32_t i = 0; i < count; ++i) nan |= x[i] != x[i];
  return nan;
}
#endif

}  // namespace

TFFTReal::TFFTReal(int32_t length, TFeatures features)
    : Length(CheckedLength(length)), NbrBits(BitsOfLength(Length)) {
  BitRevLUT = std::make_unique<TBitReversedLUT>(NbrBits);
  TrigoLUT = std::make_unique<TTrigoLUT>(NbrBits);
  if (NbrBits > 2) Buffer.reset(new float[Length]);
#if VOREL_VECTOR_PATHS
  const TFeatures supported = Supported(features);
  if (supported.VectorTransform && Length >= vec4::kMinLength) Passes = &vec4::kFourLanes;
#if VOREL_AVX2_PASSES
  if (Passes != nullptr && supported.Avx2 && Length >= vec4::kMinLengthAvx2) {
    Passes = &vec4::kEightLanes;
  }
  if (Passes != nullptr && supported.Avx512 && Length >= vec4::kMinLengthAvx512) {
    Passes = &vec4::kSixteenLanes;
  }
#endif
  if (Passes != nullptr) SineLUT = std::make_unique<TSineLUT>(*TrigoLUT, NbrBits);
#else
  static_cast<void>(features);
#endif
}

#if VOREL_X86_NANS
void TFFTReal::ForwardTransform(float* freq, const float* time) {
  ForwardTransformNoNaNs(freq, time);
  if (HoldsNaN(freq, Length)) ForwardTransformX86NaNs(freq, time);
}

void TFFTReal::InverseTransform(const float* freq, float* time) {
  InverseTransformNoNaNs(freq, time);
  if (HoldsNaN(time, Length)) InverseTransformX86NaNs(freq, time);
}

void TFFTReal::ForwardTransformX86NaNs(float* freq, const float* time) {
  ForwardTransformScalar<TX86Float>(freq, time);
}

void TFFTReal::InverseTransformX86NaNs(const float* freq, float* time) {
  InverseTransformScalar<TX86Float>(freq, time);
}

// Off x86 the checked transforms above wrap these.
void TFFTReal::ForwardTransformNoNaNs(float* freq, const float* time) {
#else
void TFFTReal::ForwardTransform(float* freq, const float* time) {
#endif
#if VOREL_VECTOR_PATHS
  if (Passes != nullptr) {
    ForwardTransformVector(freq, time);
    return;
  }
#endif
  ForwardTransformScalar<float>(freq, time);
}

#if VOREL_X86_NANS
void TFFTReal::InverseTransformNoNaNs(const float* freq, float* time) {
#else
void TFFTReal::InverseTransform(const float* freq, float* time) {
#endif
#if VOREL_VECTOR_PATHS
  if (Passes != nullptr) {
    InverseTransformVector(freq, time);
    return;
  }
#endif
  InverseTransformScalar<float>(freq, time);
}

// The first two stages and the third alternate between the frequency array and Buffer so that
// the last pass always lands in the frequency array.
template <typename T>
void TFFTReal::ForwardTransformScalar(float* freq, const float* time) {
  using namespace butterfly;
  const float* x = time;
  float* f = freq;
  switch (NbrBits) {
    case 0:
      f[0] = x[0];
      return;
    case 1:
      Store(f, AddInOrder(Load<T>(x), Load<T>(x + 1)));
      Store(f + 1, Sub(Load<T>(x), Load<T>(x + 1)));
      return;
    case 2: {
      T d[4];
      FirstTwoStagesOf4(d, Load<T>(x), Load<T>(x + 2), Load<T>(x + 1), Load<T>(x + 3));
      for (int32_t k = 0; k < 4; ++k) Store(f + k, d[k]);
      return;
    }
    default:
      break;
  }
  const bool odd = (NbrBits & 1) != 0;
  float* src = odd ? Buffer.get() : freq;
  float* dst = odd ? freq : Buffer.get();
  ForwardFirstTwoStages<T>(src, time);
  ForwardThirdStage<T>(dst, src);
  for (int32_t pass = 3; pass < NbrBits; ++pass) {
    std::swap(src, dst);
    ForwardPass<T>(pass, dst, src);
  }
}

// The generic passes run from the widest down; the fused third stage always
// writes Buffer, and undoing the first two stages reorders Buffer into the
// time array.
template <typename T>
void TFFTReal::InverseTransformScalar(const float* freq, float* time) {
  using namespace butterfly;
  const float* f = freq;
  float* x = time;
  switch (NbrBits) {
    case 0:
      x[0] = f[0];
      return;
    case 1:
      Store(x, AddInOrder(Load<T>(f), Load<T>(f + 1)));
      Store(x + 1, Sub(Load<T>(f), Load<T>(f + 1)));
      return;
    case 2: {
      T q[4];
      if constexpr (std::is_same_v<T, float>) {
        // From the array: no stack frame on the path of every length.
        InverseFirstTwoStagesOf4(q, f);
      } else {
        T d[4];
        for (int32_t k = 0; k < 4; ++k) d[k] = Load<T>(f + k);
        InverseFirstTwoStagesOf4(q, d);
      }
      Store(x, q[0]);
      Store(x + 2, q[1]);
      Store(x + 1, q[2]);
      Store(x + 3, q[3]);
      return;
    }
    default:
      break;
  }
  const bool odd = (NbrBits & 1) != 0;
  float* target = odd ? Buffer.get() : time;
  float* spare = odd ? time : Buffer.get();
  const float* src = freq;
  for (int32_t pass = NbrBits - 1; pass >= 3; --pass) {
    InversePass<T>(pass, target, src);
    src = target;
    std::swap(target, spare);
  }
  InverseThirdStage<T>(Buffer.get(), src);
  InverseFirstTwoStages<T>(time, Buffer.get());
}

}  // namespace vorel
