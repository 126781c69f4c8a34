#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fmaths/fmaths.h"
#include "stabilizer/stabilizer.h"

using vorel::BitsOf;
using vorel::FloatOf;
using vorel::TStabilize;

namespace {

TStabilize At(float rate) {
  TStabilize s;
  s.SetSampleRate(rate);
  return s;
}

float First(TStabilize s, float x) {
  s.Process(&x, 1);
  return x;
}

}  // namespace

TEST(StabilizerCoefficient, FollowsOneMinus250OverTheRate) {
  EXPECT_EQ(TStabilize().GetCoefficient(), 0.99433106f);  // starts at 44100
  EXPECT_EQ(At(44100.0f).GetCoefficient(), 0.99433106f);
  EXPECT_EQ(At(48000.0f).GetCoefficient(), 0.99479169f);
  EXPECT_EQ(BitsOf(At(250.0f).GetCoefficient()), BitsOf(0.0f));
  // Just above 125 Hz the formula still holds: a pole just inside -1.
  EXPECT_EQ(At(126.0f).GetCoefficient(), static_cast<float>(1.0L - 250.0L / 126.0L));
  EXPECT_EQ(At(48000.0f).GetSampleRate(), 48000.0f);
}

TEST(StabilizerCoefficient, RatesAtOrBelow125HzGiveThePlainFirstDifference) {
  for (float rate : {125.0f, 100.0f, 1.0f, 0.0f, -0.0f, -44100.0f,
                     std::numeric_limits<float>::quiet_NaN(),
                     -std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(BitsOf(At(rate).GetCoefficient()), BitsOf(0.0f)) << rate;
  }
}

TEST(StabilizerClamp, LimitsToPlusMinusOneAndSendsNaNToMinusOne) {
  // A fresh stabiliser's first output is its clamped input.
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float cases[][2] = {{1.0f, 1.0f},  {-1.0f, -1.0f}, {1.5f, 1.0f}, {-7.0f, -1.0f},
                            {inf, 1.0f},   {-inf, -1.0f},  {nan, -1.0f}, {0.25f, 0.25f},
                            {FloatOf(0xffc12345u), -1.0f}};
  for (const auto& c : cases) EXPECT_EQ(First(TStabilize(), c[0]), c[1]) << c[0];
}

TEST(StabilizerFilter, ConstantInputDecaysByTheCoefficientAndRestsOnASubnormal) {
  const struct { float Rate; uint32_t Rest; } rates[] = {{44100.0f, 88u}, {48000.0f, 96u}};
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
  const long double difference =
      static_cast<long double>(0.6f) - static_cast<long double>(-0.3f);
  const long double expected =
      difference + static_cast<long double>(0.99479169f) * static_cast<long double>(x[1]);
  EXPECT_EQ(BitsOf(x[2]), BitsOf(static_cast<float>(expected)));
}
