#include "dsp/quantiser/quantiser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/fmaths/add_in_order.h"
#include "dsp/fmaths/extended_steps.h"
#include "dsp/fmaths/fmaths.h"
#include "dsp/fmaths/x86_nan.h"

namespace vorel {

namespace {

constexpr int32_t kOverlapLength = 2 * TQuantiser::kFrameLength;
static_assert(TBinWalk::kPairs == TQuantiser::kFrameLength / 2,
              "the walk covers the frame's pairs");

// At most 2^117 in magnitude, 1024 samples sum to less than the largest float
// however the sum rounds, so InputSum is finite.
constexpr int32_t kTameMagnitudeBits = (117 + 127) << 23;

}  // namespace

TQuantiser::TQuantiser(TFeatures features)
    : FFT(std::make_unique<TFFTReal>(kFrameLength, features)),
      OverlapAddPath(ChooseOverlapAdd(features)) {
  InputFifo.reset(new float[kFrameLength]);
  AnalysisFrame.reset(new float[kFrameLength]);
  OverlapBuffer.reset(new float[kOverlapLength]);
  OutputBlock.reset(new float[kFrameLength]);
  SynthesisFrame.reset(new float[kFrameLength]);
  Window.reset(new float[kFrameLength]);
  Spectrum.reset(new float[kFrameLength]);
  HeldSpectrum.reset(new float[kFrameLength]);
  OverlapScratch.reset(new float[kFrameLength]);
  MakeHannWindow(Window.get());
  Reset();
}

void TQuantiser::Reset() {
  Fill32(OverlapBuffer.get(), kOverlapLength, 0);
  Fill32(InputFifo.get(), kFrameLength, 0);
  Fill32(OutputBlock.get(), kFrameLength, 0);
  FifoPos = kFirstFifoPos;
  Frames = 0;
  HeldReal = 0;
  HeldImag = 0;
  HoldLength = 0;
  Gain = 0.0f;
  Direction = 0;
  BitMask = 0xffffffffu;
  AmpModAmount = 0.0f;
  ProcessType = 0;
}

// The samples up to each frame boundary are taken as one run; a frame step
// follows every 256th sample since construction, so the output does not
// depend on how calls cut the stream.
void TQuantiser::Process(const float* input, float* output, int32_t count) {
  [[maybe_unused]] const TExtendedScope scope;
  int32_t n = 0;
  while (n < count) {
    const int32_t run = std::min(count - n, kFrameLength - FifoPos);
    TakeRun(input + n, output + n, run);
    n += run;
    if (FifoPos == kFrameLength) {
      FifoPos = kFirstFifoPos;
      FrameStep();
    }
  }
}

// Input samples enter the FIFO as 32-bit copies; output samples are the
// finished hop times Gain. Every input sample is read before the output
// sample at its index is written: for one shared array or two apart, the
// whole run is read first; arrays that overlap otherwise go sample by sample.
void TQuantiser::TakeRun(const float* input, float* output, int32_t run) {
  float* fifo = InputFifo.get() + FifoPos;
  const float* finished = OutputBlock.get() + (FifoPos - kFirstFifoPos);
  const float gain = Gain;
  const auto in = reinterpret_cast<uintptr_t>(input);
  const auto out = reinterpret_cast<uintptr_t>(output);
  const uintptr_t bytes = static_cast<uintptr_t>(run) * sizeof(float);
  if (in == out || in + bytes <= out || out + bytes <= in) {
    std::memcpy(fifo, input, bytes);
    for (int32_t j = 0; j < run; ++j) output[j] = finished[j] * gain;
  } else {
    for (int32_t j = 0; j < run; ++j) {
      std::memcpy(fifo + j, input + j, sizeof(float));
      output[j] = finished[j] * gain;
    }
  }
#if VOREL_X86_NANS
  // 0 x infinity is the one NaN these products make whose bits x86 decides
  // differently; the input is all read by now.
  if (gain == 0.0f || gain - gain != 0.0f) {
    for (int32_t j = 0; j < run; ++j) output[j] = X86Mul(finished[j], gain);
  }
#endif
  FifoPos += run;
}

// One hop: analyse, walk the spectrum, resynthesise at the input's level,
// overlap-add and shift by the hop.
//
// The two summed magnitudes are long serial float sums (their order fixes
// their bits). When "amp-mod amt" is 0 and no sample can make InputSum
// infinite or NaN, HoldScale is exactly 1 whatever InputSum is, so InputSum
// is summed later, side by side with OutputSum, and the two sums overlap.
void TQuantiser::FrameStep() {
  const bool tame = WindowFrame();
#if VOREL_X86_NANS
  // A tame frame makes no NaN in the transform: every value stays below the
  // summed magnitude of the frame, less than 2^127.
  if (tame) {
    FFT->ForwardTransformNoNaNs(Spectrum.get(), AnalysisFrame.get());
  } else {
    FFT->ForwardTransformX86NaNs(Spectrum.get(), AnalysisFrame.get());
  }
#else
  FFT->ForwardTransform(Spectrum.get(), AnalysisFrame.get());
#endif
  const bool sumLater = AmpModAmount == 0.0f && tame;
  float inputSum = 0.0f;
  float holdScale = 1.0f;
  if (!sumLater) {
    inputSum = SumMagnitudes(InputFifo.get());
    holdScale = ComputeHoldScale(inputSum);
  }
  WalkHeldPairs(holdScale);
#if VOREL_X86_NANS
  FFT->InverseTransformNoNaNs(HeldSpectrum.get(), SynthesisFrame.get());
#else
  FFT->InverseTransform(HeldSpectrum.get(), SynthesisFrame.get());
#endif
  float outputSum = 0.0f;
  if (sumLater) {
    SumMagnitudesSideBySide(inputSum, outputSum);
  } else {
    outputSum = SumMagnitudes(SynthesisFrame.get());
  }
#if VOREL_X86_NANS
  // A sum of magnitudes is a NaN exactly when a term is: then a NaN arose in
  // the inverse transform, which is run again with x86's rules.
  if (outputSum != outputSum) {
    FFT->InverseTransformX86NaNs(HeldSpectrum.get(), SynthesisFrame.get());
    outputSum = SumMagnitudes(SynthesisFrame.get());
  }
#endif
  if (HasLevelToMatch(inputSum, outputSum)) AddFrameToOverlap(X86Div(inputSum, outputSum));
  ShiftHop();
  ++Frames;
}

// Whether a frame is matched in level and added, or adds nothing. A
// synthesis of all zeros has no level to match: the ratio would be 0/0 or
// x/0, and zero times that fills the whole frame with NaN. Nor has a silent
// input frame whose synthesis is infinite or NaN, as the mask makes of the
// exact zeros of a silent spectrum: 0/NaN and 0 x infinity are NaN, which
// the stabiliser turns into a full-scale click out of silence. Every other
// frame is added as it comes, NaNs included. All paths decide here.
bool TQuantiser::HasLevelToMatch(float inputSum, float outputSum) {
  if (outputSum == 0.0f) return false;
  return inputSum != 0.0f || std::isfinite(outputSum);
}

// Windows the frame for the transform. Returns whether every sample is at
// most 2^117 in magnitude, so that InputSum cannot overflow.
bool TQuantiser::WindowFrame() {
  int32_t wild = 0;
  for (int32_t i = 0; i < kFrameLength; ++i) {
    AnalysisFrame[i] = InputFifo[i] * Window[i];
    const auto magnitude = static_cast<int32_t>(BitsOf(InputFifo[i]) & 0x7fffffffu);
    wild |= magnitude > kTameMagnitudeBits ? 1 : 0;
  }
#if VOREL_X86_NANS
  if (wild != 0) {
    for (int32_t i = 0; i < kFrameLength; ++i) AnalysisFrame[i] = X86Mul(InputFifo[i], Window[i]);
  }
#endif
  return wild == 0;
}

// The held pairs for this frame, carrying the held pair across frames.
void TQuantiser::WalkHeldPairs(float holdScale) {
  TWalkSettings walk;
  walk.HoldLength = HoldLength;
  walk.HoldScale = holdScale;
  walk.Downward = Direction != 0;
  walk.Ramp = ProcessType != 0;
  walk.BitMask = BitMask;
  THeldPair held{HeldReal, HeldImag};
  BinWalk.Walk(walk, Spectrum.get(), HeldSpectrum.get(), held);
  HeldReal = held.Real;
  HeldImag = held.Imag;
}

// Summed magnitude of a frame, accumulated in ascending order. The running
// sum stays the first operand, so a NaN sum keeps its payload in every build.
float TQuantiser::SumMagnitudes(const float* frame) {
  float sum = 0.0f;
  for (int32_t i = 0; i < kFrameLength; ++i) sum = AddInOrder(sum, FAbs(frame[i]));
#if VOREL_X86_NANS
  // Off x86 a sum that met two NaNs may have kept either: summed again with
  // x86's rules.
  if (sum != sum) {
    sum = 0.0f;
    for (int32_t i = 0; i < kFrameLength; ++i) sum = X86Add(sum, FAbs(frame[i]));
  }
#endif
  return sum;
}

// Both summed magnitudes in one loop: two independent chains, each still in
// ascending order.
void TQuantiser::SumMagnitudesSideBySide(float& inputSum, float& outputSum) const {
  float in = 0.0f;
  float out = 0.0f;
  for (int32_t i = 0; i < kFrameLength; ++i) {
    in = AddInOrder(in, FAbs(InputFifo[i]));
    out = AddInOrder(out, FAbs(SynthesisFrame[i]));
  }
  inputSum = in;
  outputSum = out;
}

// 1 - min(AmpModAmount x InputSum / 1024, 1). The product is formed in
// extended precision, where it can neither overflow nor lose bits before
// the one rounding to float.
float TQuantiser::ComputeHoldScale(float inputSum) const {
  float a = Narrow(Widen(AmpModAmount) * Widen(inputSum) / Widen(kFrameLength));
  if (a > 1.0f) a = 1.0f;
  return 1.0f - a;
}

// Scales the synthesis frame by the level ratio, windows it and adds it
// into the accumulator.
void TQuantiser::AddFrameToOverlap(float levelRatio) {
  OverlapAddPath(SynthesisFrame.get(), Window.get(), levelRatio, OverlapBuffer.get(),
                 OverlapScratch.get(), kFrameLength);
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
