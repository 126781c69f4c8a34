// A plain, per-sample model of the spectral engine, written straight from
// the frame-step rules with no restructuring: the yardstick that every
// faster form of TQuantiser must match bit for bit.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dsp/fftreal/fftreal.h"
#include "dsp/fmaths/extended_steps.h"
#include "dsp/fmaths/fmaths.h"
#include "dsp/fmaths/x86_nan.h"
#include "dsp/quantiser/bin_walk.h"
#include "dsp/quantiser/quantiser.h"

namespace vorel_test {

// The model's float steps with x86's NaNs: the hardware's on x86, the
// rules of fmaths/x86_nan.h elsewhere; the extended step chooses x87's NaN
// on every target.
inline float Add(float a, float b) { return VOREL_X86_NANS ? vorel::X86Add(a, b) : a + b; }
inline float Mul(float a, float b) { return VOREL_X86_NANS ? vorel::X86Mul(a, b) : a * b; }
inline float Div(float a, float b) { return VOREL_X86_NANS ? vorel::X86Div(a, b) : a / b; }
inline float ProductSum(float s, float w, float r, float a) {
  return vorel::Narrow(vorel::Widen(s) * vorel::Widen(w) * vorel::Widen(r) + vorel::Widen(a));
}

// The overlap-add rule element by element in extended precision.
inline void OverlapAddExtended(const float* synthesis, const float* window, float levelRatio,
                               float* accumulator, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    const vorel::TWide product =
        vorel::Widen(synthesis[i]) * vorel::Widen(window[i]) * vorel::Widen(levelRatio);
    accumulator[i] = vorel::Narrow(product + vorel::Widen(accumulator[i]));
  }
}

// One walk with no plan kept between calls.
inline void WalkSpectrum(const vorel::TWalkSettings& settings, const float* spectrum,
                         float* heldSpectrum, vorel::THeldPair& held) {
  vorel::TBinWalk walk;
  walk.Walk(settings, spectrum, heldSpectrum, held);
}

// The walk one step at a time, exactly as the hold rule reads: every pair
// receives the held pair, then a step whose counter reaches the threshold
// captures its own pair, masked.
inline void LiteralWalk(const vorel::TWalkSettings& s, const float* spectrum, float* heldSpectrum,
                        vorel::THeldPair& held) {
  int32_t counter = 0;
  for (int32_t i = 0; i < 512; ++i) {
    const int32_t p = s.Downward ? 511 - i : i;
    std::memcpy(heldSpectrum + p, &held.Real, 4);
    std::memcpy(heldSpectrum + p + 512, &held.Imag, 4);
    ++counter;
    vorel::TWide t = vorel::Widen(s.HoldLength) * vorel::Widen(s.HoldScale);
    if (s.Ramp) t = t * vorel::Widen(i) / vorel::Widen(512);
    if (vorel::Widen(counter) >= t) {
      std::memcpy(&held.Real, spectrum + p, 4);
      std::memcpy(&held.Imag, spectrum + p + 512, 4);
      held.Real ^= s.BitMask;
      held.Imag ^= s.BitMask;
      counter = 0;
    }
  }
}

class ReferenceEngine {
 public:
  int32_t HoldLength = 0;
  float Gain = 0.0f;
  uint8_t Direction = 0;
  uint32_t BitMask = 0xffffffffu;
  float AmpModAmount = 0.0f;
  uint8_t ProcessType = 0;

  ReferenceEngine()
      : fft_(1024, vorel::PlainFeatures()),
        overlap_(2048, 0.0f),
        fifo_(1024, 0.0f),
        block_(1024, 0.0f),
        window_(1024) {
    vorel::MakeHannWindow(window_.data());
  }

  void Process(const float* in, float* out, int32_t count) {
    for (int32_t n = 0; n < count; ++n) {
      std::memcpy(&fifo_[pos_], &in[n], 4);
      out[n] = Mul(block_[pos_ - 768], Gain);
      if (++pos_ == 1024) {
        pos_ = 768;
        Frame();
      }
    }
  }

 private:
  void Frame() {
    std::vector<float> analysis(1024), spectrum(1024), held(1024), synthesis(1024);
    float inputSum = 0.0f;
    for (int i = 0; i < 1024; ++i) {
      inputSum = Add(inputSum, vorel::FAbs(fifo_[i]));
      analysis[i] = Mul(fifo_[i], window_[i]);
    }
    fft_.ForwardTransform(spectrum.data(), analysis.data());
    using vorel::Widen;
    float a = vorel::Narrow(Widen(AmpModAmount) * Widen(inputSum) / Widen(1024));
    if (a > 1.0f) a = 1.0f;
    const float holdScale = vorel::Narrow(Widen(1) - Widen(a));
    vorel::TWalkSettings walk;
    walk.HoldLength = HoldLength;
    walk.HoldScale = holdScale;
    walk.Downward = Direction != 0;
    walk.Ramp = ProcessType != 0;
    walk.BitMask = BitMask;
    LiteralWalk(walk, spectrum.data(), held.data(), held_);
    fft_.InverseTransform(held.data(), synthesis.data());
    float outputSum = 0.0f;
    for (int i = 0; i < 1024; ++i) outputSum = Add(outputSum, vorel::FAbs(synthesis[i]));
    // An all-zero synthesis, and a silent frame whose synthesis is not
    // finite, add nothing.
    const bool silentButNotFinite = inputSum == 0.0f && !std::isfinite(outputSum);
    if (outputSum != 0.0f && !silentButNotFinite) {
      const float ratio = Div(inputSum, outputSum);
      for (int i = 0; i < 1024; ++i) {
        overlap_[i] = ProductSum(synthesis[i], window_[i], ratio, overlap_[i]);
      }
    }
    std::memcpy(block_.data(), overlap_.data(), 256 * 4);
    std::memmove(overlap_.data(), overlap_.data() + 256, 1024 * 4);
    std::memmove(fifo_.data(), fifo_.data() + 256, 768 * 4);
  }

  vorel::TFFTReal fft_;
  std::vector<float> overlap_, fifo_, block_, window_;
  int32_t pos_ = 768;
  vorel::THeldPair held_;
};

}  // namespace vorel_test
