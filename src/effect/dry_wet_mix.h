// The dry/wet mix: blends the effect's output with the input delayed by the
// processor's latency, so that dry and wet line up. Its control is
// kMixControl in port_table.h ("mix", 0 to 100 %, default 100).
//
// How a format's glue uses it: one DryWetMix per channel, beside that
// channel's Processor and TimedBypass (whose delay line gives the dry
// signal). For each piece of at most TimedBypass::kMaxPiece samples:
//
//   bypass.TakeInput(in, n);                          // before the effect: in and out may alias
//   processor.Run(controls, in, out, n);              // the effect's output, in out
//   mix.Apply(mixPercent, bypass.Delayed(), out, n);  // the mix
//   bypass.Mix(enabled, out, n);                      // then the bypass crossfade
//
// and mix.Reset() wherever bypass.Reset() is called (activation). Without a
// bypass (the renderer), a LatencyLine gives the dry signal: line.Take(in, n)
// before the effect, then mix.Apply(mixPercent, line.Delayed(), out, n).
//
// mixPercent is the control's value as the host gives it, read once per
// piece: below 0 counts as 0, above 100 as 100, and a NaN keeps the value
// before. At 100 % out stays the effect's output bit for bit, at 0 % it is
// the delayed input bit for bit; in between each sample is a weighted mean
// that lies between the two (blend.h), with the dry signal's weight a
// multiple of 1/kSteps. When the value changes, the weight moves there in a
// straight line that takes kRampLength samples for the whole range, so
// automation never clicks; the first piece of samples after construction or
// Reset takes the value at once. Every channel given the same values and piece
// sizes follows the same ramp.
//
// Real-time promise: it holds no buffer; nothing allocates, takes a lock or
// makes a system call.
#pragma once

#include <cstddef>

namespace vorel {

class DryWetMix {
 public:
  // The dry signal's weight is a multiple of 1/kSteps.
  static constexpr unsigned kSteps = 4096;
  // Samples a change across the whole range takes (about 10 ms at 48 kHz).
  static constexpr unsigned kRampLength = 512;

  // Blends count samples of the effect's output in out with as many samples
  // of the delayed input, at the mix percentage given.
  void Apply(float mixPercent, const float* delayed, float* out, std::size_t count);

  // Back to a new mix's state: the next piece takes its value at once.
  void Reset();

 private:
  unsigned Target = 0;    // the dry weight the control asks for
  unsigned Position = 0;  // the dry weight of the last sample
  bool Settled = false;   // false until the first piece of samples
};

}  // namespace vorel
