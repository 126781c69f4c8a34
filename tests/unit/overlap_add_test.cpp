// The overlap-add's double path, plain and built for AVX2 (wherever the
// processor has it), against the extended-precision rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "dsp/fmaths/fmaths.h"
#include "dsp/quantiser/overlap_add.h"
#include "support/reference_engine.h"

namespace {

using vorel::BitsOf;
using vorel::FloatOf;

struct Frame {
  std::vector<float> synthesis, window, accumulator;
};

void ExpectSameBitsAsExtended(const Frame& f, float ratio) {
  const int32_t n = static_cast<int32_t>(f.synthesis.size());
  auto rule = f.accumulator;
  vorel_test::OverlapAddExtended(f.synthesis.data(), f.window.data(), ratio, rule.data(), n);
  vorel::TFeatures avx2, avx512;
  avx2.Avx2 = true;
  avx512.Avx512 = true;
  for (const vorel::TOverlapAdd path :
       {&vorel::OverlapAdd, vorel::ChooseOverlapAdd(avx2), vorel::ChooseOverlapAdd(avx512)}) {
    auto fast = f.accumulator;
    std::vector<float> scratch(n);
    path(f.synthesis.data(), f.window.data(), ratio, fast.data(), scratch.data(), n);
    for (int32_t i = 0; i < n; ++i) ASSERT_EQ(BitsOf(fast[i]), BitsOf(rule[i])) << "element " << i;
  }
}

}  // namespace

// (1 + 2^-23)(1 - 2^-24)(1 + 2^-13 + 2^-23) - 2^-37 lies 2^-60 + 2^-70 below
// a point halfway between two floats. Double lands exactly on that point and
// rounds it to even; the extended rule keeps the 2^-60 and rounds down.
TEST(OverlapAddPath, KeepsTheExtendedResultWhereDoubleAloneWouldRoundTheOtherWay) {
  const float s = 1.0f + 0x1p-23f, w = 1.0f - 0x1p-24f, ratio = 1.0f + 0x1p-13f + 0x1p-23f,
              acc = -0x1p-37f;
  const double naive = static_cast<double>(s) * w * ratio + acc;
  ASSERT_NE(static_cast<float>(naive), 1.0f + 0x1p-13f + 0x1p-23f);  // the case is a hard one
  for (float scale : {1.0f, -1.0f, 0x1p-100f, 0x1p90f, -0x1p-20f}) {
    Frame f{{s * scale, 0.5f}, {w, 0.25f}, {acc * scale, 1.0f}};
    ExpectSameBitsAsExtended(f, ratio);
  }
}

// The NaNs here are quiet: every value that reaches the overlap-add comes out
// of float arithmetic, which never yields a signalling NaN.
TEST(OverlapAddPath, MatchesTheExtendedRuleOnRandomAndSpecialValues) {
  std::mt19937 rng(12);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  const float specials[] = {0.0f,
                            -0.0f,
                            INFINITY,
                            -INFINITY,
                            FloatOf(0x7fc01234u),
                            FloatOf(0xffc00321u),
                            FloatOf(0x00000001u),
                            FloatOf(0x807fffffu),
                            3.4e38f,
                            -1e-40f};
  for (int trial = 0; trial < 200; ++trial) {
    Frame f;
    for (int i = 0; i < 1024; ++i) {
      f.synthesis.push_back(unit(rng) * std::ldexp(1.0f, static_cast<int>(rng() % 60) - 30));
      f.window.push_back(std::fabs(unit(rng)));
      f.accumulator.push_back(unit(rng) * std::ldexp(1.0f, static_cast<int>(rng() % 60) - 30));
      if (rng() % 50 == 0) f.synthesis.back() = specials[rng() % 10];
      if (rng() % 50 == 0) f.accumulator.back() = specials[rng() % 10];
    }
    const float ratios[] = {unit(rng) * 1e3f, 1.0f, 0x1p-120f, 1e30f, std::nanf("7"), INFINITY};
    ASSERT_NO_FATAL_FAILURE(ExpectSameBitsAsExtended(f, ratios[trial % 6])) << "trial " << trial;
  }
  // Sums that cancel to tiny and subnormal results.
  Frame cancel;
  for (int i = 0; i < 1024; ++i) {
    const float x = unit(rng);
    cancel.synthesis.push_back(x);
    cancel.window.push_back(1.0f - 0x1p-24f * static_cast<float>(i % 7));
    cancel.accumulator.push_back(-x);
  }
  ExpectSameBitsAsExtended(cancel, 1.0f + 0x1p-23f);
}
