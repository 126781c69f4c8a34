// The editor's value logic without a display: what a drag, a wheel notch
// and Shift give on each kind of control, and how a value reads, against
// values worked out by hand from the port table's ranges.
#include <gtest/gtest.h>

#include <string>

#include "ui/control_value.h"
#include "effect/parameters.h"

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

}  // namespace
