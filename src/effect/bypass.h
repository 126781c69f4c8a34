// Bypass that keeps time: the input delayed by exactly the processor's
// latency, crossfaded with the effect's output whenever the switch flips,
// so that a bypassed track stays lined up and switching never clicks. The
// effect keeps running while bypassed, so switching back is seamless too.
// The delayed input it keeps is also the dry signal of the mix (see
// dry_wet_mix.h for the order of the calls).
//
// Real-time promise: the constructor allocates the delay line; everything
// else allocates nothing, takes no lock and makes no system call.
#pragma once

#include <cstddef>

#include "effect/latency_line.h"

namespace vorel {

class TimedBypass {
 public:
  // The longest piece TakeInput and Mix accept at once.
  static constexpr std::size_t kMaxPiece = LatencyLine::kMaxPiece;
  // The crossfade's length in samples (about 10 ms at 48 kHz).
  static constexpr unsigned kFadeLength = 512;

  // Stores count (at most kMaxPiece) input samples in the delay line and
  // keeps the samples that leave it, the input as it was kLatency earlier.
  void TakeInput(const float* in, std::size_t count) { Line.Take(in, count); }

  // The input delayed by the latency for the samples given to TakeInput.
  const float* Delayed() const { return Line.Delayed(); }

  // Turns the effect's output of the samples given to TakeInput into what
  // the host hears: the effect, the delayed input, or a crossfade between
  // them while the switch settles.
  void Mix(bool enabled, float* out, std::size_t count);

  // Back to a new instance's state: empty line, no fade under way.
  void Reset();

 private:
  LatencyLine Line;
  // 0 is the effect alone, kFadeLength the delayed input alone.
  unsigned FadePosition = 0;
  // False until the first Mix, which takes the switch's state without a fade.
  bool Settled = false;
};

}  // namespace vorel
