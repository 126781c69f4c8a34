// vorel-render's reading of a port table: the LADSPA default rules, the
// ranges it enforces and the audio ports it picks, on hand-made tables.
#include <gtest/gtest.h>
#include <ladspa.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "vorel-render/control_ports.h"

namespace {

using render::ControlSetting;

constexpr int kBounded = LADSPA_HINT_BOUNDED_BELOW | LADSPA_HINT_BOUNDED_ABOVE;

LADSPA_PortRangeHint Hint(int flags, float lower, float upper) {
  return LADSPA_PortRangeHint{flags, lower, upper};
}

double Default(int flags, float lower, float upper, unsigned long rate = 48000) {
  const auto value = render::DefaultOf(Hint(flags, lower, upper), rate);
  EXPECT_TRUE(value.has_value()) << flags;
  return value.value_or(NAN);
}

// A table shaped like a small plugin: two controls, audio in and out, an
// output control.
struct Table {
  std::vector<LADSPA_PortDescriptor> Kinds{
      LADSPA_PORT_INPUT | LADSPA_PORT_CONTROL, LADSPA_PORT_INPUT | LADSPA_PORT_AUDIO,
      LADSPA_PORT_INPUT | LADSPA_PORT_CONTROL, LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO,
      LADSPA_PORT_OUTPUT | LADSPA_PORT_CONTROL};
  std::vector<const char*> Names{"hold", "in", "level", "out", "meter"};
  std::vector<LADSPA_PortRangeHint> Hints{
      Hint(kBounded | LADSPA_HINT_INTEGER | LADSPA_HINT_DEFAULT_1, 1, 43), Hint(0, 0, 0),
      Hint(kBounded | LADSPA_HINT_DEFAULT_MIDDLE, 0, 2), Hint(0, 0, 0), Hint(0, 0, 0)};
  LADSPA_Descriptor Descriptor{};

  Table() {
    Descriptor.Label = "small";
    Descriptor.PortCount = Kinds.size();
    Descriptor.PortDescriptors = Kinds.data();
    Descriptor.PortNames = Names.data();
    Descriptor.PortRangeHints = Hints.data();
  }
};

std::string ErrorOf(const LADSPA_Descriptor& d, const std::vector<ControlSetting>& settings) {
  try {
    render::ControlValues(d, settings, 44100);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(RenderPortDefaults, FixedDefaultsAndBoundsAreTakenAsTheyAre) {
  EXPECT_EQ(Default(kBounded | LADSPA_HINT_DEFAULT_MINIMUM, -3, 5), -3.0);
  EXPECT_EQ(Default(kBounded | LADSPA_HINT_DEFAULT_MAXIMUM, -3, 5), 5.0);
  EXPECT_EQ(Default(LADSPA_HINT_DEFAULT_0, 0, 0), 0.0);
  EXPECT_EQ(Default(LADSPA_HINT_DEFAULT_1, 0, 0), 1.0);
  EXPECT_EQ(Default(LADSPA_HINT_DEFAULT_100, 0, 0), 100.0);
  EXPECT_EQ(Default(LADSPA_HINT_DEFAULT_440, 0, 0), 440.0);
  EXPECT_FALSE(render::DefaultOf(Hint(kBounded, 0, 1), 48000).has_value());
}

TEST(RenderPortDefaults, LowMiddleHighSitBetweenTheBoundsOnTheirScale) {
  EXPECT_EQ(Default(kBounded | LADSPA_HINT_DEFAULT_LOW, 0, 8), 2.0);
  EXPECT_EQ(Default(kBounded | LADSPA_HINT_DEFAULT_MIDDLE, 0, 8), 4.0);
  EXPECT_EQ(Default(kBounded | LADSPA_HINT_DEFAULT_HIGH, 0, 8), 6.0);
  // Logarithmic: the geometric points, 1 * 16^(1/4) = 2 and so on.
  const int log = kBounded | LADSPA_HINT_LOGARITHMIC;
  EXPECT_NEAR(Default(log | LADSPA_HINT_DEFAULT_LOW, 1, 16), 2.0, 1e-12);
  EXPECT_NEAR(Default(log | LADSPA_HINT_DEFAULT_MIDDLE, 1, 16), 4.0, 1e-12);
  EXPECT_NEAR(Default(log | LADSPA_HINT_DEFAULT_HIGH, 1, 16), 8.0, 1e-12);
  // A logarithmic port whose lower bound is 0 has no log scale: linear.
  EXPECT_EQ(Default(log | LADSPA_HINT_DEFAULT_MIDDLE, 0, 2), 1.0);
  // Integer ports round; sample-rate ports scale their bounds first.
  EXPECT_EQ(Default(kBounded | LADSPA_HINT_INTEGER | LADSPA_HINT_DEFAULT_LOW, 1, 4), 2.0);
  EXPECT_EQ(
      Default(kBounded | LADSPA_HINT_SAMPLE_RATE | LADSPA_HINT_DEFAULT_MAXIMUM, 0, 0.5f, 48000),
      24000.0);
}

TEST(RenderControlValues, UnsetControlsTakeDefaultsAndSetOnesTheirValue) {
  Table t;
  auto values = render::ControlValues(t.Descriptor, {}, 44100);
  EXPECT_EQ(values, (std::vector<LADSPA_Data>{1, 0, 1, 0, 0}));
  values = render::ControlValues(t.Descriptor, {{"--level", "level", 0.25, "0.25"}}, 44100);
  EXPECT_EQ(values, (std::vector<LADSPA_Data>{1, 0, 0.25f, 0, 0}));
}

TEST(RenderControlValues, ValuesOutsideTheDeclaredRangeAreRejectedWithIt) {
  Table t;
  EXPECT_EQ(ErrorOf(t.Descriptor, {{"--hold", "hold", 44, "44"}}),
            "--hold 44 is outside the range of \"hold\": 1 to 43, whole numbers");
  EXPECT_EQ(ErrorOf(t.Descriptor, {{"--hold", "hold", 2.5, "2.5"}}),
            "--hold 2.5 is not a whole number: \"hold\" takes 1 to 43, whole numbers");
  EXPECT_EQ(ErrorOf(t.Descriptor, {{"--level", "level", -0.0001, "-0.0001"}}),
            "--level -0.0001 is outside the range of \"level\": 0 to 2");
  EXPECT_NE(ErrorOf(t.Descriptor, {{"--level", "level", NAN, "nan"}}), "");
  EXPECT_EQ(ErrorOf(t.Descriptor, {{"--level", "level", 2, "2"}, {"--hold", "hold", 1, "1"}}), "");
}

TEST(RenderControlValues, OnlyControlInputsCanBeSetByName) {
  Table t;
  EXPECT_EQ(ErrorOf(t.Descriptor, {{"--meter", "meter", 0, "0"}}),
            "--meter: plugin \"small\" has no control input named \"meter\"");
  EXPECT_NE(ErrorOf(t.Descriptor, {{"--in", "in", 0, "0"}}), "");
}

TEST(RenderAudioPorts, TheOneAudioInputAndOutputAreFoundWhereverTheySit) {
  Table t;
  const render::AudioPorts audio = render::FindAudioPorts(t.Descriptor);
  EXPECT_EQ(audio.Input, 1u);
  EXPECT_EQ(audio.Output, 3u);
  t.Kinds[1] = LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO;  // now two outputs, no input
  EXPECT_THROW(render::FindAudioPorts(t.Descriptor), std::runtime_error);
}
