#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "dsp/fmaths/extended_steps.h"
#include "dsp/fmaths/fmaths.h"
#include "dsp/stabilizer/stabilizer.h"

using vorel::BitsOf;
using vorel::FloatOf;
using vorel::Narrow;
using vorel::TStabilize;
using vorel::TWide;
using vorel::Widen;

namespace {

TStabilize At(float rate, vorel::TFeatures features = vorel::AvailableFeatures()) {
  TStabilize s(features);
  s.SetSampleRate(rate);
  return s;
}

float First(TStabilize s, float x) {
  s.Process(&x, 1);
  return x;
}

}  // namespace

TEST(StabilizerCoefficient, RatesAtOrBelow125HzGiveThePlainFirstDifference) {
  for (float rate :
       {125.0f, 100.0f, 1.0f, 0.0f, -0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
        -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(BitsOf(At(rate).GetCoefficient()), BitsOf(0.0f)) << rate;
  }
}

TEST(StabilizerClamp, LimitsToPlusMinusOneAndSendsNaNToMinusOne) {
  // A fresh stabiliser's first output is its clamped input.
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float cases[][2] = {{1.0f, 1.0f},   {-1.0f, -1.0f}, {1.5f, 1.0f},
                            {-7.0f, -1.0f}, {inf, 1.0f},    {-inf, -1.0f},
                            {nan, -1.0f},   {0.25f, 0.25f}, {FloatOf(0xffc12345u), -1.0f}};
  for (const auto& c : cases) EXPECT_EQ(First(TStabilize(), c[0]), c[1]) << c[0];
}

TEST(StabilizerFilter, ConstantInputDecaysByTheCoefficientAndRestsOnASubnormal) {
  const struct {
    float Rate;
    uint32_t Rest;
  } rates[] = {{44100.0f, 88u}, {48000.0f, 96u}};
  for (const auto& r : rates) {
    TStabilize s = At(r.Rate);
    const double a = s.GetCoefficient();
    std::vector<float> y(40000, 0.5f);
    s.Process(y.data(), static_cast<int32_t>(y.size()));
    EXPECT_EQ(y[0], 0.5f);
    // x[n] - x[n-1] is 0, so each output is the last one times a, rounded
    // once (the product of two floats is exact in double).
    for (size_t n = 1; n < y.size(); ++n) {
      ASSERT_EQ(BitsOf(y[n]), BitsOf(static_cast<float>(a * y[n - 1]))) << n;
    }
    EXPECT_EQ(BitsOf(y.back()), r.Rest);  // r.Rest * 2^-149
  }
  float start[3] = {0.5f, 0.5f, 0.5f};
  At(44100.0f).Process(start, 3);
  EXPECT_EQ(start[1], 0.49716553f);
  EXPECT_EQ(start[2], 0.49434713f);
}

TEST(StabilizerFilter, At250HzTheOutputIsThePlainFirstDifferenceAndNotClamped) {
  float x[] = {0.5f, -0.25f, 3.0f, -1.0f, 1.0f, 1.0f};
  At(250.0f).Process(x, 6);
  const float expected[] = {0.5f, -0.75f, 1.25f, -2.0f, 2.0f, 0.0f};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(x[i], expected[i]) << i;
}

TEST(StabilizerState, BlockBoundariesAndEmptyCallsDoNotChangeTheOutput) {
  std::vector<float> input(1000);
  for (size_t i = 0; i < input.size(); ++i) input[i] = 1.7f * std::sin(0.05f * i) + 0.3f;
  std::vector<float> whole = input;
  At(44100.0f).Process(whole.data(), 1000);

  for (int32_t split : {1, 7, 500, 999}) {
    TStabilize s = At(44100.0f);
    std::vector<float> parts = input;
    s.Process(parts.data(), split);
    float untouched = 5.0f;
    s.Process(&untouched, 0);
    s.Process(&untouched, -3);
    EXPECT_EQ(untouched, 5.0f);
    s.Process(parts.data() + split, 1000 - split);
    for (size_t i = 0; i < 1000; ++i) ASSERT_EQ(BitsOf(parts[i]), BitsOf(whole[i])) << split;
  }
}

TEST(StabilizerState, SetSampleRateKeepsTheFilterState) {
  TStabilize s = At(44100.0f);
  float x[3] = {0.8f, -0.3f, 0.6f};
  s.Process(x, 2);
  s.SetSampleRate(48000.0f);
  s.Process(x + 2, 1);
  const TWide difference = Widen(0.6f) - Widen(-0.3f);
  const TWide expected = difference + Widen(0.99479169f) * Widen(x[1]);
  EXPECT_EQ(BitsOf(x[2]), BitsOf(Narrow(expected)));
}

namespace {

// The filter exactly as defined, one sample at a time in extended precision.
std::vector<float> ExtendedModel(const std::vector<float>& input, float coefficient) {
#if VOREL_X87_STEPS
  const vorel::TX87Precision precision;  // whatever the thread's precision
#endif
  std::vector<float> out(input.size());
  float prevInput = 0.0f, prevOutput = 0.0f;
  for (size_t i = 0; i < input.size(); ++i) {
    float x = input[i];
    if (x > 1.0f)
      x = 1.0f;
    else if (!(x >= -1.0f))
      x = -1.0f;
    const TWide y = (Widen(x) - Widen(prevInput)) + Widen(coefficient) * Widen(prevOutput);
    prevInput = x;
    prevOutput = Narrow(y);
    out[i] = prevOutput;
  }
  return out;
}

// Each of the filter's paths: with and (wherever the processor has it)
// without a fused multiply-add.
void ExpectSameBitsAsModel(const std::vector<float>& input, float rate) {
  vorel::TFeatures fused;
  fused.Fma = true;
  for (const vorel::TFeatures features : {vorel::PlainFeatures(), fused}) {
    TStabilize s = At(rate, features);
    auto got = input;
    s.Process(got.data(), static_cast<int32_t>(got.size()));
    const auto want = ExtendedModel(input, s.GetCoefficient());
    for (size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(BitsOf(got[i]), BitsOf(want[i]))
          << "rate " << rate << " i " << i << " fma " << features.Fma;
    }
  }
}

}  // namespace

// The filter runs in double where that provably gives the extended result;
// these signals aim at the places where it would not.
TEST(StabilizerFastPath, GivesTheExtendedPrecisionBitsOnHardSignals) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<float> dist(-1.5f, 1.5f);
  for (float rate : {44100.0f, 48000.0f, 96000.0f, 8000.0f, 250.0f, 126.0f, 1e9f}) {
    std::vector<float> noise(20000);
    for (float& v : noise) v = dist(rng);
    ExpectSameBitsAsModel(noise, rate);

    // Tiny values next to full scale: differences that double cannot hold.
    std::vector<float> gaps;
    for (int i = 0; i < 4000; ++i) {
      const float tiny = FloatOf(static_cast<uint32_t>(rng() % 0x00800000u) | ((rng() & 1u) << 31));
      gaps.push_back(i % 2 ? tiny : (i % 4 ? 1.0f : -0.75f + 1e-7f * static_cast<float>(i)));
    }
    ExpectSameBitsAsModel(gaps, rate);

    // Steps that decay onto subnormal resting values, and differences that
    // land exactly halfway between two floats (1 - 2^-25, 2^-25 + 2^-50).
    std::vector<float> steps(30000, 0.5f);
    for (size_t i = 10000; i < 20000; ++i) steps[i] = -1.0f;
    steps[25000] = 1.0f;
    steps[25001] = 0x1p-25f;
    steps[25002] = 0x1p-25f + 0x1p-50f;
    steps[25003] = 0.0f;
    ExpectSameBitsAsModel(steps, rate);

    // A sum that falls just below a point halfway between two floats, by
    // less than double can hold: a step of -2^-25 decays until y is about
    // 2^-58, then 0.5 + 2^-24 arrives, and x - x[n-1] is exactly halfway
    // between 0.5 + 2^-24 and 0.5 + 2^-23.
    if (rate == 44100.0f || rate == 48000.0f) {
      const double a = At(rate).GetCoefficient();  // a x y is exact in double
      std::vector<float> decay(1, -0x1p-25f);
      float y = -0x1p-25f;  // the first output from a zero state
      while (std::fabs(y) > 0x1p-58f) {
        y = static_cast<float>(a * y);
        decay.push_back(-0x1p-25f);
      }
      for (int extra = 0; extra < 40; ++extra) {
        auto sequence = decay;
        sequence.push_back(0.5f + 0x1p-24f);
        ExpectSameBitsAsModel(sequence, rate);
        decay.push_back(-0x1p-25f);
      }
    }

    // Values built from few bits, where sums often fall on exact halves.
    std::vector<float> coarse(20000);
    for (float& v : coarse) v = static_cast<float>(static_cast<int>(rng() % 33) - 16) / 16.0f;
    ExpectSameBitsAsModel(coarse, rate);
  }
}
