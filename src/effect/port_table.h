// The effect's eight ports as data, in port order, for every plugin format,
// the renderer and the tests: one place for the names, ranges, defaults and
// kinds. The index of an entry is its port number.
#pragma once

#include <cstddef>

namespace vorel {

enum PortIndex : unsigned long {
  SampleHoldPort = 0,  // "s&h"
  GainPort,            // "gain"
  DirectionPort,       // "direction"
  BitMaskPort,         // "bitmask"
  AmpModPort,          // "amp-mod amt"
  ProcessTypePort,     // "process-typ"
  InputPort,           // "in"
  OutputPort,          // "out"
  PortCount
};

// The control ports are the first six, in the order above.
constexpr unsigned long kControlPortCount = InputPort;

enum class PortKind { ControlInput, AudioInput, AudioOutput };

// What a control's value measures, for formats that can say so.
enum class PortUnit { None, Coefficient, Percent };

// A named value of a control that chooses between a few settings.
struct ScalePoint {
  float Value;
  const char* Label;
};

struct PortEntry {
  const char* Name;    // shown to users, byte for byte
  const char* Symbol;  // machine-friendly: [_a-zA-Z][_a-zA-Z0-9]*
  PortKind Kind;
  // Range and default; audio ports have none and keep zeros here.
  float Minimum;
  float Maximum;
  float Default;
  bool Integer;                   // whole numbers only
  bool Toggled;                   // an on/off switch where the format has one
  bool Logarithmic;               // LADSPA only: the logarithmic hint
  const ScalePoint* ScalePoints;  // the named values of a choice, or null
  std::size_t ScalePointCount;
  PortUnit Unit;
};

constexpr ScalePoint kDirectionPoints[] = {{0.0f, "up"}, {1.0f, "down"}};
constexpr ScalePoint kProcessTypePoints[] = {{0.0f, "constant"}, {1.0f, "ramp"}};

// Three controls carry the logarithmic hint although their lower bound is 0,
// and "amp-mod amt" is neither integer nor toggled for LADSPA: the plugin's
// published hints, which hosts rely on. "direction" and "process-typ" are
// integer ports over 0..1 without it: a logarithmic scale over two values
// says nothing. Sessions store values, not hints, so they load as before.
// The engine reads "amp-mod amt" as a whole number, so only 1.0 turns it on;
// formats with a switch show it as one.
constexpr PortEntry kPortTable[PortCount] = {
    {"s&h", "hold", PortKind::ControlInput, 1.0f, 43.0f, 1.0f, true, false, false, nullptr, 0,
     PortUnit::None},
    {"gain", "gain", PortKind::ControlInput, 0.0f, 2.0f, 1.0f, false, false, true, nullptr, 0,
     PortUnit::Coefficient},
    {"direction", "direction", PortKind::ControlInput, 0.0f, 1.0f, 1.0f, true, false, false,
     kDirectionPoints, 2, PortUnit::None},
    {"bitmask", "bitmask", PortKind::ControlInput, 0.0f, 1.0f, 0.0f, false, false, true, nullptr, 0,
     PortUnit::None},
    {"amp-mod amt", "amp_mod", PortKind::ControlInput, 0.0f, 1.0f, 0.0f, false, true, true, nullptr,
     0, PortUnit::None},
    {"process-typ", "process_type", PortKind::ControlInput, 0.0f, 1.0f, 0.0f, true, false, false,
     kProcessTypePoints, 2, PortUnit::None},
    {"in", "in", PortKind::AudioInput, 0.0f, 0.0f, 0.0f, false, false, false, nullptr, 0,
     PortUnit::None},
    {"out", "out", PortKind::AudioOutput, 0.0f, 0.0f, 0.0f, false, false, false, nullptr, 0,
     PortUnit::None},
};

// The dry/wet mix (dry_wet_mix.h), a control of the formats that have one
// beyond the eight ports above; the LADSPA plugin keeps exactly those.
constexpr PortEntry kMixControl{
    "mix",   "mix", PortKind::ControlInput, 0.0f, 100.0f, 100.0f, false, false, false,
    nullptr, 0,     PortUnit::Percent};

// The controls' defaults in port order, as every host derives them.
struct DefaultControls {
  float Values[kControlPortCount];
};

constexpr DefaultControls MakeDefaultControls() {
  DefaultControls controls{};
  for (unsigned long port = 0; port < kControlPortCount; ++port) {
    controls.Values[port] = kPortTable[port].Default;
  }
  return controls;
}

}  // namespace vorel
