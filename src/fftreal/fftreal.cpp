#include "fftreal/fftreal.h"

#include "fmaths/add_in_order.h"
#include "fftreal/fftreal_passes_sse.h"

#include <cmath>
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

int32_t BitsOfLength(float logLength) {
  return static_cast<int32_t>(std::floor(logLength / std::log(2.0L) + 0.5L));
}

}  // namespace

TFFTReal::TFFTReal(int32_t length)
    : LogLength(static_cast<float>(std::log(static_cast<long double>(CheckedLength(length))))),
      Sqrt2Over2(0.0f),
      Length(length),
      NbrBits(BitsOfLength(LogLength)) {
  BitRevLUT = std::make_unique<TBitReversedLUT>(NbrBits);
  TrigoLUT = std::make_unique<TTrigoLUT>(NbrBits);
  Sqrt2Over2 = static_cast<float>(std::sqrt(2.0L) * 0.5L);
  if (NbrBits > 2) Buffer.reset(new float[Length]);
#if VOREL_FFT_SSE
  if (Length >= sse::kMinLength) SineLUT = std::make_unique<TSineLUT>(*TrigoLUT, NbrBits);
#endif
}

void TFFTReal::ForwardTransform(float* freq, const float* time) {
#if VOREL_FFT_SSE
  if (Length >= sse::kMinLength) {
    ForwardTransformVector(freq, time);
    return;
  }
#endif
  ForwardTransformScalar(freq, time);
}

void TFFTReal::InverseTransform(const float* freq, float* time) {
#if VOREL_FFT_SSE
  if (Length >= sse::kMinLength) {
    InverseTransformVector(freq, time);
    return;
  }
#endif
  InverseTransformScalar(freq, time);
}

// Pass 1 and pass 2 alternate between the frequency array and Buffer so that
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
    case 2: {
      f[1] = x[0] - x[2];
      f[3] = x[1] - x[3];
      const float s0 = AddInOrder(x[0], x[2]);
      const float s2 = AddInOrder(x[1], x[3]);
      f[0] = AddInOrder(s0, s2);
      f[2] = s0 - s2;
      return;
    }
    default:
      break;
  }
  const bool odd = (NbrBits & 1) != 0;
  float* src = odd ? Buffer.get() : freq;
  float* dst = odd ? freq : Buffer.get();
  ForwardPass1(src, time);
  ForwardPass2(dst, src);
  for (int32_t pass = 3; pass < NbrBits; ++pass) {
    std::swap(src, dst);
    ForwardPass(pass, dst, src);
  }
}

// The generic passes run from the widest down; the fused third stage always
// writes Buffer, and the final pass reorders Buffer into the time array.
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
      const float b0 = AddInOrder(f[0], f[2]);
      const float b2 = f[0] - f[2];
      x[0] = AddInOrder(b0, 2.0f * f[1]);
      x[2] = b0 - 2.0f * f[1];
      x[1] = AddInOrder(b2, 2.0f * f[3]);
      x[3] = b2 - 2.0f * f[3];
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
  InverseFinalPass(time, Buffer.get());
}

}  // namespace vorel
