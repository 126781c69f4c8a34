// The output peak's loop, in each build this machine runs, against a model
// that takes the samples one by one as floats.
#include "dsp/fmaths/largest_magnitude.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

namespace {

float Model(const std::vector<float>& block, std::size_t count) {
  float largest = 0.0f;
  for (std::size_t i = 0; i < count; ++i)
    if (!std::isnan(block[i]) && std::fabs(block[i]) > largest) largest = std::fabs(block[i]);
  return largest;
}

// Each special value at the block's start and in its last, partly filled
// vector, for lengths around the 4-, 8- and 16-lane widths. The faults: a
// tail left out, a NaN that wins or zeroes the peak, a negative value's sign
// kept, a wide build that differs from the plain one.
TEST(LargestMagnitude, EveryBuildIsTheModelsAtTheEdges) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float specials[] = {nan,          -nan,     INFINITY, -INFINITY, -0.0f,
                            FLT_TRUE_MIN, -FLT_MAX, -2.0f,    1.5f};
  vorel::TFeatures avx2, avx512;
  avx2.Avx2 = true;
  avx512.Avx512 = true;
  for (const vorel::TFeatures features : {vorel::PlainFeatures(), avx2, avx512}) {
    const vorel::TLargestMagnitude largestMagnitude = vorel::ChooseLargestMagnitude(features);
    for (const std::size_t count : {0u, 1u, 3u, 15u, 16u, 17u, 33u, 63u, 256u}) {
      for (const float special : specials) {
        for (const bool atStart : {true, false}) {
          std::vector<float> block(count);
          for (std::size_t i = 0; i < count; ++i) block[i] = 0.25f * std::sin(0.1f * i);
          if (count > 0) block[atStart ? 0 : count - 1] = special;
          const float got = largestMagnitude(block.data(), count);
          EXPECT_EQ(std::signbit(got), false);
          EXPECT_EQ(got, Model(block, count))
              << count << " samples, " << special << (atStart ? " first" : " last");
        }
      }
    }
    const std::vector<float> nans(20, nan);
    EXPECT_EQ(largestMagnitude(nans.data(), nans.size()), 0.0f);
  }
}

}  // namespace
