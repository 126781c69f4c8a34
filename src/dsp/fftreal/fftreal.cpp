#include "dsp/fftreal/fftreal.h"

#include "dsp/fftreal/fftreal_butterflies.h"
#include "dsp/fftreal/fftreal_passes_sse.h"

#include <stdexcept>
#include <string>
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

}  // namespace

TFFTReal::TFFTReal(int32_t length, TFeatures features)
    : Length(CheckedLength(length)), NbrBits(BitsOfLength(Length)) {
  BitRevLUT = std::make_unique<TBitReversedLUT>(NbrBits);
  TrigoLUT = std::make_unique<TTrigoLUT>(NbrBits);
  if (NbrBits > 2) Buffer.reset(new float[Length]);
#if VOREL_X86_PATHS
  Vectorised = Supported(features).VectorTransform && Length >= sse::kMinLength;
  if (Vectorised) SineLUT = std::make_unique<TSineLUT>(*TrigoLUT, NbrBits);
#else
  static_cast<void>(features);
#endif
}

void TFFTReal::ForwardTransform(float* freq, const float* time) {
#if VOREL_X86_PATHS
  if (Vectorised) {
    ForwardTransformVector(freq, time);
    return;
  }
#endif
  ForwardTransformScalar(freq, time);
}

void TFFTReal::InverseTransform(const float* freq, float* time) {
#if VOREL_X86_PATHS
  if (Vectorised) {
    InverseTransformVector(freq, time);
    return;
  }
#endif
  InverseTransformScalar(freq, time);
}

// The first two stages and the third alternate between the frequency array and Buffer so that
// the last pass always lands in the frequency array.
void TFFTReal::ForwardTransformScalar(float* freq, const float* time) {
  const float* x = time;
  float* f = freq;
  switch (NbrBits) {
    case 0:
      f[0] = x[0];
      return;
    case 1:
      f[0] = AddInOrder(x[0], x[1]);
      f[1] = x[0] - x[1];
      return;
    case 2:
      butterfly::FirstTwoStagesOf4(f, x[0], x[2], x[1], x[3]);
      return;
    default:
      break;
  }
  const bool odd = (NbrBits & 1) != 0;
  float* src = odd ? Buffer.get() : freq;
  float* dst = odd ? freq : Buffer.get();
  ForwardFirstTwoStages(src, time);
  ForwardThirdStage(dst, src);
  for (int32_t pass = 3; pass < NbrBits; ++pass) {
    std::swap(src, dst);
    ForwardPass(pass, dst, src);
  }
}

// The generic passes run from the widest down; the fused third stage always
// writes Buffer, and undoing the first two stages reorders Buffer into the
// time array.
void TFFTReal::InverseTransformScalar(const float* freq, float* time) {
  const float* f = freq;
  float* x = time;
  switch (NbrBits) {
    case 0:
      x[0] = f[0];
      return;
    case 1:
      x[0] = AddInOrder(f[0], f[1]);
      x[1] = f[0] - f[1];
      return;
    case 2: {
      float q[4];
      butterfly::InverseFirstTwoStagesOf4(q, f);
      x[0] = q[0];
      x[2] = q[1];
      x[1] = q[2];
      x[3] = q[3];
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
    InversePass(pass, target, src);
    src = target;
    std::swap(target, spare);
  }
  InverseThirdStage(Buffer.get(), src);
  InverseFirstTwoStages(time, Buffer.get());
}

}  // namespace vorel
