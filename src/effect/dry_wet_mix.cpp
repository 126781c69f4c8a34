#include "effect/dry_wet_mix.h"

#include <algorithm>
#include <cmath>

#include "effect/blend.h"

namespace vorel {

namespace {

constexpr unsigned kRampStep = DryWetMix::kSteps / DryWetMix::kRampLength;
static_assert(kRampStep * DryWetMix::kRampLength == DryWetMix::kSteps, "whole steps per sample");

// The dry signal's weight in 1/kSteps that a mix percentage asks for, rounded
// to the nearest step, so that 100 % and 0 % give exactly the ends; a NaN
// gives previous. Every operation is in double and the value is clamped
// before it becomes an integer: the same on every target, never undefined.
unsigned DryShare(float mixPercent, unsigned previous) {
  if (std::isnan(mixPercent)) return previous;
  const double percent = std::clamp(static_cast<double>(mixPercent), 0.0, 100.0);
  return static_cast<unsigned>((100.0 - percent) * DryWetMix::kSteps / 100.0 + 0.5);
}

}  // namespace

void DryWetMix::Apply(float mixPercent, const float* delayed, float* out, std::size_t count) {
  Target = DryShare(mixPercent, Target);
  if (count == 0) return;
  if (!Settled) {
    Position = Target;
    Settled = true;
  }
  // The effect alone: out stays as it is.
  if (Position == 0 && Target == 0) return;
  for (std::size_t i = 0; i < count; ++i) {
    if (Position < Target) {
      Position = Target - Position > kRampStep ? Position + kRampStep : Target;
    } else if (Position > Target) {
      Position = Position - Target > kRampStep ? Position - kRampStep : Target;
    }
    BlendTowardDry(out[i], delayed[i], Position, kSteps);
  }
}

void DryWetMix::Reset() {
  Target = 0;
  Position = 0;
  Settled = false;
}

}  // namespace vorel
