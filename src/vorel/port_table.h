// The plugin's eight ports as data: the descriptor builder and the tests read
// this one table. The index of an entry is the port number a host passes to
// connect_port.
#pragma once

#include <ladspa.h>

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

struct PortEntry {
  const char* Name;
  LADSPA_PortDescriptor Descriptor;
  LADSPA_PortRangeHintDescriptor Hints;
  LADSPA_Data LowerBound;
  LADSPA_Data UpperBound;
};

constexpr LADSPA_PortDescriptor kControlIn = LADSPA_PORT_INPUT | LADSPA_PORT_CONTROL;
constexpr LADSPA_PortRangeHintDescriptor kBounded =
    LADSPA_HINT_BOUNDED_BELOW | LADSPA_HINT_BOUNDED_ABOVE;

// Five control ports are marked logarithmic although their lower bound is 0;
// the audio ports carry no hints and no bounds.
constexpr PortEntry kPortTable[PortCount] = {
    {"s&h", kControlIn, kBounded | LADSPA_HINT_INTEGER | LADSPA_HINT_DEFAULT_1, 1.0f, 43.0f},
    {"gain", kControlIn, kBounded | LADSPA_HINT_LOGARITHMIC | LADSPA_HINT_DEFAULT_1, 0.0f, 2.0f},
    {"direction", kControlIn,
     kBounded | LADSPA_HINT_LOGARITHMIC | LADSPA_HINT_INTEGER | LADSPA_HINT_DEFAULT_1, 0.0f, 1.0f},
    {"bitmask", kControlIn, kBounded | LADSPA_HINT_LOGARITHMIC | LADSPA_HINT_DEFAULT_0, 0.0f, 1.0f},
    {"amp-mod amt", kControlIn, kBounded | LADSPA_HINT_LOGARITHMIC | LADSPA_HINT_DEFAULT_0, 0.0f,
     1.0f},
    {"process-typ", kControlIn,
     kBounded | LADSPA_HINT_LOGARITHMIC | LADSPA_HINT_INTEGER | LADSPA_HINT_DEFAULT_0, 0.0f, 1.0f},
    {"in", LADSPA_PORT_INPUT | LADSPA_PORT_AUDIO, 0, 0.0f, 0.0f},
    {"out", LADSPA_PORT_OUTPUT | LADSPA_PORT_AUDIO, 0, 0.0f, 0.0f},
};

}  // namespace vorel
