// Reads a plugin's port table from its descriptor: which ports carry audio,
// what each control's range and default are, and the value every control
// input gets for a render.
#pragma once

#include <ladspa.h>

#include <optional>
#include <string>
#include <vector>

#include "vorel-render/options.h"

namespace render {

// The range a port's hints declare; bounds marked with the sample-rate hint
// are already multiplied by the rate.
struct PortRange {
  std::optional<double> Lower;
  std::optional<double> Upper;
  bool Integer = false;
};

PortRange RangeOf(const LADSPA_PortRangeHint& hint, unsigned long sampleRate);

// The default the LADSPA hint rules give, or none when the hints name none.
std::optional<double> DefaultOf(const LADSPA_PortRangeHint& hint, unsigned long sampleRate);

// Where the mono audio goes in and comes out.
struct AudioPorts {
  unsigned long Input;
  unsigned long Output;
};

// Finds the one audio input and the one audio output; throws if the plugin
// does not have exactly one of each.
AudioPorts FindAudioPorts(const LADSPA_Descriptor& descriptor);

// The value for every port, indexed by port number: the user's setting, else
// the hint default, for each control input (0 for the other ports). Throws
// with a message naming the option when a setting names no port of the
// plugin or lies outside the port's range.
std::vector<LADSPA_Data> ControlValues(const LADSPA_Descriptor& descriptor,
                                       const std::vector<ControlSetting>& settings,
                                       unsigned long sampleRate);

}  // namespace render
