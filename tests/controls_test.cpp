#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fmaths/fmaths.h"
#include "processor/controls.h"
#include "processor/port_table.h"

using namespace vorel;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The controls at their defaults, with single ports changed.
struct Controls {
  DefaultControls Ports = MakeDefaultControls();
  Controls& Set(PortIndex port, float value) {
    Ports.Values[port] = value;
    return *this;
  }
};

void Apply(const Controls& c, TQuantiser& q) { ApplyControls(c.Ports.Values, q); }

}  // namespace

TEST(Controls, InRangeValuesTruncateTowardZero) {
  TQuantiser q;
  Apply(Controls().Set(SampleHoldPort, 2.9f)
                 .Set(GainPort, 0.75f)
                 .Set(DirectionPort, 0.999f)
                 .Set(BitMaskPort, 0.5f)
                 .Set(AmpModPort, 0.5f)
                 .Set(ProcessTypePort, 1.0f), q);
  EXPECT_EQ(q.HoldLength, 2);
  EXPECT_EQ(q.Gain, 0.75f);
  EXPECT_EQ(q.Direction, 0);
  EXPECT_EQ(q.BitMask, 32767u << 16);  // 32767.5 truncated
  EXPECT_EQ(BitsOf(q.AmpModAmount), BitsOf(0.0f));
  EXPECT_EQ(q.ProcessType, 1);

  Apply(Controls().Set(SampleHoldPort, 43.0f)
                 .Set(DirectionPort, 1.0f)
                 .Set(BitMaskPort, 1.0f)
                 .Set(AmpModPort, 1.0f)
                 .Set(ProcessTypePort, 0.999f), q);
  EXPECT_EQ(q.HoldLength, 43);
  EXPECT_EQ(q.Direction, 1);
  EXPECT_EQ(q.BitMask, 0xffff0000u);  // exactly the upper 16 bits
  EXPECT_EQ(q.AmpModAmount, 1.0f);
  EXPECT_EQ(q.ProcessType, 0);

  Apply(Controls().Set(BitMaskPort, 0.0f), q);
  EXPECT_EQ(q.BitMask, 0u);  // clears all 32 bits
}

TEST(Controls, OutOfRangeValuesKeepTheLowBitsOfTheTruncation) {
  TQuantiser q;
  Apply(Controls().Set(SampleHoldPort, -5.5f)
                 .Set(DirectionPort, 256.0f)
                 .Set(AmpModPort, -2.5f)
                 .Set(ProcessTypePort, -1.0f), q);
  EXPECT_EQ(q.HoldLength, -5);
  EXPECT_EQ(q.Direction, 0);  // 256 keeps no low bit
  EXPECT_EQ(q.AmpModAmount, -2.0f);
  EXPECT_EQ(q.ProcessType, 0xff);
  Apply(Controls().Set(GainPort, 0.0f), q);
  Apply(Controls().Set(GainPort, -0.0f), q);  // compares equal to +0.0: not taken
  EXPECT_EQ(BitsOf(q.Gain), 0u);
  Apply(Controls().Set(GainPort, 2.0f), q);
  Apply(Controls().Set(GainPort, -0.0f), q);  // unequal to 2.0: taken, sign bit and all
  EXPECT_EQ(BitsOf(q.Gain), 0x80000000u);
}

TEST(Controls, InfinitiesAndHugeValuesSaturateToThe64BitRange) {
  TQuantiser q;
  Apply(Controls().Set(SampleHoldPort, kInf)
                 .Set(DirectionPort, 1e30f)
                 .Set(BitMaskPort, kInf)
                 .Set(AmpModPort, kInf)
                 .Set(ProcessTypePort, kInf), q);
  EXPECT_EQ(q.HoldLength, -1);  // low 32 bits of INT64_MAX
  EXPECT_EQ(q.Direction, 0xff);
  EXPECT_EQ(q.BitMask, 0xffff0000u);
  EXPECT_EQ(q.AmpModAmount, 9223372036854775808.0f);
  EXPECT_EQ(q.ProcessType, 0xff);
  Apply(Controls().Set(SampleHoldPort, -kInf)
                 .Set(DirectionPort, -kInf)
                 .Set(BitMaskPort, -1e30f)
                 .Set(AmpModPort, -kInf)
                 .Set(ProcessTypePort, -1e30f), q);
  EXPECT_EQ(q.HoldLength, 0);  // low 32 bits of INT64_MIN
  EXPECT_EQ(q.Direction, 0);
  EXPECT_EQ(q.BitMask, 0u);
  EXPECT_EQ(q.AmpModAmount, -9223372036854775808.0f);
  EXPECT_EQ(q.ProcessType, 0);
}

TEST(Controls, NaNOnAnyPortLeavesThatParameterAsItWas) {
  const Controls before = Controls()
                              .Set(SampleHoldPort, 7.0f)
                              .Set(GainPort, 0.5f)
                              .Set(BitMaskPort, 0.25f)
                              .Set(AmpModPort, 1.0f)
                              .Set(ProcessTypePort, 1.0f);
  for (unsigned long port = 0; port < kControlPortCount; ++port) {
    TQuantiser q;
    TQuantiser expected;
    Apply(before, q);
    Apply(before, expected);
    Apply(Controls(before).Set(static_cast<PortIndex>(port), kNaN), q);
    EXPECT_EQ(q.HoldLength, expected.HoldLength) << port;
    EXPECT_EQ(BitsOf(q.Gain), BitsOf(expected.Gain)) << port;
    EXPECT_EQ(q.Direction, expected.Direction) << port;
    EXPECT_EQ(q.BitMask, expected.BitMask) << port;
    EXPECT_EQ(BitsOf(q.AmpModAmount), BitsOf(expected.AmpModAmount)) << port;
    EXPECT_EQ(q.ProcessType, expected.ProcessType) << port;
  }
}
