// One channel of the effect as every DAW format runs it: the delay line
// takes the input, the processor runs, then the dry/wet mix and the bypass
// that keeps time blend the effect with the delayed input. The LV2 plugin
// runs one, the stereo plugin one per channel; each keeps only what is its
// own (where the values come from, the bypass's polarity). While an editor
// listens, the channel publishes the engine's latest frame and its output
// peak in its mailbox (spectrum_snapshot.h), at most kSnapshotsPerSecond
// times a second of audio, so that what publishing costs the callback does
// not grow with the rate the editor asks at.
//
// Real-time promise: the constructor allocates every buffer; Run and Reset
// allocate nothing, take no lock, make no system call and do not throw.
#pragma once

#include <cstddef>

#include "dsp/fmaths/largest_magnitude.h"
#include "effect/bypass.h"
#include "effect/dry_wet_mix.h"
#include "effect/processor.h"
#include "effect/spectrum_snapshot.h"

namespace vorel {

class EffectChannel {
 public:
  static constexpr float kSnapshotsPerSecond = 30.0f;

  explicit EffectChannel(float sampleRate);

  // Takes over the six controls (port order), then processes count samples
  // from in into out, which may be one buffer, in pieces the delay line
  // holds. mixPercent is the mix control's raw value; enabled false is
  // bypassed. A count of 0 still takes over the controls and the mix.
  void Run(const float* controls, float mixPercent, bool enabled, const float* in, float* out,
           std::size_t count);

  // Back to a new channel's state at the same rate, without allocating.
  // The mailbox stays as it is: the editor may be reading it.
  void Reset();

  // Where an editor listens for this channel's snapshots.
  SnapshotMailbox& Published() { return Mailbox; }

 private:
  // While an editor listens: folds the block's output into the peak and, if
  // the editor has taken the last snapshot, a frame has come since and the
  // spacing has passed, hands over the latest frame.
  void PublishFrame(const float* out, std::size_t count);

  Processor Chain;
  DryWetMix Mix;
  TimedBypass Bypass;
  SnapshotMailbox Mailbox;
  TLargestMagnitude Largest;    // the output peak's loop, as wide as the transform's
  float PendingPeak = 0.0f;     // the output's peak since the last snapshot
  uint64_t PublishedFrame = 0;  // the engine's frame count at the last snapshot
  uint64_t SnapshotSpacing;     // samples of audio from one snapshot to the next
  uint64_t SinceSnapshot = 0;   // samples run since the last snapshot
};

}  // namespace vorel
