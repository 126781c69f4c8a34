// The streaming engine: latency, block-cut invariance, level matching, the
// window, silence, and pinned output bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "dsp/fmaths/extended_steps.h"
#include "dsp/fmaths/fmaths.h"
#include "dsp/quantiser/hann_window_bits.h"
#include "dsp/quantiser/quantiser.h"
#include "support/reference_engine.h"
#include "support/sample_hash.h"
#include "support/signals.h"

namespace vorel {

// Read-only view of the state of the last frame step.
class TQuantiserTestAccess {
 public:
  static const float* Synthesis(const TQuantiser& q) { return q.SynthesisFrame.get(); }
  static const float* Window(const TQuantiser& q) { return q.Window.get(); }
  static const float* Overlap(const TQuantiser& q) { return q.OverlapBuffer.get(); }
  static const float* Finished(const TQuantiser& q) { return q.OutputBlock.get(); }
};

}  // namespace vorel

namespace {

using vorel::TQuantiser;

struct Params {
  int32_t holdLength = 1;
  float gain = 1.0f;
  uint8_t direction = 0;
  uint32_t bitMask = 0;
  float ampMod = 0.0f;
  uint8_t processType = 0;
};

// Writes the parameters into an engine or into the plain model.
template <typename Engine>
void Apply(Engine& q, const Params& p) {
  q.HoldLength = p.holdLength;
  q.Gain = p.gain;
  q.Direction = p.direction;
  q.BitMask = p.bitMask;
  q.AmpModAmount = p.ampMod;
  q.ProcessType = p.processType;
}

using vorel_host::Noise;

// Every variant of the engine's paths that this build and processor have:
// plain, each fast path alone, the 8-lane transform, all of them.
std::vector<vorel::TFeatures> Variants() {
  vorel::TFeatures transform, avx2, avx512, wideTransform;
  transform.VectorTransform = true;
  avx2.Avx2 = true;
  avx512.Avx512 = true;
  wideTransform.VectorTransform = wideTransform.Avx2 = true;
  return {vorel::PlainFeatures(),    transform, avx2, avx512, wideTransform,
          vorel::AvailableFeatures()};
}

// Runs input through a fresh engine in blocks of the given sizes (cycled).
std::vector<float> RunEngine(const Params& p, const std::vector<float>& input,
                             const std::vector<int>& cuts,
                             vorel::TFeatures features = vorel::AvailableFeatures()) {
  TQuantiser q(features);
  Apply(q, p);
  std::vector<float> out(input.size());
  size_t pos = 0, c = 0;
  while (pos < input.size()) {
    const size_t n = std::min<size_t>(cuts[c++ % cuts.size()], input.size() - pos);
    q.Process(input.data() + pos, out.data() + pos, static_cast<int32_t>(n));
    pos += n;
  }
  return out;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

}  // namespace

TEST(QuantiserTiming, FirstHopIsSilentAndAnImpulseComesOut1024Late) {
  std::vector<float> input(8192, 0.0f);
  input[3000] = 1.0f;
  const auto out = RunEngine(Params{}, input, {8192});
  for (int i = 0; i < 256; ++i) ASSERT_EQ(vorel::BitsOf(out[i]), 0u) << i;
  size_t peak = 0;
  for (size_t i = 0; i < out.size(); ++i)
    if (std::fabs(out[i]) > std::fabs(out[peak])) peak = i;
  EXPECT_EQ(peak, 3000u + 1024u);

  // Gain scales every output sample, the silent first hop included.
  Params loud;
  loud.gain = 2.0f;
  const auto doubled = RunEngine(loud, input, {8192});
  for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(doubled[i], 2.0f * out[i]) << i;
}

TEST(QuantiserTiming, OutputDoesNotDependOnHowTheStreamIsCut) {
  const auto input = Noise(6000, 11, 0.5f);
  Params p;
  p.holdLength = 3;
  p.bitMask = 0x00ff0000u;
  p.processType = 1;
  const auto whole = RunEngine(p, input, {6000});
  EXPECT_TRUE(SameBits(whole, RunEngine(p, input, {1})));
  EXPECT_TRUE(SameBits(whole, RunEngine(p, input, {255, 1, 257, 1000, 3, 768})));
  std::mt19937 rng(5);
  std::vector<int> cuts;
  for (int i = 0; i < 200; ++i) cuts.push_back(1 + static_cast<int>(rng() % 700));
  EXPECT_TRUE(SameBits(whole, RunEngine(p, input, cuts)));

  // In place, as the plugin host may arrange it.
  TQuantiser q;
  Apply(q, p);
  auto buffer = input;
  q.Process(buffer.data(), buffer.data(), static_cast<int32_t>(buffer.size()));
  EXPECT_TRUE(SameBits(whole, buffer));

  // Counts of zero or less do nothing.
  TQuantiser r;
  Apply(r, p);
  std::vector<float> untouched(4, 9.0f);
  r.Process(input.data(), untouched.data(), 0);
  r.Process(input.data(), untouched.data(), -5);
  EXPECT_EQ(untouched, std::vector<float>(4, 9.0f));
  auto rest = whole;
  r.Process(input.data(), rest.data(), static_cast<int32_t>(input.size()));
  EXPECT_TRUE(SameBits(whole, rest));
}

// Each frame step adds the windowed synthesis times InputSum / OutputSum to
// the accumulator: what the engine added, read from the accumulator before
// and after the step, is held to that ratio computed here from the input.
TEST(QuantiserLevel, EachFrameIsAddedAtTheSummedMagnitudeOfItsInput) {
  using Access = vorel::TQuantiserTestAccess;
  TQuantiser q;
  Apply(q, Params{});  // one-pair shift, no mask
  const auto input = Noise(256 * 12, 8, 0.7f);
  std::vector<float> out(256), before(1024);
  for (int frame = 0; frame < 12; ++frame) {
    std::memcpy(before.data(), Access::Overlap(q), before.size() * sizeof(float));
    q.Process(input.data() + 256 * frame, out.data(), 256);  // ends with one frame step
    double inputSum = 0.0, outputSum = 0.0;
    for (int i = 0; i < 1024; ++i) {
      const int t = 256 * frame - 768 + i;  // the stream sample in FIFO element i
      if (t >= 0) inputSum += std::fabs(input[t]);
      outputSum += std::fabs(Access::Synthesis(q)[i]);
    }
    const double ratio = inputSum / outputSum;
    for (int i = 0; i < 1024; ++i) {
      // The accumulator moved on by one hop; its first hop went to the output.
      const double after = i < 256 ? Access::Finished(q)[i] : Access::Overlap(q)[i - 256];
      const double expected =
          static_cast<double>(Access::Synthesis(q)[i]) * Access::Window(q)[i] * ratio;
      ASSERT_NEAR(after - before[i], expected,
                  1e-4 * (std::fabs(before[i]) + std::fabs(expected)) + 1e-30)
          << "frame " << frame << " element " << i;
    }
  }
}

// Input and output arrays that overlap only in part are taken sample by
// sample: the per-sample model run on the same arrays gives the same bits,
// and so does every later block.
TEST(QuantiserTiming, PartlyOverlappingArraysGiveThePerSampleResult) {
  Params p;
  p.holdLength = 3;
  p.gain = 2.0f;
  p.bitMask = 0x00ff0000u;
  constexpr int kBase = 400, kCount = 8192;
  const auto start = Noise(kCount + 2 * kBase, 31, 0.6f);
  for (int shift : {-1, 1, -5, 300, -399}) {  // where the output starts, relative to the input
    auto engineBuffer = start, modelBuffer = start;
    TQuantiser q;
    Apply(q, p);
    vorel_test::ReferenceEngine model;
    Apply(model, p);
    for (int pos = 0; pos < kCount; pos += 1000) {
      const int n = std::min(1000, kCount - pos);
      q.Process(engineBuffer.data() + kBase + pos, engineBuffer.data() + kBase + shift + pos, n);
      model.Process(modelBuffer.data() + kBase + pos, modelBuffer.data() + kBase + shift + pos, n);
    }
    EXPECT_TRUE(SameBits(engineBuffer, modelBuffer)) << "output at input + " << shift;
  }
}

TEST(QuantiserSilence, SilenceThenSoundThenSilenceStaysFinite) {
  std::vector<float> input(20000, 0.0f);
  const auto burst = Noise(4000, 3, 0.9f);
  std::copy(burst.begin(), burst.end(), input.begin() + 6000);
  for (uint8_t type : {0, 1}) {
    for (uint8_t dir : {0, 1}) {
      for (int32_t hold : {0, 2, 43}) {
        Params p;
        p.holdLength = hold;
        p.direction = dir;
        p.processType = type;
        p.ampMod = 1.0f;
        const auto out = RunEngine(p, input, {512});
        for (size_t i = 0; i < out.size(); ++i) ASSERT_TRUE(std::isfinite(out[i])) << i;
        // Before the sound arrives the output is exactly zero.
        for (size_t i = 0; i < 6000 + 1024 - 1024; ++i) ASSERT_EQ(out[i], 0.0f) << i;
      }
    }
  }
}

// The mask turns the exact zeros of a silent frame's spectrum into NaNs
// ("bitmask" 0.5 and 0.999) or infinities. Such a frame adds nothing, so
// silence before and after a sound stays exact silence, on every path; the
// sound's own frames still carry what the mask makes of them, NaNs included.
TEST(QuantiserSilence, SilentFramesAddNothingWhateverTheMaskMakesOfTheirZeros) {
  constexpr size_t kSoundStart = 6000, kSoundEnd = 10000, kLength = 16000;
  std::vector<float> input(kLength, 0.0f);
  const auto burst = Noise(kSoundEnd - kSoundStart, 3, 0.9f);
  std::copy(burst.begin(), burst.end(), input.begin() + kSoundStart);
  for (uint32_t mask : {0x7fff0000u, 0xffbd0000u, 0x7f800000u}) {
    for (int32_t hold : {1, 4, 43}) {
      Params p;
      p.holdLength = hold;
      p.bitMask = mask;
      p.processType = hold == 43;
      for (const vorel::TFeatures features : Variants()) {
        const auto out = RunEngine(p, input, {700}, features);
        // Output o belongs to input o - 1024; a frame spans 1024 inputs.
        size_t nans = 0;
        for (size_t o = 0; o < kLength; ++o) {
          if (o < kSoundStart || o >= kSoundEnd + 2048) {
            ASSERT_EQ(vorel::BitsOf(out[o]), 0u)
                << "mask " << mask << " hold " << hold << " at " << o;
          }
          nans += std::isnan(out[o]) ? 1 : 0;
        }
        EXPECT_GT(nans, 0u) << "mask " << mask << " hold " << hold;
      }
    }
  }
}

TEST(QuantiserWindow, SymmetricHannWithZeroEnds) {
  std::vector<float> w(1024);
  vorel::MakeHannWindow(w.data());
  EXPECT_EQ(vorel::BitsOf(w[0]), 0u);
  EXPECT_EQ(vorel::BitsOf(w[1023]), 0u);
  EXPECT_EQ(w[1], 9.430768841411918e-06f);
  EXPECT_EQ(w[511], 0.999997615814209f);
  EXPECT_EQ(w[512], 0.999997615814209f);
  for (int i = 0; i < 1024; ++i) {
    ASSERT_EQ(w[i], w[1023 - i]) << i;
    ASSERT_LT(w[i], 1.0f);
    // The same formula in double rounds to the same floats.
    const double d = 0.5 - 0.5 * std::cos(2.0 * 3.141592653589793 * i / 1023.0);
    ASSERT_EQ(w[i], static_cast<float>(d)) << i;
  }
#if VOREL_X87_STEPS
  // The table that targets without x87 copy holds the floats x87 computes.
  for (int i = 0; i < 512; ++i) ASSERT_EQ(vorel::BitsOf(w[i]), vorel::kHannHalfWindowBits[i]) << i;
#endif
}

// Every parameter combination, masks that make infinities and NaNs included,
// gives the bits of the plain per-sample model, on every variant of paths.
TEST(QuantiserReference, MatchesThePlainModelBitForBit) {
  auto input = Noise(9000, 21, 0.9f);
  input[4000] = INFINITY;
  input[4001] = vorel::FloatOf(0x7fc01234u);
  input[4002] = vorel::FloatOf(0x00000003u);
  for (size_t i = 7000; i < input.size(); ++i) input[i] = 0.0f;
  const int32_t holds[] = {-3, 0, 1, 2, 5, 43, 600};
  const uint32_t masks[] = {0u, 0x00010000u, 0x7fff0000u, 0xffff0000u, 0xffffffffu};
  const float ampMods[] = {0.0f, 1.0f, -1.0f, 1e30f};
  int variant = 0;
  for (int32_t hold : holds) {
    for (uint32_t mask : masks) {
      Params p;
      p.holdLength = hold;
      p.bitMask = mask;
      p.ampMod = ampMods[variant % 4];
      p.direction = variant % 3 == 0;
      p.processType = variant % 2 == 0;
      p.gain = variant % 5 == 0 ? 1.5f : 1.0f;
      ++variant;
      vorel_test::ReferenceEngine ref;
      Apply(ref, p);
      std::vector<float> want(input.size());
      ref.Process(input.data(), want.data(), static_cast<int32_t>(input.size()));
      for (const vorel::TFeatures features : Variants()) {
        ASSERT_TRUE(SameBits(RunEngine(p, input, {333}, features), want))
            << "hold " << hold << " mask " << mask << " transform " << features.VectorTransform
            << " avx2 " << features.Avx2 << " avx512 " << features.Avx512;
      }
    }
  }
}

// Hold length, direction, ramp, mask and amp-mod changed between blocks in
// mid-stream, often one at a time and often for a frame or two only: the
// walk's kept plan must follow every change exactly as the model does.
TEST(QuantiserReference, SettingsChangedMidStreamMatchThePlainModel) {
  const auto input = Noise(120000, 41, 0.8f);
  const int32_t holds[] = {0, 1, 2, 3, 5, 12, 43, 100, 600};
  const uint32_t masks[] = {0u, 0x00010000u, 0x00ff0000u, 0x80000000u};
  const float ampMods[] = {0.0f, 0.5f, 1.0f};
  std::mt19937 rng(17);
  TQuantiser q;
  vorel_test::ReferenceEngine model;
  Params p;
  p.holdLength = 4;
  std::vector<float> got(input.size()), want(input.size());
  for (size_t pos = 0; pos < input.size();) {
    switch (rng() % 5) {
      case 0:
        p.holdLength = holds[rng() % std::size(holds)];
        break;
      case 1:
        p.direction ^= 1;
        break;
      case 2:
        p.processType ^= 1;
        break;
      case 3:
        p.bitMask = masks[rng() % std::size(masks)];
        break;
      default:
        p.ampMod = ampMods[rng() % std::size(ampMods)];
        break;
    }
    Apply(q, p);
    Apply(model, p);
    const size_t n = std::min<size_t>(100 + rng() % 600, input.size() - pos);
    q.Process(input.data() + pos, got.data() + pos, static_cast<int32_t>(n));
    model.Process(input.data() + pos, want.data() + pos, static_cast<int32_t>(n));
    pos += n;
  }
  for (size_t i = 0; i < got.size(); ++i)
    ASSERT_EQ(vorel::BitsOf(got[i]), vorel::BitsOf(want[i])) << i;
}

// Output bits for fixed inputs and parameters, recorded from the plain
// reference code. Any faster path must keep them.
TEST(QuantiserPinnedBits, OutputBitsStayWhatTheReferenceGave) {
  auto input = Noise(16384, 77, 0.8f);
  for (size_t i = 12000; i < input.size(); ++i) input[i] = 0.0f;  // a silent tail
  struct Case {
    Params p;
    uint64_t hash;
  };
  Params masked;
  masked.holdLength = 7;
  masked.bitMask = 0x7fff0000u;
  Params rampDown;
  rampDown.holdLength = 43;
  rampDown.direction = 1;
  rampDown.processType = 1;
  rampDown.bitMask = 0x00010000u;
  Params ampMod;
  ampMod.holdLength = 20;
  ampMod.ampMod = 1.0f;
  ampMod.gain = 0.5f;
  Params full;
  full.holdLength = 5;
  full.bitMask = 0xffff0000u;
  // In the silent tail, masked and full make NaNs of the zero spectrum;
  // those frames add nothing, so the tail is what the sounding frames leave.
  const Case cases[] = {
      {Params{}, 0x8cb4160f6ba119c6ull}, {masked, 0x66a0bac3161a07c6ull},
      {rampDown, 0x319f79baf596e273ull}, {ampMod, 0xdd57bcf502d14364ull},
      {full, 0x45c15dd825708022ull},
  };
  for (const auto& c : cases) {
    const auto out = RunEngine(c.p, input, {1000});
    EXPECT_EQ(vorel_host::HashSamples(out.data(), out.size()), c.hash);
  }
}
