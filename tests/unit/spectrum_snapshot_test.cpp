// The editor's data: what a channel publishes is its engine's own frame and
// the peak of everything it played since the snapshot before.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "effect/effect_channel.h"
#include "effect/processor.h"
#include "support/signals.h"

namespace {

constexpr float kRate = 48000.0f;

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
  std::size_t at = 0, taken = 0;
  for (std::size_t n : kBlocks) {
    const uint64_t before = model.Engine().FrameCount();
    channel.Run(controls, 60.0f, true, &input[at], &output[at], n);
    model.Run(controls, &input[at], &modelOut[at], n);
    for (std::size_t i = at; i < at + n; ++i) peak = std::fmax(peak, std::fabs(output[i]));
    at += n;
    const bool fresh = channel.Published().Take(shown);
    ASSERT_EQ(fresh, model.Engine().FrameCount() != before) << "after " << at << " samples";
    if (!fresh) continue;
    ++taken;
    EXPECT_EQ(shown.Frame, model.Engine().FrameCount());
    EXPECT_EQ(std::memcmp(shown.Input, model.Engine().LatestSpectrum(), sizeof(shown.Input)), 0);
    EXPECT_EQ(std::memcmp(shown.Held, model.Engine().LatestHeldSpectrum(), sizeof(shown.Held)), 0);
    EXPECT_EQ(shown.Peak, peak) << "after " << at << " samples";
    peak = 0.0f;
  }
  EXPECT_EQ(taken, 5u);
}

TEST(SpectrumSnapshot, NothingIsPublishedWhileNoEditorListensOrBeforeTheOldOneIsTaken) {
  const vorel::DefaultControls controls = vorel::MakeDefaultControls();
  const std::vector<float> input = vorel_host::Noise(2048, 3, 0.5f);
  std::vector<float> output(2048);
  vorel::EffectChannel channel(kRate);
  vorel::SpectrumSnapshot shown{};
  channel.Run(controls.Values, 100.0f, true, input.data(), output.data(), 1024);
  EXPECT_FALSE(channel.Published().Take(shown));
  channel.Published().Listen(true);
  channel.Run(controls.Values, 100.0f, true, input.data(), output.data(), 512);
  channel.Run(controls.Values, 100.0f, true, input.data() + 512, output.data(), 512);
  // The first snapshot waits unread, so the second block's frame is not handed over.
  ASSERT_TRUE(channel.Published().Take(shown));
  EXPECT_EQ(shown.Frame, 6u);
  EXPECT_FALSE(channel.Published().Take(shown));
}

}  // namespace
