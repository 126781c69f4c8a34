#include "ui/control_value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "vst3_clap/stereo_parameters.h"

namespace vorel {

namespace {

constexpr ScalePoint kSwitchPoints[] = {{0.0f, "off"}, {1.0f, "on"}};

// Clamped to the range, and a stepped control's rounded to a whole number.
float Settle(const ControlSpec& spec, float value) {
  const float clamped = std::clamp(value, spec.Minimum, spec.Maximum);
  return spec.Stepped ? std::round(clamped) + 0.0f : clamped;
}

}  // namespace

ControlSpec SpecOf(uint32_t parameter) {
  const ParameterRange range = RangeOf(parameter);
  if (parameter == BypassParameter)
    return {"bypass", range.Minimum, range.Maximum, 0.0f, true, kSwitchPoints, 2, PortUnit::None};
  const PortEntry& port = parameter == MixParameter ? kMixControl : kPortTable[parameter];
  ControlSpec spec{port.Name,     range.Minimum,    range.Maximum,        port.Default,
                   range.Stepped, port.ScalePoints, port.ScalePointCount, port.Unit};
  if (port.Toggled) {
    spec.ScalePoints = kSwitchPoints;
    spec.ScalePointCount = 2;
  }
  return spec;
}

float DragValue(const ControlSpec& spec, float start, float pixels, bool fine) {
  const float span = kDragSpan * (fine ? kFineFactor : 1.0f);
  return Settle(spec, start + pixels * (spec.Maximum - spec.Minimum) / span);
}

float WheelValue(const ControlSpec& spec, float value, float steps, bool fine) {
  const float step = spec.Stepped ? 1.0f : (spec.Maximum - spec.Minimum) / 100.0f;
  return Settle(spec, value + steps * (fine && !spec.Stepped ? step / kFineFactor : step));
}

void FormatValue(const ControlSpec& spec, float value, char* text, std::size_t size) {
  for (std::size_t i = 0; i < spec.ScalePointCount; ++i) {
    if (spec.ScalePoints[i].Value == value) {
      std::snprintf(text, size, "%s", spec.ScalePoints[i].Label);
      return;
    }
  }
  if (spec.Stepped) {
    std::snprintf(text, size, "%.0f", value);
  } else if (spec.Unit == PortUnit::Percent) {
    std::snprintf(text, size, "%.1f %%", value);
  } else {
    std::snprintf(text, size, "%.3f", value);
  }
}

}  // namespace vorel
