#include "vorel-render/control_ports.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace render {

namespace {

bool IsControlInput(LADSPA_PortDescriptor d) {
  return LADSPA_IS_PORT_CONTROL(d) && LADSPA_IS_PORT_INPUT(d);
}

// A point between the bounds, a quarter, half or three quarters of the way,
// measured on a log scale for logarithmic ports whose bounds allow it.
double Between(double lower, double upper, double fraction, bool logarithmic) {
  if (logarithmic && lower > 0.0 && upper > 0.0) {
    return std::exp(std::log(lower) * (1.0 - fraction) + std::log(upper) * fraction);
  }
  return lower * (1.0 - fraction) + upper * fraction;
}

std::string Describe(const PortRange& range) {
  std::ostringstream text;
  if (range.Lower && range.Upper) {
    text << *range.Lower << " to " << *range.Upper;
  } else if (range.Lower) {
    text << "at least " << *range.Lower;
  } else if (range.Upper) {
    text << "at most " << *range.Upper;
  }
  if (range.Integer) text << ", whole numbers";
  return text.str();
}

}  // namespace

PortRange RangeOf(const LADSPA_PortRangeHint& hint, unsigned long sampleRate) {
  const LADSPA_PortRangeHintDescriptor h = hint.HintDescriptor;
  const double scale = LADSPA_IS_HINT_SAMPLE_RATE(h) ? static_cast<double>(sampleRate) : 1.0;
  PortRange range;
  if (LADSPA_IS_HINT_BOUNDED_BELOW(h)) range.Lower = hint.LowerBound * scale;
  if (LADSPA_IS_HINT_BOUNDED_ABOVE(h)) range.Upper = hint.UpperBound * scale;
  range.Integer = LADSPA_IS_HINT_INTEGER(h);
  return range;
}

std::optional<double> DefaultOf(const LADSPA_PortRangeHint& hint, unsigned long sampleRate) {
  const LADSPA_PortRangeHintDescriptor h = hint.HintDescriptor;
  const PortRange range = RangeOf(hint, sampleRate);
  const bool logarithmic = LADSPA_IS_HINT_LOGARITHMIC(h);
  std::optional<double> value;
  switch (h & LADSPA_HINT_DEFAULT_MASK) {
    case LADSPA_HINT_DEFAULT_MINIMUM:
      value = range.Lower;
      break;
    case LADSPA_HINT_DEFAULT_MAXIMUM:
      value = range.Upper;
      break;
    case LADSPA_HINT_DEFAULT_LOW:
    case LADSPA_HINT_DEFAULT_MIDDLE:
    case LADSPA_HINT_DEFAULT_HIGH: {
      if (!range.Lower || !range.Upper) break;
      const double fraction = LADSPA_IS_HINT_DEFAULT_LOW(h)      ? 0.25
                              : LADSPA_IS_HINT_DEFAULT_MIDDLE(h) ? 0.5
                                                                 : 0.75;
      value = Between(*range.Lower, *range.Upper, fraction, logarithmic);
      break;
    }
    case LADSPA_HINT_DEFAULT_0:
      value = 0.0;
      break;
    case LADSPA_HINT_DEFAULT_1:
      value = 1.0;
      break;
    case LADSPA_HINT_DEFAULT_100:
      value = 100.0;
      break;
    case LADSPA_HINT_DEFAULT_440:
      value = 440.0;
      break;
    default:
      break;
  }
  if (value && range.Integer) value = std::round(*value);
  return value;
}

AudioPorts FindAudioPorts(const LADSPA_Descriptor& descriptor) {
  std::vector<unsigned long> inputs, outputs;
  for (unsigned long i = 0; i < descriptor.PortCount; ++i) {
    const LADSPA_PortDescriptor d = descriptor.PortDescriptors[i];
    if (!LADSPA_IS_PORT_AUDIO(d)) continue;
    (LADSPA_IS_PORT_INPUT(d) ? inputs : outputs).push_back(i);
  }
  if (inputs.size() != 1 || outputs.size() != 1) {
    std::ostringstream text;
    text << "plugin \"" << descriptor.Label << "\" has " << inputs.size() << " audio inputs and "
         << outputs.size() << " audio outputs; vorel-render needs one of each";
    throw std::runtime_error(text.str());
  }
  return {inputs[0], outputs[0]};
}

std::vector<LADSPA_Data> ControlValues(const LADSPA_Descriptor& descriptor,
                                       const std::vector<ControlSetting>& settings,
                                       unsigned long sampleRate) {
  std::vector<LADSPA_Data> values(descriptor.PortCount, 0.0f);
  for (unsigned long i = 0; i < descriptor.PortCount; ++i) {
    if (!IsControlInput(descriptor.PortDescriptors[i])) continue;
    const PortRange range = RangeOf(descriptor.PortRangeHints[i], sampleRate);
    // A port without a default starts from whichever bound it has, else 0.
    values[i] =
        static_cast<LADSPA_Data>(DefaultOf(descriptor.PortRangeHints[i], sampleRate)
                                     .value_or(range.Lower.value_or(range.Upper.value_or(0.0))));
  }

  for (const ControlSetting& setting : settings) {
    unsigned long port = descriptor.PortCount;
    for (unsigned long i = 0; i < descriptor.PortCount; ++i) {
      if (IsControlInput(descriptor.PortDescriptors[i]) &&
          setting.PortName == descriptor.PortNames[i]) {
        port = i;
      }
    }
    if (port == descriptor.PortCount) {
      throw std::runtime_error(setting.Flag + ": plugin \"" + descriptor.Label +
                               "\" has no control input named \"" + setting.PortName + "\"");
    }
    const PortRange range = RangeOf(descriptor.PortRangeHints[port], sampleRate);
    const double v = setting.Value;
    // Written so that a NaN fails every test.
    const bool inside = !std::isnan(v) && !(range.Lower && !(v >= *range.Lower)) &&
                        !(range.Upper && !(v <= *range.Upper));
    if (!inside) {
      throw std::runtime_error(setting.Flag + " " + setting.Text + " is outside the range of \"" +
                               setting.PortName + "\": " + Describe(range));
    }
    if (range.Integer && v != std::trunc(v)) {
      throw std::runtime_error(setting.Flag + " " + setting.Text + " is not a whole number: \"" +
                               setting.PortName + "\" takes " + Describe(range));
    }
    values[port] = static_cast<LADSPA_Data>(v);
  }
  return values;
}

}  // namespace render
