#include "effect/bypass.h"

#include <cstring>

#include "effect/blend.h"

namespace vorel {

void TimedBypass::Mix(bool enabled, float* out, std::size_t count) {
  if (count == 0) return;
  const float* delayed = Line.Delayed();
  const unsigned target = enabled ? 0 : kFadeLength;
  if (!Settled) {
    FadePosition = target;
    Settled = true;
  }
  if (FadePosition == target) {
    if (!enabled) std::memcpy(out, delayed, count * sizeof(float));
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (FadePosition < target) {
      ++FadePosition;
    } else if (FadePosition > target) {
      --FadePosition;
    }
    BlendTowardDry(out[i], delayed[i], FadePosition, kFadeLength);
  }
}

void TimedBypass::Reset() {
  Line.Reset();
  FadePosition = 0;
  Settled = false;
}

}  // namespace vorel
