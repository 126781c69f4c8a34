// The streaming engine: latency, block-cut invariance, level matching, the
// window, silence, and pinned output bits.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "fmaths/fmaths.h"
#include "quantiser/quantiser.h"
#include "reference_engine.h"

namespace vorel {

// Read-only view of the state of the last frame step.
class TQuantiserTestAccess {
 public:
  static const float* Synthesis(const TQuantiser& q) { return q.SynthesisFrame.get(); }
  static const float* Fifo(const TQuantiser& q) { return q.InputFifo.get(); }
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

std::vector<float> Noise(size_t n, unsigned seed, float amplitude = 0.5f) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(-amplitude, amplitude);
  std::vector<float> x(n);
  for (float& v : x) v = dist(rng);
  return x;
}

// Runs input through a fresh engine in blocks of the given sizes (cycled).
std::vector<float> RunEngine(const Params& p, const std::vector<float>& input, const std::vector<int>& cuts) {
  TQuantiser q;
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

uint64_t Fnv1a(const std::vector<float>& x) {
  uint64_t h = 1469598103934665603ull;
  for (float v : x) {
    const uint32_t bits = vorel::BitsOf(v);
    for (int b = 0; b < 4; ++b) {
      h ^= (bits >> (8 * b)) & 0xffu;
      h *= 1099511628211ull;
    }
  }
  return h;
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
  const auto input = Noise(6000, 11);
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

TEST(QuantiserLevel, EachFrameMatchesTheSummedMagnitudeOfItsInput) {
  TQuantiser q;
  Params p;  // one-pair shift, no mask
  Apply(q, p);
  std::vector<float> sine(256), out(256);
  for (int frame = 0; frame < 12; ++frame) {
    for (int i = 0; i < 256; ++i) sine[i] = 0.7f * std::sin(0.05f * (256 * frame + i));
    q.Process(sine.data(), out.data(), 256);
    double inputSum = 0.0, outputSum = 0.0;
    for (int i = 0; i < 1024; ++i) {
      inputSum += std::fabs(vorel::TQuantiserTestAccess::Fifo(q)[i]);
      outputSum += std::fabs(vorel::TQuantiserTestAccess::Synthesis(q)[i]);
    }
    if (inputSum == 0.0) continue;
    // The ratio that the frame was scaled by brings it to the input's level.
    const float ratio = static_cast<float>(inputSum) / static_cast<float>(outputSum);
    double scaled = 0.0;
    for (int i = 0; i < 1024; ++i) scaled += std::fabs(vorel::TQuantiserTestAccess::Synthesis(q)[i] * ratio);
    EXPECT_NEAR(scaled / inputSum, 1.0, 1e-5) << frame;
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

TEST(QuantiserWindow, SymmetricHannWithZeroEnds) {
  std::vector<float> w(1024);
  vorel::MakeHannWindow(w.data(), 1024);
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
}

// Every parameter combination, masks that make infinities and NaNs included,
// gives the bits of the plain per-sample model.
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
      ASSERT_TRUE(SameBits(RunEngine(p, input, {333}), want)) << "hold " << hold << " mask " << mask;
    }
  }
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
  const Case cases[] = {
      {Params{}, 0x0d6544b100206126ull}, {masked, 0x94c96ac7a3fb34f7ull}, {rampDown, 0x1f55c4c1435ba655ull},
      {ampMod, 0x47f4e0c405a5a031ull},  {full, 0x31a4a98325d52a58ull},
  };
  for (const auto& c : cases) {
    const auto out = RunEngine(c.p, input, {1000});
    EXPECT_EQ(Fnv1a(out), c.hash);
  }
}
