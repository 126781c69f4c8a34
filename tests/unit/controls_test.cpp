#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

#include "dsp/fmaths/fmaths.h"
#include "effect/controls.h"
#include "effect/port_table.h"

using namespace vorel;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// One control port and the value it is given.
struct Setting {
  PortIndex Port;
  float Value;
};

// The controls at their defaults, with the given ports changed.
DefaultControls With(std::initializer_list<Setting> settings) {
  DefaultControls controls = MakeDefaultControls();
  for (const Setting& setting : settings) controls.Values[setting.Port] = setting.Value;
  return controls;
}

void Apply(TQuantiser& q, std::initializer_list<Setting> settings) {
  ApplyControls(With(settings).Values, q);
}

}  // namespace

TEST(Controls, InRangeValuesTruncateTowardZero) {
  TQuantiser q;
  Apply(q, {{SampleHoldPort, 2.9f},
            {GainPort, 0.75f},
            {DirectionPort, 0.999f},
            {BitMaskPort, 0.5f},
            {AmpModPort, 0.5f},
            {ProcessTypePort, 1.0f}});
  EXPECT_EQ(q.HoldLength, 2);
  EXPECT_EQ(q.Gain, 0.75f);
  EXPECT_EQ(q.Direction, 0);
  EXPECT_EQ(q.BitMask, 32767u << 16);  // 32767.5 truncated
  EXPECT_EQ(BitsOf(q.AmpModAmount), BitsOf(0.0f));
  EXPECT_EQ(q.ProcessType, 1);

  Apply(q, {{SampleHoldPort, 43.0f},
            {DirectionPort, 1.0f},
            {BitMaskPort, 1.0f},
            {AmpModPort, 1.0f},
            {ProcessTypePort, 0.999f}});
  EXPECT_EQ(q.HoldLength, 43);
  EXPECT_EQ(q.Direction, 1);
  EXPECT_EQ(q.BitMask, 0xffff0000u);  // exactly the upper 16 bits
  EXPECT_EQ(q.AmpModAmount, 1.0f);
  EXPECT_EQ(q.ProcessType, 0);

  Apply(q, {{BitMaskPort, 0.0f}});
  EXPECT_EQ(q.BitMask, 0u);  // clears all 32 bits
}

TEST(Controls, OutOfRangeValuesKeepTheLowBitsOfTheTruncation) {
  TQuantiser q;
  Apply(q, {{SampleHoldPort, -5.5f},
            {DirectionPort, 256.0f},
            {AmpModPort, -2.5f},
            {ProcessTypePort, -1.0f}});
  EXPECT_EQ(q.HoldLength, -5);
  EXPECT_EQ(q.Direction, 0);  // 256 keeps no low bit
  EXPECT_EQ(q.AmpModAmount, -2.0f);
  EXPECT_EQ(q.ProcessType, 0xff);
  Apply(q, {{GainPort, 0.0f}});
  Apply(q, {{GainPort, -0.0f}});  // compares equal to +0.0: not taken
  EXPECT_EQ(BitsOf(q.Gain), 0u);
  Apply(q, {{GainPort, 2.0f}});
  Apply(q, {{GainPort, -0.0f}});  // unequal to 2.0: taken, sign bit and all
  EXPECT_EQ(BitsOf(q.Gain), 0x80000000u);
}

TEST(Controls, InfinitiesAndHugeValuesSaturateToThe64BitRange) {
  TQuantiser q;
  Apply(q, {{SampleHoldPort, kInf},
            {DirectionPort, 1e30f},
            {BitMaskPort, kInf},
            {AmpModPort, kInf},
            {ProcessTypePort, kInf}});
  EXPECT_EQ(q.HoldLength, -1);  // low 32 bits of INT64_MAX
  EXPECT_EQ(q.Direction, 0xff);
  EXPECT_EQ(q.BitMask, 0xffff0000u);
  EXPECT_EQ(q.AmpModAmount, 9223372036854775808.0f);
  EXPECT_EQ(q.ProcessType, 0xff);
  Apply(q, {{SampleHoldPort, -kInf},
            {DirectionPort, -kInf},
            {BitMaskPort, -1e30f},
            {AmpModPort, -kInf},
            {ProcessTypePort, -1e30f}});
  EXPECT_EQ(q.HoldLength, 0);  // low 32 bits of INT64_MIN
  EXPECT_EQ(q.Direction, 0);
  EXPECT_EQ(q.BitMask, 0u);
  EXPECT_EQ(q.AmpModAmount, -9223372036854775808.0f);
  EXPECT_EQ(q.ProcessType, 0);
}

TEST(Controls, NaNOnAnyPortLeavesThatParameterAsItWas) {
  const DefaultControls before = With({{SampleHoldPort, 7.0f},
                                       {GainPort, 0.5f},
                                       {BitMaskPort, 0.25f},
                                       {AmpModPort, 1.0f},
                                       {ProcessTypePort, 1.0f}});
  for (unsigned long port = 0; port < kControlPortCount; ++port) {
    TQuantiser q;
    TQuantiser expected;
    ApplyControls(before.Values, q);
    ApplyControls(before.Values, expected);
    DefaultControls withNaN = before;
    withNaN.Values[port] = kNaN;
    ApplyControls(withNaN.Values, q);
    EXPECT_EQ(q.HoldLength, expected.HoldLength) << port;
    EXPECT_EQ(BitsOf(q.Gain), BitsOf(expected.Gain)) << port;
    EXPECT_EQ(q.Direction, expected.Direction) << port;
    EXPECT_EQ(q.BitMask, expected.BitMask) << port;
    EXPECT_EQ(BitsOf(q.AmpModAmount), BitsOf(expected.AmpModAmount)) << port;
    EXPECT_EQ(q.ProcessType, expected.ProcessType) << port;
  }
}
