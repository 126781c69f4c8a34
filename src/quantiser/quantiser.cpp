#include "quantiser/quantiser.h"

#include <cstring>

#include "fmaths/fmaths.h"
#include "quantiser/bin_walk.h"

namespace vorel {

namespace {

constexpr int32_t kOverlapLength = 2 * TQuantiser::kFrameLength;

}  // namespace

TQuantiser::TQuantiser()
    : FFT(std::make_unique<TFFTReal>(kFrameLength)) {
  InputFifo.reset(new float[kFrameLength]);
  AnalysisFrame.reset(new float[kFrameLength]);
  OverlapBuffer.reset(new float[kOverlapLength]);
  OutputBlock.reset(new float[kFrameLength]);
  SynthesisFrame.reset(new float[kFrameLength]);
  Window.reset(new float[kFrameLength]);
  Spectrum.reset(new float[kFrameLength]);
  HeldSpectrum.reset(new float[kFrameLength]);
  Fill32(OverlapBuffer.get(), kOverlapLength, 0);
  Fill32(InputFifo.get(), kFrameLength, 0);
  Fill32(OutputBlock.get(), kFrameLength, 0);
  MakeHannWindow(Window.get(), kFrameLength);
}

// Each input sample enters the FIFO as a 32-bit copy before the output sample
// at the same index is written; a frame step follows every 256th sample
// since construction, so the output does not depend on how calls cut the
// stream.
void TQuantiser::Process(const float* input, float* output, int32_t count) {
  for (int32_t n = 0; n < count; ++n) {
    std::memcpy(InputFifo.get() + FifoPos, input + n, sizeof(float));
    output[n] = OutputBlock[FifoPos - kFirstFifoPos] * Gain;
    if (++FifoPos == kFrameLength) {
      FifoPos = kFirstFifoPos;
      FrameStep();
    }
  }
}

// One hop: analyse, walk the spectrum, resynthesise at the input's level,
// overlap-add and shift by the hop.
void TQuantiser::FrameStep() {
  const float inputSum = AnalyseFrame();
  FFT->ForwardTransform(Spectrum.get(), AnalysisFrame.get());

  TWalkSettings walk;
  walk.HoldLength = HoldLength;
  walk.HoldScale = ComputeHoldScale(inputSum);
  walk.Downward = Direction != 0;
  walk.Ramp = ProcessType != 0;
  walk.BitMask = BitMask;
  THeldPair held{HeldReal, HeldImag};
  WalkSpectrum(walk, Spectrum.get(), HeldSpectrum.get(), held);
  HeldReal = held.Real;
  HeldImag = held.Imag;

  FFT->InverseTransform(HeldSpectrum.get(), SynthesisFrame.get());
  MatchLevel(inputSum);
  ShiftHop();
}

// Windows the frame for the transform and returns the summed magnitude of
// the raw, unwindowed samples, accumulated in ascending order.
float TQuantiser::AnalyseFrame() {
  float inputSum = 0.0f;
  for (int32_t i = 0; i < kFrameLength; ++i) {
    inputSum = inputSum + FAbs(InputFifo[i]);
    AnalysisFrame[i] = InputFifo[i] * Window[i];
  }
  return inputSum;
}

// 1 - min(AmpModAmount x InputSum / 1024, 1). The product is formed in
// extended precision, where it can neither overflow nor lose bits before
// the one rounding to float.
float TQuantiser::ComputeHoldScale(float inputSum) const {
  float a = static_cast<float>(static_cast<long double>(AmpModAmount) * inputSum / kFrameLength);
  if (a > 1.0f) a = 1.0f;
  return 1.0f - a;
}

// Scales the synthesis frame so that its summed magnitude equals the input
// frame's, and overlap-adds it. A frame whose synthesis is all zero has no
// level to match and adds nothing: the ratio would be 0/0 or x/0, and zero
// times that would fill the whole frame with NaN.
void TQuantiser::MatchLevel(float inputSum) {
  float outputSum = 0.0f;
  for (int32_t i = 0; i < kFrameLength; ++i) outputSum = outputSum + FAbs(SynthesisFrame[i]);
  if (outputSum == 0.0f) return;
  OverlapAdd(inputSum / outputSum);
}

// Synthesis x window x ratio + accumulator, multiplied left to right and
// added in extended precision, rounded once when stored: rounding the
// product to float first would change the last bit of some values.
void TQuantiser::OverlapAdd(float levelRatio) {
  for (int32_t i = 0; i < kFrameLength; ++i) {
    const long double product = static_cast<long double>(SynthesisFrame[i]) * Window[i] * levelRatio;
    OverlapBuffer[i] = static_cast<float>(product + OverlapBuffer[i]);
  }
}

// Hands the finished hop to the output and moves the accumulator and the
// FIFO on by one hop, all as 32-bit copies. The accumulator's elements
// 1024..1279 stay zero, so the shift clears 768..1023.
void TQuantiser::ShiftHop() {
  std::memcpy(OutputBlock.get(), OverlapBuffer.get(), kHop * sizeof(float));
  std::memmove(OverlapBuffer.get(), OverlapBuffer.get() + kHop, kFrameLength * sizeof(float));
  std::memmove(InputFifo.get(), InputFifo.get() + kHop, kFirstFifoPos * sizeof(float));
}

}  // namespace vorel
