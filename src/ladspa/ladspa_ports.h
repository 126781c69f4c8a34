// The LADSPA view of the shared port table: each port's descriptor and
// range hints, derived from the table so the two cannot drift apart.
#pragma once

#include <ladspa.h>

#include "effect/port_table.h"

namespace vorel {

constexpr LADSPA_PortDescriptor LadspaDescriptorOf(const PortEntry& port) {
  switch (port.Kind) {
    case PortKind::ControlInput:
      return LADSPA_PORT_INPUT | LADSPA_PORT_CONTROL;
    case PortKind::AudioInput:
      return LADSPA_PORT_INPUT | LADSPA_PORT_AUDIO;
    case PortKind::AudioOutput:
      return LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO;
  }
  return 0;
}

// Controls are bounded on both sides, with the default given as one of the
// two LADSPA constants 0 and 1; audio ports carry no hints and no bounds.
constexpr LADSPA_PortRangeHint LadspaHintOf(const PortEntry& port) {
  if (port.Kind != PortKind::ControlInput) return {0, 0.0f, 0.0f};
  LADSPA_PortRangeHintDescriptor hints = LADSPA_HINT_BOUNDED_BELOW | LADSPA_HINT_BOUNDED_ABOVE;
  if (port.Integer) hints |= LADSPA_HINT_INTEGER;
  if (port.Logarithmic) hints |= LADSPA_HINT_LOGARITHMIC;
  hints |= port.Default == 1.0f ? LADSPA_HINT_DEFAULT_1 : LADSPA_HINT_DEFAULT_0;
  return {hints, port.Minimum, port.Maximum};
}

constexpr bool DefaultsAreLadspaConstants() {
  for (const PortEntry& port : kPortTable) {
    if (port.Default != 0.0f && port.Default != 1.0f) return false;
  }
  return true;
}
static_assert(DefaultsAreLadspaConstants(),
              "a LADSPA default other than 0 or 1 needs its own hint");

}  // namespace vorel
