#include "effect/bypass.h"

#include <cstring>

#include "effect/processor.h"

namespace vorel {

static_assert(TimedBypass::kMaxPiece <= Processor::kLatency, "a piece must fit in the delay line");

TimedBypass::TimedBypass() : Line(new float[Processor::kLatency]), Delayed(new float[kMaxPiece]) {
  Reset();
}

// Each input sample is read before the caller writes the output, so the
// host may give one buffer for both.
void TimedBypass::TakeInput(const float* in, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(&Delayed[i], &Line[LinePosition], sizeof(float));
    std::memcpy(&Line[LinePosition], &in[i], sizeof(float));
    LinePosition = (LinePosition + 1) % Processor::kLatency;
  }
}

// At either end of the fade the samples are copied as they are: the effect
// bit for bit, or the input bit for bit (a weight of 0 would turn -0 into +0
// and an infinity into a NaN). In between, each sample is a weighted
// mean that lies between the two: the weights are multiples of
// 1/kFadeLength and the products exact in double, so the only rounding is
// monotonic and cannot leave the interval.
void TimedBypass::Mix(bool enabled, float* out, std::size_t count) {
  if (count == 0) return;
  const unsigned target = enabled ? 0 : kFadeLength;
  if (!Settled) {
    FadePosition = target;
    Settled = true;
  }
  if (FadePosition == target) {
    if (!enabled) std::memcpy(out, Delayed.get(), count * sizeof(float));
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (FadePosition < target) {
      ++FadePosition;
    } else if (FadePosition > target) {
      --FadePosition;
    }
    if (FadePosition == kFadeLength) {
      std::memcpy(&out[i], &Delayed[i], sizeof(float));
    } else if (FadePosition > 0) {
      const double dry = static_cast<double>(FadePosition) / kFadeLength;
      out[i] = static_cast<float>((1.0 - dry) * out[i] + dry * Delayed[i]);
    }
  }
}

void TimedBypass::Reset() {
  std::memset(Line.get(), 0, Processor::kLatency * sizeof(float));
  LinePosition = 0;
  FadePosition = 0;
  Settled = false;
}

}  // namespace vorel
