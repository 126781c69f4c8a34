// Bypass that keeps time: the input delayed by exactly the processor's
// latency, crossfaded with the effect's output whenever the switch flips,
// so that a bypassed track stays lined up and switching never clicks. The
// effect keeps running while bypassed, so switching back is seamless too.
//
// Real-time promise: the constructor allocates both buffers; everything
// else allocates nothing, takes no lock and makes no system call.
#pragma once

#include <cstddef>
#include <memory>

namespace vorel {

class TimedBypass {
 public:
  // The longest piece TakeInput and Mix accept at once.
  static constexpr std::size_t kMaxPiece = 1024;
  // The crossfade's length in samples (about 10 ms at 48 kHz).
  static constexpr unsigned kFadeLength = 512;

  TimedBypass();

  // Stores count (at most kMaxPiece) input samples in the delay line and
  // keeps the samples that leave it, the input as it was kLatency earlier.
  void TakeInput(const float* in, std::size_t count);

  // Turns the effect's output of the samples given to TakeInput into what
  // the host hears: the effect, the delayed input, or a crossfade between
  // them while the switch settles.
  void Mix(bool enabled, float* out, std::size_t count);

  // Back to a new instance's state: empty line, no fade under way.
  void Reset();

 private:
  std::unique_ptr<float[]> Line;     // the last kLatency inputs, a ring
  std::unique_ptr<float[]> Delayed;  // the line's output for the current piece
  std::size_t LinePosition = 0;
  // 0 is the effect alone, kFadeLength the delayed input alone.
  unsigned FadePosition = 0;
  // False until the first Mix, which takes the switch's state without a fade.
  bool Settled = false;
};

}  // namespace vorel
