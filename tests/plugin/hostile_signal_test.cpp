// Signals that upset spectral processors and IIR filters, each followed by a
// long stretch of silence, through the whole plugin (engine and stabiliser)
// in every walk variant: the output stays finite and within the
// stabiliser's bound. The test also reports where the output comes to rest
// on subnormal values, which costs time on x86 (see bench/subnormal_bench).
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ladspa_host.h"
#include "support/output_bound.h"
#include "support/signals.h"

namespace {

using vorel_host::Instance;
using vorel_host::Library;

constexpr size_t kSignalLength = 8192;
constexpr size_t kSilenceLength = 65536;  // 1.5 s: far beyond the filter's 4 ms
constexpr unsigned long kRate = 44100;

struct Signal {
  const char* name;
  std::vector<float> samples;
};

std::vector<float> Constant(float value) { return std::vector<float>(kSignalLength, value); }

std::vector<Signal> HostileSignals() {
  std::vector<float> impulse(kSignalLength, 0.0f), pulse(kSignalLength, 0.0f), sine(kSignalLength);
  impulse[100] = 1.0f;
  for (size_t i = 100; i < 612; ++i) pulse[i] = 1.0f;
  for (size_t i = 0; i < kSignalLength; ++i)
    sine[i] = static_cast<float>(std::sin(2.0 * M_PI * i / 100.0));
  return {
      {"silence", Constant(0.0f)},
      {"impulse", impulse},
      {"pulse512", pulse},
      {"dc1e-27", Constant(1e-27f)},
      {"FLT_MIN", Constant(FLT_MIN)},
      {"subnormal1e-38", Constant(1e-38f)},
      {"sine", sine},
      {"square", vorel_host::Square(kSignalLength, 100, 1.0f)},
  };
}

struct Variant {
  const char* name;
  float direction, processType;
};
const Variant kVariants[] = {
    {"WalkUp", 0, 0}, {"WalkDown", 1, 0}, {"WalkUpRamp", 0, 1}, {"WalkDownRamp", 1, 1}};

// Where the output ends up after the silence.
std::string Resting(const std::vector<float>& out) {
  const float last = out.back();
  for (size_t i = out.size() - 4096; i < out.size(); ++i) {
    if (out[i] != last) return "still moving";
  }
  if (last == 0.0f) return "exact zero";
  char text[64];
  std::snprintf(text, sizeof text, "%s %g",
                std::fpclassify(last) == FP_SUBNORMAL ? "SUBNORMAL" : "normal",
                static_cast<double>(last));
  return text;
}

class HostileInput : public ::testing::TestWithParam<float> {};

TEST_P(HostileInput, OutputStaysFiniteAndBoundedThroughTheSilenceAfter) {
  Library lib(VOREL_LIBRARY_PATH);
  ASSERT_NE(lib.Descriptor(), nullptr) << dlerror();
  const float mask = GetParam();
  for (const Signal& signal : HostileSignals()) {
    std::vector<float> input = signal.samples;
    input.resize(kSignalLength + kSilenceLength, 0.0f);
    std::string report;
    for (const Variant& variant : kVariants) {
      Instance instance(lib.Descriptor(), kRate);
      ASSERT_TRUE(instance.Valid());
      instance.controls.Values[vorel::SampleHoldPort] = 5.0f;
      instance.controls.Values[vorel::DirectionPort] = variant.direction;
      instance.controls.Values[vorel::ProcessTypePort] = variant.processType;
      instance.controls.Values[vorel::BitMaskPort] = mask;
      instance.controls.Values[vorel::AmpModPort] = mask;
      std::vector<float> out(input.size());
      const unsigned long blocks[] = {512, 1, 333};
      instance.RunBlocks(input.data(), out.data(), input.size(), blocks, 3);

      vorel_host::OutputBound bound(kRate);
      size_t bad = 0, first = 0;
      for (size_t i = 0; i < out.size(); ++i) {
        const double limit = bound.Next();
        if (!std::isfinite(out[i]) || std::fabs(out[i]) > limit) {
          if (bad++ == 0) first = i;
        }
      }
      EXPECT_EQ(bad, 0u) << signal.name << " " << variant.name << ": first at " << first << " = "
                         << out[first];
      report += std::string(" ") + variant.name + ": " + Resting(out) + ";";
    }
    std::printf("[ resting  ] mask %.0f %-15s%s\n", static_cast<double>(mask), signal.name,
                report.c_str());
  }
}

// "bitmask" from about 0.498 to 0.5 and from 0.998 to 1 makes NaNs of the
// zeros of a silent spectrum; the plugin still gives exact silence for
// silence, not a full-scale click as the stream starts.
TEST(MaskedSilence, StaysExactSilenceThroughThePlugin) {
  Library lib(VOREL_LIBRARY_PATH);
  ASSERT_NE(lib.Descriptor(), nullptr) << dlerror();
  const std::vector<float> silence(9600, 0.0f);  // 0.2 s
  for (float mask : {0.499f, 0.5f, 0.999f, 1.0f}) {
    for (const Variant& variant : kVariants) {
      Instance instance(lib.Descriptor(), 48000);
      ASSERT_TRUE(instance.Valid());
      instance.controls.Values[vorel::SampleHoldPort] = 4.0f;
      instance.controls.Values[vorel::DirectionPort] = variant.direction;
      instance.controls.Values[vorel::ProcessTypePort] = variant.processType;
      instance.controls.Values[vorel::BitMaskPort] = mask;
      std::vector<float> out(silence.size(), 1.0f);
      const unsigned long blocks[] = {1024};
      instance.RunBlocks(silence.data(), out.data(), silence.size(), blocks, 1);
      for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0.0f) << "bitmask " << mask << " " << variant.name << " at " << i;
      }
    }
  }
}

// Mask 0 keeps every spectral value as it is; mask 1 (with amp-mod) flips
// sign, exponent and top significand bits, producing infinities and NaNs
// inside the engine as a matter of course.
INSTANTIATE_TEST_SUITE_P(Masks, HostileInput, ::testing::Values(0.0f, 1.0f));

}  // namespace
