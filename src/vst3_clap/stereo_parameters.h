// The VST3 and CLAP plugin's parameters, and the one rule by which each
// takes a value, wherever the value comes from: a host's parameter change,
// a saved state or the framework.
#pragma once

#include <cstdint>

#include "effect/port_table.h"

namespace vorel {

// The parameter numbers: the six controls in port order, the mix, then the
// host's bypass.
enum StereoParameter : uint32_t {
  MixParameter = kControlPortCount,
  BypassParameter,
  StereoParameterCount
};

// The name DPF gives the bypass parameter, under which its saved states
// keep it; the others are the port table's symbols.
constexpr const char* kBypassSymbol = "dpf_bypass";

struct ParameterRange {
  float Minimum;
  float Maximum;
  bool Stepped;  // whole numbers only: the integer controls and the switches
};

// For a parameter number below StereoParameterCount. The bypass is a
// switch from 0 to 1.
ParameterRange RangeOf(uint32_t parameter);
const char* SymbolOf(uint32_t parameter);

// The value a parameter takes when given value: clamped to its range, and a
// stepped parameter's rounded to the nearest whole number with halves up,
// so that a switch is on from one half. A NaN leaves current as it is, the
// same on every target. What the plugin runs is then what it reports and
// saves.
float TakeValue(uint32_t parameter, float value, float current);

}  // namespace vorel
