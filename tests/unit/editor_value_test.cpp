// The editor's value logic without a display: what a drag, a wheel notch
// and Shift give on each kind of control, and how a value reads, against
// values worked out by hand from the port table's ranges; when the editor
// draws again; what the preset selector says.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "effect/parameters.h"
#include "effect/presets.h"
#include "ui/control_value.h"
#include "ui/live_levels.h"
#include "ui/preset_origin.h"

namespace {

using namespace vorel;

TEST(EditorValues, DragWheelAndShiftGiveTheValuesWorkedOutByHand) {
  enum How { Drag, Wheel };
  const struct {
    const char* Fault;
    uint32_t Parameter;
    How Gesture;
    float From, Amount;
    bool Fine;
    float Expected;
  } kCases[] = {
      {"a drag of the span does not cross the range", GainPort, Drag, 0.0f, 200.0f, false, 2.0f},
      {"Shift does not make a drag ten times finer", GainPort, Drag, 1.0f, 100.0f, true, 1.1f},
      {"a whole-number control takes a fraction", SampleHoldPort, Drag, 1.0f, 12.0f, false, 4.0f},
      {"a drag leaves the range", MixParameter, Drag, 90.0f, 100.0f, false, 100.0f},
      {"a drag down goes up", BitMaskPort, Drag, 0.5f, -50.0f, false, 0.25f},
      {"a notch on a whole-number control is not one", SampleHoldPort, Wheel, 8.0f, -1.0f, true,
       7.0f},
      {"a notch is not a hundredth of the range", GainPort, Wheel, 1.5f, 1.0f, false, 1.52f},
      {"Shift does not make a notch finer", GainPort, Wheel, 1.5f, 1.0f, true, 1.502f},
      {"a notch leaves the range", SampleHoldPort, Wheel, 43.0f, 3.0f, false, 43.0f},
  };
  for (const auto& c : kCases) {
    const ControlTraits traits = TraitsOf(c.Parameter);
    const float value = c.Gesture == Drag ? DragValue(traits, c.From, c.Amount, c.Fine)
                                          : WheelValue(traits, c.From, c.Amount, c.Fine);
    EXPECT_FLOAT_EQ(value, c.Expected) << c.Fault;
  }
}

TEST(EditorValues, ChoicesReadAsTheirNamesAndNumbersWithTheirUnits) {
  const struct {
    uint32_t Parameter;
    float Value;
    const char* Expected;
  } kCases[] = {
      {DirectionPort, 0.0f, "up"},     {ProcessTypePort, 1.0f, "ramp"}, {AmpModPort, 1.0f, "on"},
      {BypassParameter, 0.0f, "off"},  {SampleHoldPort, 12.0f, "12"},   {GainPort, 1.25f, "1.250"},
      {MixParameter, 50.0f, "50.0 %"},
  };
  for (const auto& c : kCases) {
    char text[32];
    FormatValue(TraitsOf(c.Parameter), c.Value, text, sizeof(text));
    EXPECT_EQ(std::string(text), c.Expected) << TraitsOf(c.Parameter).Name;
  }
}

// Hands over the snapshot set in Next, once, at the next idle call.
class OneShotFeed final : public EditorFeed {
 public:
  void Listen(bool) override {}
  bool Take(SpectrumSnapshot& copy) override {
    if (!Fresh) return false;
    copy = Next;
    Fresh = false;
    return true;
  }
  SpectrumSnapshot Next{};
  bool Fresh = false;
};

TEST(EditorRedraws, OnlyWhenASnapshotMovesWhatTheEditorShows) {
  OneShotFeed feed;
  LiveLevels live;
  // Idle calls, with the snapshot that make(call) gives before each (or
  // none); how many of them asked to draw again.
  const auto redraws = [&](int calls, auto make) {
    int count = 0;
    for (int call = 0; call < calls; ++call) {
      feed.Fresh = make(call);
      count += live.Idle(feed) ? 1 : 0;
    }
    return count;
  };
  const auto silence = [&](int) {
    feed.Next = SpectrumSnapshot{};
    return true;
  };
  const auto tone = [&](int call) {  // a full-scale sine in a new bin each call
    feed.Next = SpectrumSnapshot{};
    feed.Next.Input[1 + call] = feed.Next.Held[1 + call] = kSpectrumPairs;
    feed.Next.Peak = 0.5f;
    return true;
  };
  EXPECT_EQ(redraws(200, [](int) { return false; }), 0) << "drawn with no snapshot";
  EXPECT_EQ(redraws(200, silence), 1) << "silence drawn after its first frame";
  EXPECT_EQ(redraws(50, tone), 50) << "not one drawing for each snapshot that moves";
  // The bar falls at once, the held peak after its hold, then nothing.
  EXPECT_EQ(redraws(3 * kHoldCalls, silence), 2) << "the meter's fall not drawn, or drawn on";
}

TEST(PresetSelector, SaysWhichPresetTheValuesCameFromAndWhetherTheyChanged) {
  const Preset& hold = kPresets[1];
  const DefaultControls defaults = MakeDefaultControls();
  float edited[kControlPortCount];
  std::copy(hold.Values, hold.Values + kControlPortCount, edited);
  edited[SampleHoldPort] += 1.0f;
  const struct {
    int Loaded;  // -1: none
    const float* Values;
    std::string Expected;
  } kCases[] = {
      {-1, defaults.Values, "Default"},  // a host's defaults, as a new instance has
      {1, edited, std::string(hold.Name) + " (edited)"},
      {1, hold.Values, hold.Name},  // edited back
      {-1, edited, "own settings"},
      {1, kPresets[2].Values, kPresets[2].Name},  // a host loaded another from its own menu
  };
  for (const auto& c : kCases) {
    PresetOrigin origin;
    origin.Loaded(c.Loaded);
    origin.Hold(c.Values);
    char text[64];
    NameOrigin(origin, text, sizeof(text));
    EXPECT_EQ(std::string(text), c.Expected);
  }
}

}  // namespace
