// The editor's data: what a channel publishes is its engine's own frame and
// the peak of everything it played since the snapshot before, at most
// kSnapshotsPerSecond times a second of audio.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "effect/effect_channel.h"
#include "effect/processor.h"
#include "support/signals.h"

namespace {

constexpr float kRate = 48000.0f;
constexpr std::size_t kSpacing = 1600;  // 48 kHz over 30 snapshots a second

// Blocks of every kind: shorter than a hop, several frames at once, longer
// than the delay line's piece, empty.
constexpr std::size_t kBlocks[] = {100, 300, 1500, 0, 256, 64, 4096, 17, 700};

TEST(SpectrumSnapshot, IsTheEngineFrameBitForBitWithThePeakSinceTheLastOne) {
  const float controls[vorel::kControlPortCount] = {4.0f, 1.5f, 0.0f, 0.3f, 0.0f, 1.0f};
  std::size_t total = 0;
  for (std::size_t n : kBlocks) total += n;
  const std::vector<float> input = vorel_host::Noise(total, 9, 0.9f);
  std::vector<float> output(total);
  vorel::EffectChannel channel(kRate);
  // An independent engine fed the same: the frame the snapshot must hold.
  vorel::Processor model(kRate);
  std::vector<float> modelOut(total);
  channel.Published().Listen(true);
  vorel::SpectrumSnapshot shown{};
  float peak = 0.0f;
  std::size_t at = 0, taken = 0, since = 0;
  uint64_t last = 0;
  for (std::size_t n : kBlocks) {
    channel.Run(controls, 60.0f, true, &input[at], &output[at], n);
    model.Run(controls, &input[at], &modelOut[at], n);
    for (std::size_t i = at; i < at + n; ++i) peak = std::fmax(peak, std::fabs(output[i]));
    at += n;
    since += n;
    const bool fresh = channel.Published().Take(shown);
    ASSERT_EQ(fresh, since >= kSpacing && model.Engine().FrameCount() != last)
        << "after " << at << " samples";
    if (!fresh) continue;
    ++taken;
    since = 0;
    last = shown.Frame;
    EXPECT_EQ(shown.Frame, model.Engine().FrameCount());
    EXPECT_EQ(std::memcmp(shown.Input, model.Engine().LatestSpectrum(), sizeof(shown.Input)), 0);
    EXPECT_EQ(std::memcmp(shown.Held, model.Engine().LatestHeldSpectrum(), sizeof(shown.Held)), 0);
    EXPECT_EQ(shown.Peak, peak) << "after " << at << " samples";
    peak = 0.0f;
  }
  EXPECT_EQ(taken, 2u);
}

TEST(SpectrumSnapshot, NothingIsPublishedWhileNoEditorListensOrBeforeTheOldOneIsTaken) {
  const vorel::DefaultControls controls = vorel::MakeDefaultControls();
  const std::vector<float> input = vorel_host::Noise(4 * kSpacing, 3, 0.5f);
  std::vector<float> output(4 * kSpacing);
  vorel::EffectChannel channel(kRate);
  vorel::SpectrumSnapshot shown{};
  channel.Run(controls.Values, 100.0f, true, input.data(), output.data(), 2 * kSpacing);
  EXPECT_FALSE(channel.Published().Take(shown));
  channel.Published().Listen(true);
  channel.Run(controls.Values, 100.0f, true, input.data(), output.data(), kSpacing);
  channel.Run(controls.Values, 100.0f, true, input.data() + kSpacing, output.data(), kSpacing);
  // The first snapshot waits unread, so the second block's frame is not handed over.
  ASSERT_TRUE(channel.Published().Take(shown));
  EXPECT_EQ(shown.Frame, 18u);
  EXPECT_FALSE(channel.Published().Take(shown));
}

float PeakOf(const std::vector<float>& samples) {
  float peak = 0.0f;
  for (const float x : samples) peak = std::fmax(peak, std::fabs(x));
  return peak;
}

// The stereo editor's meter: the left channel's snapshot carries the peak
// of both, and a right peak published while the left has nothing new waits
// for the left's next one. The faults: an over on the right channel only
// that the meter never shows, now or after a missed round.
TEST(SpectrumSnapshot, TheFirstChannelsSnapshotCarriesThePeakOfEveryChannel) {
  const vorel::DefaultControls controls = vorel::MakeDefaultControls();
  vorel::EffectChannel left(kRate), right(kRate);
  vorel::SnapshotMailbox* mailboxes[] = {&left.Published(), &right.Published()};
  for (vorel::SnapshotMailbox* mailbox : mailboxes) mailbox->Listen(true);
  vorel::ChannelSnapshots snapshots;
  vorel::SpectrumSnapshot shown{};
  const std::vector<float> silence(2 * kSpacing, 0.0f);
  std::vector<float> quiet(2 * kSpacing), loud(2 * kSpacing), after(2 * kSpacing);
  const auto run = [&](const std::vector<float>& in, std::vector<float>& out) {
    left.Run(controls.Values, 100.0f, true, silence.data(), quiet.data(), silence.size());
    right.Run(controls.Values, 100.0f, true, in.data(), out.data(), in.size());
  };

  run(vorel_host::Noise(2 * kSpacing, 5, 0.9f), loud);
  ASSERT_TRUE(snapshots.Take(mailboxes, 2, shown));
  EXPECT_EQ(PeakOf(quiet), 0.0f);
  EXPECT_EQ(shown.Peak, PeakOf(loud));

  run(vorel_host::Noise(2 * kSpacing, 6, 0.9f), loud);
  ASSERT_TRUE(left.Published().Take(shown));  // the left's snapshot missed
  EXPECT_FALSE(snapshots.Take(mailboxes, 2, shown));
  run(silence, after);
  ASSERT_LT(PeakOf(after), PeakOf(loud));
  ASSERT_TRUE(snapshots.Take(mailboxes, 2, shown));
  EXPECT_EQ(shown.Peak, PeakOf(loud));
}

}  // namespace
