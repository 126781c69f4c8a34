// Fixed-length real FFT: radix-2 decimation in time with the first two stages
// fused, working in the split spectrum layout:
//   F[0]           DC term
//   F[k]           cosine part of bin k          (1 <= k < N/2)
//   F[N/2]         Nyquist term
//   F[N/2 + k]     sine part of bin k, = -Im X[k] (1 <= k < N/2)
// Neither direction scales: InverseTransform(ForwardTransform(x)) = N * x.
// Every operation is a float operation rounded to float, in the order the
// formulas are written, so every build gives the same bits. Where the
// vectorised passes are built (see fmaths/cpu_features.h), lengths of
// 64 and more run them: the very same operations on each element (SSE2 or
// NEON), so the same bits as the plain scalar passes. The transforms
// allocate nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "dsp/fftreal/fftreal_luts.h"
#include "dsp/fmaths/cpu_features.h"
#include "dsp/fmaths/x86_nan.h"

namespace vorel {

namespace vec4 {
struct TPassSet;
}

class TFFTReal {
 public:
  // length must be a power of two from 1 to 2^30; anything else throws
  // std::invalid_argument. Builds both tables and the working buffer, and
  // chooses the vectorised passes if features allows them.
  explicit TFFTReal(int32_t length, TFeatures features = AvailableFeatures());

  // Reads length samples from time, writes the split spectrum into freq.
  // The arrays must be distinct; time is left unchanged.
  void ForwardTransform(float* freq, const float* time);
  // Reads the split spectrum from freq, writes length samples into time
  // (used as working storage too); freq is left unchanged.
  void InverseTransform(const float* freq, float* time);

#if VOREL_X86_NANS
  // Off x86 the two above give x86's NaNs (fmaths/x86_nan.h): they run the
  // plain passes and, if the result holds a NaN, run again with x86's rules.
  // A caller that knows its input can skip the check, with the passes of
  // this processor for input that can make no NaN and with x86's rules for
  // input that may.
  void ForwardTransformNoNaNs(float* freq, const float* time);
  void ForwardTransformX86NaNs(float* freq, const float* time);
  void InverseTransformNoNaNs(const float* freq, float* time);
  void InverseTransformX86NaNs(const float* freq, float* time);
#endif

  int32_t GetLength() const { return Length; }

 private:
  // The plain scalar passes that define the results (a transform built with
  // PlainFeatures() runs only these); the vectorised ones give the same bits.
  // T is float, or TX86Float for x86's NaNs off x86.
  template <typename T>
  void ForwardTransformScalar(float* freq, const float* time);
  template <typename T>
  void InverseTransformScalar(const float* freq, float* time);

  template <typename T>
  void ForwardFirstTwoStages(float* dst, const float* time) const;
  template <typename T>
  void ForwardThirdStage(float* dst, const float* src) const;
  template <typename T>
  void ForwardPass(int32_t pass, float* dst, const float* src) const;
  template <typename T>
  void InversePass(int32_t pass, float* dst, const float* src) const;
  template <typename T>
  void InverseThirdStage(float* dst, const float* src) const;
  template <typename T>
  void InverseFirstTwoStages(float* time, const float* src) const;

  // The vectorised schedules (fftreal_vector.cpp), for lengths of 64 and more.
  void ForwardTransformVector(float* freq, const float* time);
  void InverseTransformVector(const float* freq, float* time);

  std::unique_ptr<TBitReversedLUT> BitRevLUT;
  std::unique_ptr<TTrigoLUT> TrigoLUT;
  // sqrt(2) / 2 rounded to float, the value of sqrt(2.0L) * 0.5L on x87.
  static constexpr float kSqrt2Over2 = 0x1.6a09e6p-1f;
  int32_t Length;
  int32_t NbrBits;
  std::unique_ptr<float[]> Buffer;
  // Only built when the vectorised passes run.
  std::unique_ptr<TSineLUT> SineLUT;
  // The vectorised passes this transform runs, or null for the plain ones.
  const vec4::TPassSet* Passes = nullptr;
};

}  // namespace vorel
