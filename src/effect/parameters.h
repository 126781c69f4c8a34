// The effect's parameters as one list, for the editor and for every format
// that numbers its controls: the six controls in port order, the mix, then
// the bypass. Each format maps its own numbers onto it (the LV2 editor's
// ports in lv2/editor_ports.h; the VST3 and CLAP IDs are its numbers), and
// each takes a value by the one rule below, wherever the value comes from.
#pragma once

#include <cstdint>

#include "effect/port_table.h"

namespace vorel {

enum EffectParameter : uint32_t {
  MixParameter = kControlPortCount,
  BypassParameter,
  EffectParameterCount
};

struct ParameterRange {
  float Minimum;
  float Maximum;
  bool Stepped;  // whole numbers only: the integer controls and the switches
};

// For a parameter number below EffectParameterCount. The bypass is a
// switch from 0 to 1.
ParameterRange RangeOf(uint32_t parameter);

// The value a parameter takes when given value: clamped to its range, and a
// stepped parameter's rounded to the nearest whole number with halves up,
// so that a switch is on from one half. A NaN leaves current as it is, the
// same on every target. What the plugin runs is then what it reports and
// saves.
float TakeValue(uint32_t parameter, float value, float current);

}  // namespace vorel
