#include "effect/parameters.h"

#include <algorithm>
#include <cmath>

namespace vorel {

ParameterRange RangeOf(uint32_t parameter) {
  if (parameter == BypassParameter) return {0.0f, 1.0f, true};
  const PortEntry& port = parameter == MixParameter ? kMixControl : kPortTable[parameter];
  return {port.Minimum, port.Maximum, port.Integer || port.Toggled};
}

// The ranges start at 0 or above, so std::round's halves away from zero are
// halves up; adding 0 turns the -0 it keeps into +0, which whole numbers
// are saved as.
float TakeValue(uint32_t parameter, float value, float current) {
  if (std::isnan(value)) return current;
  const ParameterRange range = RangeOf(parameter);
  const float clamped = std::clamp(value, range.Minimum, range.Maximum);
  return range.Stepped ? std::round(clamped) + 0.0f : clamped;
}

}  // namespace vorel
