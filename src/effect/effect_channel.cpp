#include "effect/effect_channel.h"

#include <algorithm>
#include <cstring>

namespace vorel {

namespace {

// One snapshot's share of a second at this rate; a rate a host got wrong
// (NaN, below kSnapshotsPerSecond, absurdly high) still gives a spacing.
uint64_t SpacingAt(float sampleRate) {
  const float spacing = sampleRate / EffectChannel::kSnapshotsPerSecond;
  return spacing >= 1.0f && spacing < 1e9f ? static_cast<uint64_t>(spacing) : 1;
}

}  // namespace

EffectChannel::EffectChannel(float sampleRate)
    : Chain(sampleRate),
      Largest(ChooseLargestMagnitude(AvailableFeatures())),
      SnapshotSpacing(SpacingAt(sampleRate)) {}

// The delay line takes each piece before the effect writes out, so in and
// out may alias; the mix comes before the bypass (dry_wet_mix.h).
void EffectChannel::Run(const float* controls, float mixPercent, bool enabled, const float* in,
                        float* out, std::size_t count) {
  float* const block = out;
  const std::size_t total = count;
  do {
    const std::size_t piece = std::min(count, TimedBypass::kMaxPiece);
    Bypass.TakeInput(in, piece);
    Chain.Run(controls, in, out, piece);
    Mix.Apply(mixPercent, Bypass.Delayed(), out, piece);
    Bypass.Mix(enabled, out, piece);
    in += piece;
    out += piece;
    count -= piece;
  } while (count > 0);
  if (Mailbox.Listened()) PublishFrame(block, total);
}

void EffectChannel::PublishFrame(const float* out, std::size_t count) {
  const float peak = std::max(Largest(out, count), PendingPeak);
  PendingPeak = peak;
  SinceSnapshot += count;
  const TQuantiser& engine = Chain.Engine();
  if (SinceSnapshot < SnapshotSpacing || engine.FrameCount() == PublishedFrame ||
      !Mailbox.Taken()) {
    return;
  }
  SpectrumSnapshot& next = Mailbox.Next();
  std::memcpy(next.Input, engine.LatestSpectrum(), sizeof(next.Input));
  std::memcpy(next.Held, engine.LatestHeldSpectrum(), sizeof(next.Held));
  next.Peak = peak;
  next.Frame = engine.FrameCount();
  Mailbox.Publish();
  PublishedFrame = next.Frame;
  PendingPeak = 0.0f;
  SinceSnapshot = 0;
}

void EffectChannel::Reset() {
  Chain.Reset();
  Mix.Reset();
  Bypass.Reset();
  PendingPeak = 0.0f;
  PublishedFrame = 0;
  SinceSnapshot = 0;
}

}  // namespace vorel
