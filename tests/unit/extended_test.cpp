// The portable extended-precision steps against x87: a table of hard cases
// whose float results (taken from x87) are checked on every target, and on
// x86 every 64-bit intermediate result compared with long double, for the
// table and for millions of random operands.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <tuple>
#include <type_traits>

#include "dsp/fmaths/extended.h"
#include "dsp/fmaths/fmaths.h"
#include "dsp/fmaths/x87_precision.h"
#include "support/x87_control.h"

namespace {

using vorel::BitsOf;
using vorel::FloatOf;
using vorel::TExtended;

#define X87_AVAILABLE VOREL_X87_LONG_DOUBLE

// Run with VOREL_X87_CONTROL=0x027f, the x87 references set the precision
// they need; the control words must end as they began.
struct ControlWordsEnvironment : ::testing::Environment {
  void SetUp() override { Words = vorel_host::ControlWords::FromEnvironment(); }
  void TearDown() override { EXPECT_TRUE(Words.Unchanged()); }
  vorel_host::ControlWords Words;
};
[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ControlWordsEnvironment);

// The engine's steps, and one whole-number threshold, on four operands.
enum class Step { OverlapAdd, Filter, LevelScale, Coefficient, Hold };

// A float or an integer as T, which is long double or TExtended.
template <typename T, typename V>
T Of(V x) {
  if constexpr (std::is_same_v<T, TExtended>) {
    return TExtended::Of(x);
  } else {
    return x;
  }
}

// Every step returns its last extended value; only Hold reads n.
template <typename T>
T Evaluate(Step step, const float (&v)[4], int32_t n) {
  switch (step) {
    case Step::OverlapAdd:
      return Of<T>(v[0]) * Of<T>(v[1]) * Of<T>(v[2]) + Of<T>(v[3]);
    case Step::Filter:
      return (Of<T>(v[0]) - Of<T>(v[1])) + Of<T>(v[2]) * Of<T>(v[3]);
    case Step::LevelScale:
      return Of<T>(v[0]) * Of<T>(v[1]) / Of<T>(1024.0f);
    case Step::Coefficient:
      return Of<T>(1.0f) - Of<T>(250.0f) / Of<T>(v[0]);
    case Step::Hold:
      return Of<T>(n) * Of<T>(v[0]);
  }
  return T();
}

struct Case {
  const char* name;
  Step step;
  float v[4];
  uint32_t x87;   // the float x87 gives
  int32_t n = 0;  // the integer operand of Hold
};

const float kMax = FloatOf(0x7f7fffffu);
const float kOnePlus = FloatOf(0x3f800001u);
const float kAllOnes = FloatOf(0x3fffffffu);
// 31 x 1082401 = 2^25 - 1: the product is the largest float plus half a unit.
const float kTieAtMax[2] = {0x1fp98f, 0x108421p5f};

// clang-format off
const Case kCases[] = {
    {"binary128 rounds this sum up", Step::OverlapAdd,
     {kOnePlus, kOnePlus, kOnePlus, -(0x1p-24f + 0x3p-46f)}, 0x3f800002u},
    {"double loses the product's last bit", Step::OverlapAdd,
     {1.0f + 0x1p-20f, 1.0f + 0x1p-20f, 1.0f + 0x1p-20f, -(0x3p-24f + 0x3p-40f)}, 0x3f800017u},
    {"binary128 keeps a difference x87 rounds away", Step::Filter,
     {1.0f, 0x1p-70f, 0.5f, -0x1p-24f}, 0x3f800000u},
    {"a quarter unit below 1 carries up", Step::Filter, {1.0f, 0x1p-66f, 0.5f, -0x1p-24f},
     0x3f800000u},
    {"a tie below 1 goes to the even 1", Step::Filter, {1.0f, 0x1p-65f, 0.5f, -0x1p-24f},
     0x3f800000u},
    {"a tie above 1 goes to the even 1", Step::Filter, {1.0f, -0x1p-64f, 0.5f, 0x1p-23f}, 0x3f800000u},
    {"a bit 63 binades down breaks a tie", Step::Filter, {0x1p-64f, -0x1p-127f, 0xff01p-16f, 0x101p-8f}, 0x3f800001u},
    {"all-ones significands", Step::OverlapAdd, {kAllOnes, kAllOnes, kAllOnes, -8.0f}, 0xb5bfffffu},
    {"cancellation gives +0", Step::OverlapAdd, {0.75f, 3.0f, -1.0f, 2.25f}, 0x00000000u},
    {"-0 plus -0 stays -0", Step::Filter, {-0.0f, 0.0f, 0.5f, -0.0f}, 0x80000000u},
    {"+0 minus +0 is +0", Step::Filter, {0.0f, 0.0f, -0.5f, 0.0f}, 0x00000000u},
    {"a product with a zero keeps its sign", Step::OverlapAdd, {-0.0f, 2.0f, 3.0f, -0.0f},
     0x80000000u},
    {"a subnormal tie goes to even", Step::OverlapAdd, {0x3p-80f, 0x1p-70f, 1.0f, 0.0f},
     0x00000002u},
    {"half the smallest subnormal goes to 0", Step::OverlapAdd, {0x1p-75f, 0x1p-75f, -1.0f, 0.0f},
     0x80000000u},
    {"a subnormal carries into the normals", Step::OverlapAdd,
     {FloatOf(0x3f7fffffu), 0x1p-126f, 1.0f, 0.0f}, 0x00800000u},
    {"a product far below the floats", Step::OverlapAdd, {1e-40f, 1e-40f, 1e-40f, 1e-45f},
     0x00000001u},
    {"a product beyond the floats", Step::OverlapAdd, {kMax, 1.0f + 0x1p-23f, 1.0f, -kMax},
     0x73ffffffu},
    {"a tie at the largest float overflows", Step::OverlapAdd,
     {kTieAtMax[0], kTieAtMax[1], 1.0f, 0.0f}, 0x7f800000u},
    {"a 1 lost in the 64-bit sum leaves the tie", Step::OverlapAdd,
     {kTieAtMax[0], kTieAtMax[1], 1.0f, -1.0f}, 0x7f800000u},
    {"2^70 kept in the 64-bit sum gives the largest float", Step::OverlapAdd,
     {kTieAtMax[0], kTieAtMax[1], 1.0f, -0x1p70f}, 0x7f7fffffu},
    {"three large floats overflow", Step::OverlapAdd, {kMax, kMax, -kMax, 1.0f}, 0xff800000u},
    {"an infinity", Step::OverlapAdd, {INFINITY, 0.5f, 1.0f, 1.0f}, 0x7f800000u},
    {"infinity times zero", Step::OverlapAdd, {INFINITY, 0.0f, 1.0f, 1.0f}, 0xffc00000u},
    {"of two NaNs the larger significand", Step::OverlapAdd, {FloatOf(0x7fc00001u), 1.0f, 1.0f, FloatOf(0xffc00002u)}, 0xffc00002u},
    {"of two equal NaNs the positive", Step::Filter, {FloatOf(0xffc00005u), FloatOf(0x7fc00005u), 1.0f, 1.0f}, 0x7fc00005u},
    {"of two equal negative NaNs the negative", Step::OverlapAdd, {0.0f, 1.0f, INFINITY, FloatOf(0xffc00000u)}, 0xffc00000u},
    {"a signalling NaN quietened first", Step::OverlapAdd, {FloatOf(0x7f800001u), 1.0f, 1.0f, FloatOf(0x7fc00000u)}, 0x7fc00001u},
    {"a NaN keeps its payload and sign", Step::Filter, {0.5f, 0.25f, FloatOf(0xffc01234u), 1.0f},
     0xffc01234u},
    {"the coefficient at 44100 Hz", Step::Coefficient, {44100.0f}, 0x3f7e8c7bu},
    {"the coefficient at 48000 Hz", Step::Coefficient, {48000.0f}, 0x3f7eaaabu},
    {"the coefficient at 126 Hz", Step::Coefficient, {126.0f}, 0xbf7befbfu},
    {"the coefficient at an infinite rate", Step::Coefficient, {INFINITY}, 0x3f800000u},
    {"the hold scale", Step::LevelScale, {0.3f, 1234.5678f}, 0x3eb92f67u},
    {"the hold scale of a NaN sum", Step::LevelScale, {0.3f, FloatOf(0x7fc00007u)}, 0x7fc00007u},
    {"a hold threshold of 55 bits", Step::Hold, {kAllOnes}, 0xcf7fffffu, INT32_MIN},
    {"a hold threshold just above 3", Step::Hold, {FloatOf(0x3f800001u)}, 0x40400002u, 3},
};
// clang-format on

#if X87_AVAILABLE
// Sign, exponent and significand, as TExtended reports them.
using Parts = std::tuple<bool, int32_t, uint64_t>;

Parts PartsOf(long double x) {
  unsigned char bytes[sizeof x];
  std::memcpy(bytes, &x, sizeof x);
  uint64_t significand;
  uint16_t top;
  std::memcpy(&significand, bytes, 8);
  std::memcpy(&top, bytes + 8, 2);
  return {top >> 15 != 0, significand == 0 ? 0 : (top & 0x7fff) - 16383, significand};
}

Parts PartsOf(const TExtended& x) { return {x.IsNegative(), x.GetExponent(), x.GetSignificand()}; }

// The step in both forms: the same 64-bit value (when finite), the same
// float, and for a threshold the same whole number and comparisons.
::testing::AssertionResult SameAsX87(Step step, const float (&v)[4], int32_t n) {
  const vorel::TX87Precision precision;
  const long double want = Evaluate<long double>(step, v, n);
  const TExtended got = Evaluate<TExtended>(step, v, n);
  if (BitsOf(got.ToFloat()) != BitsOf(static_cast<float>(want)) ||
      (std::isfinite(want) && PartsOf(got) != PartsOf(want))) {
    return ::testing::AssertionFailure()
           << std::hexfloat << "x87 " << want << ", portable " << got.ToFloat() << " from " << v[0]
           << " " << v[1] << " " << v[2] << " " << v[3] << " " << n;
  }
  if (step == Step::Hold && std::fabs(want) < 0x1p30L) {
    const auto k = static_cast<int32_t>(want);
    const int32_t next = want < 0 ? k - 1 : k + 1;
    const TExtended whole = TExtended::Of(k), beyond = TExtended::Of(next);
    if (got.Truncated() != k || (whole < got) != (k < want) || (got <= whole) != (want <= k) ||
        (got < beyond) != (want < next) || (beyond <= got) != (next <= want)) {
      return ::testing::AssertionFailure() << "threshold " << std::hexfloat << want;
    }
  }
  return ::testing::AssertionSuccess();
}
#endif

TEST(ExtendedSteps, GiveTheX87BitsOnHardCases) {
  for (const Case& c : kCases) {
    EXPECT_EQ(BitsOf(Evaluate<TExtended>(c.step, c.v, c.n).ToFloat()), c.x87) << c.name;
#if X87_AVAILABLE
    EXPECT_TRUE(SameAsX87(c.step, c.v, c.n)) << c.name;  // so the table holds x87's floats
#endif
  }
}

// Truncation gives what x86's conversion gives, INT32_MIN, out of range too,
// so a threshold never wraps to the other end with the sign flipped.
TEST(ExtendedSteps, TruncateAsX86ConvertsAtAndBeyondTheInt32Range) {
  const struct {
    float x;
    int32_t want;
  } cases[] = {{0x1.fffffep30f, 2147483520},
               {-0x1p31f, INT32_MIN},
               {0x1p31f, INT32_MIN},
               {0x1p40f, INT32_MIN},
               {-0x1p40f, INT32_MIN},
               {INFINITY, INT32_MIN},
               {NAN, INT32_MIN},
               {-2.75f, -2}};
  for (const auto& c : cases) EXPECT_EQ(TExtended::Of(c.x).Truncated(), c.want) << c.x;
}

#if X87_AVAILABLE
// Operands drawn to reach every binade, subnormals, significands of all
// ones or a single bit, and sums that cancel to a few units or to zero.
struct OperandSource {
  float Any() {
    const uint32_t r = rng();
    const uint32_t sign = r & 0x80000000u;
    uint32_t significand = rng() & 0x7fffffu;
    if (r % 8 == 0) significand = 0x7fffffu;
    if (r % 8 == 1) significand = rng() % 3 == 0 ? 0u : 1u;
    uint32_t field = (r >> 8) % 255;                      // any binade, subnormals included
    if ((r >> 16) % 4 != 0) field = 97 + (r >> 20) % 60;  // mostly near 1
    return FloatOf(sign | (field << 23) | significand);
  }

