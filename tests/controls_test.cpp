#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fmaths/fmaths.h"
#include "processor/controls.h"

using vorel::ApplyControls;
using vorel::BitsOf;
using vorel::TQuantiser;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Port order: s&h, gain, direction, bitmask, amp-mod amt, process-typ.
struct Controls {
  float Values[6] = {1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f};
  Controls& Set(int port, float value) {
    Values[port] = value;
    return *this;
  }
};

void Apply(const Controls& c, TQuantiser& q) { ApplyControls(c.Values, q); }

}  // namespace

TEST(Controls, InRangeValuesTruncateTowardZero) {
  TQuantiser q;
  Apply(Controls().Set(0, 2.9f).Set(1, 0.75f).Set(2, 0.999f).Set(3, 0.5f).Set(4, 0.5f).Set(5, 1.0f), q);
  EXPECT_EQ(q.HoldLength, 2);
  EXPECT_EQ(q.Gain, 0.75f);
  EXPECT_EQ(q.Direction, 0);
  EXPECT_EQ(q.BitMask, 32767u << 16);  // 32767.5 truncated
  EXPECT_EQ(BitsOf(q.AmpModAmount), BitsOf(0.0f));
  EXPECT_EQ(q.ProcessType, 1);

  Apply(Controls().Set(0, 43.0f).Set(2, 1.0f).Set(3, 1.0f).Set(4, 1.0f).Set(5, 0.999f), q);
  EXPECT_EQ(q.HoldLength, 43);
  EXPECT_EQ(q.Direction, 1);
  EXPECT_EQ(q.BitMask, 0xffff0000u);  // exactly the upper 16 bits
  EXPECT_EQ(q.AmpModAmount, 1.0f);
  EXPECT_EQ(q.ProcessType, 0);

  Apply(Controls().Set(3, 0.0f), q);
  EXPECT_EQ(q.BitMask, 0u);  // clears all 32 bits
}

TEST(Controls, OutOfRangeValuesKeepTheLowBitsOfTheTruncation) {
  TQuantiser q;
  Apply(Controls().Set(0, -5.5f).Set(2, 256.0f).Set(3, 100000.0f).Set(4, -2.5f).Set(5, -1.0f), q);
  EXPECT_EQ(q.HoldLength, -5);
  EXPECT_EQ(q.Direction, 0);                        // 256 keeps no low bit
  EXPECT_EQ(q.BitMask, static_cast<uint32_t>(100000ull * 65535ull) << 16);  // bits above 32 lost
  EXPECT_EQ(q.AmpModAmount, -2.0f);
  EXPECT_EQ(q.ProcessType, 0xff);
  Apply(Controls().Set(1, 0.0f), q);
  Apply(Controls().Set(1, -0.0f), q);  // compares equal to +0.0: not taken
  EXPECT_EQ(BitsOf(q.Gain), 0u);
  Apply(Controls().Set(1, 2.0f), q);
  Apply(Controls().Set(1, -0.0f), q);  // unequal to 2.0: taken, sign bit and all
  EXPECT_EQ(BitsOf(q.Gain), 0x80000000u);
}

TEST(Controls, InfinitiesAndHugeValuesSaturateToThe64BitRange) {
  TQuantiser q;
  Apply(Controls().Set(0, kInf).Set(2, 1e30f).Set(3, kInf).Set(4, kInf).Set(5, kInf), q);
  EXPECT_EQ(q.HoldLength, -1);  // low 32 bits of INT64_MAX
  EXPECT_EQ(q.Direction, 0xff);
  EXPECT_EQ(q.BitMask, 0xffff0000u);
  EXPECT_EQ(q.AmpModAmount, 9223372036854775808.0f);
  EXPECT_EQ(q.ProcessType, 0xff);
  Apply(Controls().Set(0, -kInf).Set(2, -kInf).Set(3, -1e30f).Set(4, -kInf).Set(5, -1e30f), q);
  EXPECT_EQ(q.HoldLength, 0);  // low 32 bits of INT64_MIN
  EXPECT_EQ(q.Direction, 0);
  EXPECT_EQ(q.BitMask, 0u);
  EXPECT_EQ(q.AmpModAmount, -9223372036854775808.0f);
  EXPECT_EQ(q.ProcessType, 0);
}

TEST(Controls, NaNOnAnyPortLeavesThatParameterAsItWas) {
  const Controls before = Controls().Set(0, 7.0f).Set(1, 0.5f).Set(3, 0.25f).Set(4, 1.0f).Set(5, 1.0f);
  for (int port = 0; port < 6; ++port) {
    TQuantiser q;
    TQuantiser expected;
    Apply(before, q);
    Apply(before, expected);
    Apply(Controls(before).Set(port, kNaN), q);
    EXPECT_EQ(q.HoldLength, expected.HoldLength) << port;
    EXPECT_EQ(BitsOf(q.Gain), BitsOf(expected.Gain)) << port;
    EXPECT_EQ(q.Direction, expected.Direction) << port;
    EXPECT_EQ(q.BitMask, expected.BitMask) << port;
    EXPECT_EQ(BitsOf(q.AmpModAmount), BitsOf(expected.AmpModAmount)) << port;
    EXPECT_EQ(q.ProcessType, expected.ProcessType) << port;
  }
}
