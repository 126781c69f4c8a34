// The walk across the spectral pairs: which pair of the spectrum lands where.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "dsp/fmaths/fmaths.h"
#include "dsp/quantiser/bin_walk.h"
#include "support/reference_engine.h"

namespace {

using vorel::BitsOf;
using vorel::FloatOf;
using vorel::THeldPair;
using vorel::TWalkSettings;
using vorel_test::LiteralWalk;
using vorel_test::WalkSpectrum;

constexpr int kPairs = 512;
constexpr uint32_t kMask = 0x7fff0000u;

// Every element carries a distinct pattern that names its pair and half.
std::vector<float> TaggedSpectrum(uint32_t frameTag = 0) {
  std::vector<float> s(2 * kPairs);
  for (int p = 0; p < kPairs; ++p) {
    s[p] = FloatOf(frameTag + 0x1000u + p);
    s[p + kPairs] = FloatOf(frameTag + 0x2000u + p);
  }
  return s;
}

struct Walked {
  std::vector<uint32_t> real, imag;  // per pair, the patterns written
  THeldPair held;
};

Walked Walk(const TWalkSettings& settings, const std::vector<float>& spectrum,
            THeldPair held = {}) {
  std::vector<float> out(2 * kPairs, FloatOf(0xdeadbeefu));
  WalkSpectrum(settings, spectrum.data(), out.data(), held);
  Walked w;
  for (int p = 0; p < kPairs; ++p) {
    w.real.push_back(BitsOf(out[p]));
    w.imag.push_back(BitsOf(out[p + kPairs]));
  }
  w.held = held;
  return w;
}

// The pair of TaggedSpectrum(tag) captured at pair q, as written by the walk.
uint32_t RealOf(int q, uint32_t mask, uint32_t tag = 0) { return (tag + 0x1000u + q) ^ mask; }
uint32_t ImagOf(int q, uint32_t mask, uint32_t tag = 0) { return (tag + 0x2000u + q) ^ mask; }

TWalkSettings Settings(int32_t holdLength, float holdScale = 1.0f, bool down = false,
                       bool ramp = false, uint32_t mask = kMask) {
  TWalkSettings s;
  s.HoldLength = holdLength;
  s.HoldScale = holdScale;
  s.Downward = down;
  s.Ramp = ramp;
  s.BitMask = mask;
  return s;
}

// Capture steps by the hold rule in exact integer arithmetic:
// capture when counter >= L * S * i / 512, with S = num / den.
std::vector<int> RampCaptures(int holdLength, int num = 1, int den = 1) {
  std::vector<int> steps;
  int counter = 0;
  for (int i = 0; i < kPairs; ++i) {
    ++counter;
    if (static_cast<long>(counter) * kPairs * den >= static_cast<long>(holdLength) * num * i) {
      steps.push_back(i);
      counter = 0;
    }
  }
  return steps;
}

}  // namespace

TEST(BinWalkConstant, HoldLengthTwoAndThreeFillBlocksAfterEachCapture) {
  const THeldPair previous{0xaaaa0001u, 0xaaaa0002u};
  const auto two = Walk(Settings(2), TaggedSpectrum(), previous);
  EXPECT_EQ(two.real[0], previous.Real);
  EXPECT_EQ(two.imag[1], previous.Imag);
  for (int p = 2; p < kPairs; ++p) {
    const int captured = (p / 2) * 2 - 1;  // pairs 2,3 <- 1; 4,5 <- 3; ...
    EXPECT_EQ(two.real[p], RealOf(captured, kMask)) << p;
    EXPECT_EQ(two.imag[p], ImagOf(captured, kMask)) << p;
  }
  EXPECT_EQ(two.held.Real, RealOf(511, kMask));

  const auto three = Walk(Settings(3), TaggedSpectrum(), previous);
  for (int p = 0; p < 3; ++p) EXPECT_EQ(three.real[p], previous.Real);
  for (int p = 3; p < kPairs; ++p) EXPECT_EQ(three.real[p], RealOf((p / 3) * 3 - 1, kMask)) << p;
  EXPECT_EQ(three.held.Real, RealOf(509, kMask));
  EXPECT_EQ(three.held.Imag, ImagOf(509, kMask));
}

