// The output stabiliser: the last stage of every block. Clamps each sample to
// -1..1, then removes DC with the first-order high-pass filter
//   y[n] = x[n] - x[n-1] + Coefficient * y[n-1]
// whose pole follows the sample rate (a time constant of about 4 ms). The
// filter state carries over from one block to the next.
//
// Real-time promise: the stabiliser owns no memory; Process allocates
// nothing, takes no lock and makes no system call.
#pragma once

#include <cstdint>

#include "dsp/fmaths/cpu_features.h"

namespace vorel {

class TStabilize {
 public:
  // Zero filter state at a starting rate of 44100 Hz. features chooses,
  // once, whether the filter may use a fused multiply-add.
  explicit TStabilize(TFeatures features = AvailableFeatures());

  // Derives the filter coefficient from the rate; the filter state is kept.
  void SetSampleRate(float rate);

  // Clamps and filters count samples in place. A count of 0 or less does
  // nothing.
  void Process(float* buffer, int32_t count);

  // Clears the filter state, as in a new stabiliser; the rate is kept.
  void Reset() {
    PrevOutput = 0.0f;
    PrevInput = 0.0f;
  }

  float GetCoefficient() const { return Coefficient; }

 private:
  float Coefficient = 0.0f;
  float PrevOutput = 0.0f;  // y[n-1]
  float PrevInput = 0.0f;   // x[n-1], after the clamp
  bool UseFma = false;
};

}  // namespace vorel