  // x, or a value a few units from it.
  float Near(float x) { return FloatOf(BitsOf(x) + static_cast<uint32_t>(rng() % 9) - 4u); }

  std::mt19937 rng;
};

// Six steps a round: 6 million operand sets.
TEST(ExtendedSteps, MatchX87OnMillionsOfRandomOperands) {
  const vorel::TX87Precision precision;
  OperandSource source{std::mt19937(20261208)};
  for (int round = 0; round < 1000000; ++round) {
    const float v[4] = {source.Any(), source.Any(), source.Any(), source.Any()};
    const bool cancel = source.rng() % 3 == 0;
    const float product = static_cast<float>(static_cast<long double>(v[0]) * v[1] * v[2]);
    const float overlap[4] = {v[0], v[1], v[2], cancel ? -source.Near(product) : v[3]};
    const float sum[4] = {v[0], 1.0f, 1.0f, cancel ? -source.Near(v[0]) : v[3]};
    const float filter[4] = {v[0], cancel ? source.Near(v[0]) : v[1], v[2], v[3]};
    const float rate[4] = {std::fabs(v[0]) * 1e5f, 0.0f, 0.0f, 0.0f};
    const auto n = static_cast<int32_t>(source.rng());
    ASSERT_TRUE(SameAsX87(Step::OverlapAdd, overlap, 0));
    ASSERT_TRUE(SameAsX87(Step::OverlapAdd, sum, 0));
    ASSERT_TRUE(SameAsX87(Step::Filter, filter, 0));
    ASSERT_TRUE(SameAsX87(Step::LevelScale, v, 0));
    ASSERT_TRUE(SameAsX87(Step::Coefficient, rate, 0));
    ASSERT_TRUE(SameAsX87(Step::Hold, v, n >> (source.rng() % 32)));
  }
}
#endif

}  // namespace