TEST(BinWalkConstant, ThresholdsAtOrBelowOneShiftByOnePair) {
  const THeldPair previous{0x11u, 0x22u};
  for (const auto& s :
       {Settings(0), Settings(-7), Settings(1), Settings(40, 0.0f), Settings(1, 0.5f)}) {
    const auto up = Walk(s, TaggedSpectrum(), previous);
    EXPECT_EQ(up.real[0], previous.Real);
    EXPECT_EQ(up.imag[0], previous.Imag);
    for (int p = 1; p < kPairs; ++p) {
      ASSERT_EQ(up.real[p], RealOf(p - 1, kMask)) << s.HoldLength << " " << p;
      ASSERT_EQ(up.imag[p], ImagOf(p - 1, kMask)) << s.HoldLength << " " << p;
    }
    auto down = s;
    down.Downward = true;
    const auto dn = Walk(down, TaggedSpectrum(), previous);
    EXPECT_EQ(dn.real[511], previous.Real);
    for (int p = 0; p < kPairs - 1; ++p) ASSERT_EQ(dn.real[p], RealOf(p + 1, kMask)) << p;
    EXPECT_EQ(dn.held.Real, RealOf(0, kMask));
  }
}

TEST(BinWalkConstant, FractionalThresholdRoundsUp) {
  // 5 x 0.5 = 2.5: each capture is held for 3 pairs, first capture at step 2.
  const auto w = Walk(Settings(5, 0.5f), TaggedSpectrum());
  for (int p = 3; p < kPairs; ++p) EXPECT_EQ(w.real[p], RealOf((p / 3) * 3 - 1, kMask)) << p;
}

TEST(BinWalkConstant, NaNOrHugeThresholdNeverCaptures) {
  const THeldPair previous{0x33u, 0x44u};
  for (const auto& s : {Settings(3, std::nanf("")), Settings(0, INFINITY), Settings(600)}) {
    const auto w = Walk(s, TaggedSpectrum(), previous);
    for (int p = 0; p < kPairs; ++p) ASSERT_EQ(w.real[p], previous.Real) << p;
    EXPECT_EQ(w.held.Real, previous.Real);
    EXPECT_EQ(w.held.Imag, previous.Imag);
  }
}

TEST(BinWalkConstant, ZeroMaskIsAPureHoldOfThePatterns) {
  // Patterns that a float load could disturb: signalling NaN, payloads, subnormals.
  std::vector<float> spectrum = TaggedSpectrum();
  spectrum[0] = FloatOf(0x7f800001u);
  spectrum[512] = FloatOf(0xffc0beefu);
  spectrum[1] = FloatOf(0x00000001u);
  spectrum[513] = FloatOf(0x80000000u);
  const auto w = Walk(Settings(1, 1.0f, false, false, 0u), spectrum);
  EXPECT_EQ(w.real[1], 0x7f800001u);
  EXPECT_EQ(w.imag[1], 0xffc0beefu);
  EXPECT_EQ(w.real[2], 0x00000001u);
  EXPECT_EQ(w.imag[2], 0x80000000u);
  for (int p = 3; p < kPairs; ++p) EXPECT_EQ(w.real[p], RealOf(p - 1, 0u));
}

TEST(BinWalkRamp, LongHoldsCaptureByTheGrowingThreshold) {
  const auto w = Walk(Settings(43, 1.0f, false, true), TaggedSpectrum());
  const auto steps = RampCaptures(43);
  // The opening of the schedule: 0..11, not 12, then every second step to 23, then every third.
  const std::vector<int> opening = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                    10, 11, 13, 15, 17, 19, 21, 23, 26, 29};
  ASSERT_GE(steps.size(), opening.size());
  EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + opening.size()), opening);
  // Every pair holds the latest capture strictly before it.
  size_t next = 0;
  int last = -1;
  for (int p = 0; p < kPairs; ++p) {
    const uint32_t want = last < 0 ? 0u : RealOf(last, kMask);
    ASSERT_EQ(w.real[p], want) << p;
    if (next < steps.size() && steps[next] == p) last = steps[next++];
  }
  // The last holds are about 40 pairs long.
  EXPECT_NEAR(steps.back() - steps[steps.size() - 2], 42, 3);
}

TEST(BinWalkRamp, DownwardRampStartsShortAtTheTopAndScalesWithHoldScale) {
  // HoldScale 0.75 makes the exact threshold 43 x 0.75 x i / 512.
  const auto w = Walk(Settings(43, 0.75f, true, true), TaggedSpectrum());
  const auto steps = RampCaptures(43, 3, 4);
  int last = -1;
  size_t next = 0;
  for (int i = 0; i < kPairs; ++i) {
    const int p = 511 - i;
    ASSERT_EQ(w.real[p], last < 0 ? 0u : RealOf(511 - last, kMask)) << i;
    if (next < steps.size() && steps[next] == i) last = steps[next++];
  }
}

