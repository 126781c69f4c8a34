// The processing chain without any plugin format around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "effect/port_table.h"
#include "effect/processor.h"
#include "support/signals.h"

using namespace vorel;

namespace {

// Runs x through chain in blocks of 300 samples with the given controls,
// except that the first block sees a NaN on "s&h" (which leaves the hold
// length as it was).
std::vector<float> RunStream(Processor& chain, DefaultControls controls,
                             const std::vector<float>& x) {
  std::vector<float> out(x.size());
  for (size_t at = 0; at < x.size(); at += 300) {
    DefaultControls block = controls;
    if (at == 0) std::memset(&block.Values[SampleHoldPort], 0xff, sizeof(float));  // a NaN
    const size_t n = std::min<size_t>(300, x.size() - at);
    chain.Run(block.Values, &x[at], &out[at], n);
  }
  return out;
}

}  // namespace

// What an LV2 host's activate relies on: after sound, in any setting, Reset
// leaves nothing of it behind, neither in the signal path nor in the
// parameters a NaN would keep.
TEST(Processor, ResetGivesAFreshProcessorsOutputBitForBit) {
  DefaultControls loud = MakeDefaultControls();
  loud.Values[SampleHoldPort] = 9.0f;
  loud.Values[GainPort] = 2.0f;
  loud.Values[DirectionPort] = 0.0f;
  loud.Values[BitMaskPort] = 0.7f;
  loud.Values[AmpModPort] = 1.0f;
  loud.Values[ProcessTypePort] = 1.0f;
  DefaultControls after = MakeDefaultControls();
  after.Values[SampleHoldPort] = 4.0f;
  after.Values[BitMaskPort] = 0.3f;

  const std::vector<float> sound = vorel_host::Noise(5000, 21, 1.5f);
  const std::vector<float> next = vorel_host::Noise(6000, 22, 0.8f);
  for (float rate : {44100.0f, 100.0f}) {
    Processor used(rate);
    RunStream(used, loud, sound);
    used.Reset();
    Processor fresh(rate);
    const std::vector<float> got = RunStream(used, after, next);
    const std::vector<float> want = RunStream(fresh, after, next);
    ASSERT_EQ(0, std::memcmp(got.data(), want.data(), got.size() * sizeof(float))) << rate;
    EXPECT_NE(want, std::vector<float>(want.size(), 0.0f)) << rate;
  }
}
