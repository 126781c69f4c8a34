#include "ui/control_value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "effect/parameters.h"

namespace vorel {

namespace {

constexpr ScalePoint kSwitchPoints[] = {{0.0f, "off"}, {1.0f, "on"}};

// Clamped to the range, and a stepped control's rounded to a whole number.
float Settle(const ControlTraits& traits, float value) {
  const float clamped = std::clamp(value, traits.Minimum, traits.Maximum);
  return traits.Stepped ? std::round(clamped) + 0.0f : clamped;
}

}  // namespace

ControlTraits TraitsOf(uint32_t parameter) {
  const ParameterRange range = RangeOf(parameter);
  if (parameter == BypassParameter)
    return {"bypass", range.Minimum, range.Maximum, 0.0f, true, kSwitchPoints, 2, PortUnit::None};
  const PortEntry& port = parameter == MixParameter ? kMixControl : kPortTable[parameter];
  ControlTraits traits{port.Name,     range.Minimum,    range.Maximum,        port.Default,
                       range.Stepped, port.ScalePoints, port.ScalePointCount, port.Unit};
  if (port.Toggled) {
    traits.ScalePoints = kSwitchPoints;
    traits.ScalePointCount = 2;
  }
  return traits;
}

float DragValue(const ControlTraits& traits, float start, float pixels, bool fine) {
  const float span = kDragSpan * (fine ? kFineFactor : 1.0f);
  return Settle(traits, start + pixels * (traits.Maximum - traits.Minimum) / span);
}

float WheelValue(const ControlTraits& traits, float value, float steps, bool fine) {
  const float step = traits.Stepped ? 1.0f : (traits.Maximum - traits.Minimum) / 100.0f;
  return Settle(traits, value + steps * (fine && !traits.Stepped ? step / kFineFactor : step));
}

void FormatValue(const ControlTraits& traits, float value, char* text, std::size_t size) {
  for (std::size_t i = 0; i < traits.ScalePointCount; ++i) {
    if (traits.ScalePoints[i].Value == value) {
      std::snprintf(text, size, "%s", traits.ScalePoints[i].Label);
      return;
    }
  }
  if (traits.Stepped) {
    std::snprintf(text, size, "%.0f", value);
  } else if (traits.Unit == PortUnit::Percent) {
    std::snprintf(text, size, "%.1f %%", value);
  } else {
    std::snprintf(text, size, "%.3f", value);
  }
}

}  // namespace vorel
