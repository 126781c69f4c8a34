// One channel of the effect as every DAW format runs it: the delay line
// takes the input, the processor runs, then the dry/wet mix and the bypass
// that keeps time blend the effect with the delayed input. The LV2 plugin
// runs one, the stereo plugin one per channel; each keeps only what is its
// own (where the values come from, the bypass's polarity).
//
// Real-time promise: the constructor allocates every buffer; Run and Reset
// allocate nothing, take no lock, make no system call and do not throw.
#pragma once

#include <cstddef>

#include "effect/bypass.h"
#include "effect/dry_wet_mix.h"
#include "effect/processor.h"

namespace vorel {

class EffectChannel {
 public:
  explicit EffectChannel(float sampleRate) : Chain(sampleRate) {}

  // Takes over the six controls (port order), then processes count samples
  // from in into out, which may be one buffer, in pieces the delay line
  // holds. mixPercent is the mix control's raw value; enabled false is
  // bypassed. A count of 0 still takes over the controls and the mix.
  void Run(const float* controls, float mixPercent, bool enabled, const float* in, float* out,
           std::size_t count);

  // Back to a new channel's state at the same rate, without allocating.
  void Reset();

 private:
  Processor Chain;
  DryWetMix Mix;
  TimedBypass Bypass;
};

}  // namespace vorel
