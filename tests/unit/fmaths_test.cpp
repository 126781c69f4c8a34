#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "dsp/fmaths/fmaths.h"

using vorel::BitsOf;
using vorel::FAbs;
using vorel::FloatOf;

TEST(FAbs, ClearsOnlyTheSignBit) {
  EXPECT_EQ(BitsOf(FAbs(-0.0f)), BitsOf(0.0f));
  EXPECT_EQ(BitsOf(FAbs(-std::numeric_limits<float>::infinity())),
            BitsOf(std::numeric_limits<float>::infinity()));
  // A negative quiet NaN with a payload keeps the payload.
  EXPECT_EQ(BitsOf(FAbs(FloatOf(0xffc12345u))), 0x7fc12345u);
  // A signalling NaN stays signalling: no arithmetic touches it.
  EXPECT_EQ(BitsOf(FAbs(FloatOf(0xff800001u))), 0x7f800001u);
  // The smallest negative subnormal.
  EXPECT_EQ(BitsOf(FAbs(FloatOf(0x80000001u))), 0x00000001u);
  EXPECT_EQ(FAbs(-1.5f), 1.5f);
  EXPECT_EQ(FAbs(2.25f), 2.25f);
}

// Every compile, on every target, rounds a product before adding to it: a
// compiler left to contract a * b + c into a fused multiply-add (the default
// of clang on ARM) keeps the product's last bit and gives 2^-24 here.
TEST(FloatArithmetic, ProductIsRoundedBeforeTheSum) {
  volatile float a = 1.0f + 0x1p-12f;  // a * a = 1 + 2^-11 + 2^-24: a tie, rounded to even
  volatile float c = -(1.0f + 0x1p-11f);
  const float a1 = a, a2 = a, c1 = c;
  EXPECT_EQ(BitsOf(a1 * a2 + c1), BitsOf(0.0f));
}