TEST(BinWalkAcrossFrames, HeldPairCarriesOverADirectionSwitch) {
  const auto up = Walk(Settings(2), TaggedSpectrum(0));
  const auto down = Walk(Settings(2, 1.0f, true), TaggedSpectrum(0x100000u), up.held);
  EXPECT_EQ(down.real[511], RealOf(511, kMask));
  EXPECT_EQ(down.real[510], RealOf(511, kMask));
  EXPECT_EQ(down.real[509], RealOf(510, kMask, 0x100000u));
}

TEST(BinWalkAcrossFrames, DCAndNyquistTravelTogether) {
  const auto first = Walk(Settings(1), TaggedSpectrum(0));
  const auto second = Walk(Settings(1), TaggedSpectrum(0x100000u), first.held);
  // Pair 0 of the second frame: the first frame's pair 511, masked.
  EXPECT_EQ(second.real[0], RealOf(511, kMask));
  EXPECT_EQ(second.imag[0], ImagOf(511, kMask));
  // Pair 1: the second frame's own DC (element 0) and Nyquist (element 512), masked.
  EXPECT_EQ(second.real[1], RealOf(0, kMask, 0x100000u));
  EXPECT_EQ(second.imag[1], ImagOf(0, kMask, 0x100000u));
}

// The runs are filled four elements a store, the last store reaching into
// the next run: never past the held spectrum, which ends the imaginary half.
// (A sanitizer build would see such a store too, but only on x86.)
TEST(BinWalkSchedule, WritesNothingPastTheHeldSpectrum) {
  const auto spectrum = TaggedSpectrum();
  for (int32_t hold = 1; hold <= 12; ++hold) {
    for (int variant = 0; variant < 4; ++variant) {
      std::vector<float> out(2 * kPairs + 4, FloatOf(0xdeadbeefu));
      THeldPair held{};
      WalkSpectrum(Settings(hold, 1.0f, variant & 1, variant & 2), spectrum.data(), out.data(),
                   held);
      for (int k = 2 * kPairs; k < 2 * kPairs + 4; ++k) {
        ASSERT_EQ(BitsOf(out[k]), 0xdeadbeefu) << hold << " v" << variant << " " << k;
      }
    }
  }
}

TEST(BinWalkSchedule, RunsMatchTheStepByStepRuleForAnyThreshold) {
  std::mt19937 rng(9);
  const float scales[] = {1.0f,      0.0f,       -0.0f, 0.5f,   0.999999f,     1.0000001f,
                          0.25f,     -2.0f,      3.0f,  1e-40f, std::nanf(""), INFINITY,
                          -INFINITY, 0.3333333f, 12.0f, 1e30f};
  // 4: runs of four pairs each, filled four runs a step where NEON is built.
  const int32_t holds[] = {-100, -1, 0,   1,   2,   3,   4,    7,          11,
                           12,   43, 100, 511, 512, 513, 1000, 2147483647, -2147483647 - 1};
  const auto spectrum = TaggedSpectrum();
  for (float scale : scales) {
    for (int32_t hold : holds) {
      for (int variant = 0; variant < 4; ++variant) {
        const auto s =
            Settings(hold, scale, variant & 1, variant & 2, static_cast<uint32_t>(rng()));
        const THeldPair start{static_cast<uint32_t>(rng()), static_cast<uint32_t>(rng())};
        THeldPair fast = start, literal = start;
        std::vector<float> a(2 * kPairs), b(2 * kPairs);
        WalkSpectrum(s, spectrum.data(), a.data(), fast);
        LiteralWalk(s, spectrum.data(), b.data(), literal);
        ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * 4), 0)
            << hold << " x " << scale << " v" << variant;
        ASSERT_EQ(fast.Real, literal.Real);
        ASSERT_EQ(fast.Imag, literal.Imag);
      }
    }
  }
  // Random scales around the values where a capture step moves.
  for (int trial = 0; trial < 3000; ++trial) {
    const int32_t hold = 1 + static_cast<int32_t>(rng() % 600);
    const float scale = std::uniform_real_distribution<float>(0.0f, 1.2f)(rng);
    const auto s = Settings(hold, scale, trial & 1, (trial & 2) != 0, 0x5555aaaau);
    THeldPair fast, literal;
    std::vector<float> a(2 * kPairs), b(2 * kPairs);
    WalkSpectrum(s, spectrum.data(), a.data(), fast);
    LiteralWalk(s, spectrum.data(), b.data(), literal);
    ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * 4), 0) << hold << " x " << scale;
  }
}
