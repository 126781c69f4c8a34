#include "vorel-render/options.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "effect/port_table.h"
#include "effect/presets.h"
#include "effect/version.h"
#include "vorel-render/file_formats.h"

namespace render {

namespace {

// The option for each control port. The port's name and, for a control
// that chooses between named values, the names and their values come from
// the effect's port table.
struct ControlOption {
  vorel::PortIndex Port;
  const char* Flag;
  const char* Help;
};

const ControlOption kControlOptions[] = {
    {vorel::SampleHoldPort, "--sh", "Hold length: spectral pairs held per capture (whole number)"},
    {vorel::GainPort, "--gain", "Output gain"},
    {vorel::BitMaskPort, "--bitmask", "Bit mask strength XORed into the held pairs"},
    {vorel::AmpModPort, "--amp-mod", "Amplitude modulation of the hold length (on at 1)"},
    {vorel::DirectionPort, "--direction", "Walk across the spectrum: up or down"},
    {vorel::ProcessTypePort, "--process",
     "Hold length: constant, or ramp (growing along the walk)"},
};

// The port value of a named value; the name is one CLI11 has checked.
double ValueNamed(const vorel::PortEntry& port, const std::string& name) {
  for (std::size_t i = 0; i < port.ScalePointCount; ++i) {
    if (name == port.ScalePoints[i].Label) return port.ScalePoints[i].Value;
  }
  return 0.0;
}

// Prints every preset's name and description, one a line.
void ListPresets() {
  for (const vorel::Preset& preset : vorel::kPresets) {
    std::printf("%-14s %s\n", preset.Name, preset.Comment);
  }
}

// The six settings of a preset; the name is one CLI11 has checked.
void AddPreset(const std::string& name, std::vector<ControlSetting>& controls) {
  for (const vorel::Preset& preset : vorel::kPresets) {
    if (name != preset.Name) continue;
    for (unsigned long port = 0; port < vorel::kControlPortCount; ++port) {
      controls.push_back(
          {"--preset", static_cast<vorel::PortIndex>(port), preset.Values[port], name});
    }
  }
}

// A port's range as the error messages give it: "1 to 43, whole numbers".
std::string RangeText(const vorel::PortEntry& port) {
  std::ostringstream text;
  text << port.Minimum << " to " << port.Maximum;
  if (port.Integer) text << ", whole numbers";
  return text.str();
}

// Throws when the value the flag gave lies outside the port's range, or is
// not a whole number where the port takes only those.
void CheckRange(const std::string& flag, const std::string& text, double value,
                const vorel::PortEntry& port) {
  // Written so that a NaN fails.
  if (!(value >= port.Minimum && value <= port.Maximum)) {
    throw std::runtime_error(flag + " " + text + " is outside the range of \"" + port.Name +
                             "\": " + RangeText(port));
  }
  if (port.Integer && value != std::trunc(value)) {
    throw std::runtime_error(flag + " " + text + " is not a whole number: \"" + port.Name +
                             "\" takes " + RangeText(port));
  }
}

}  // namespace

ParseResult ParseOptions(int argc, const char* const* argv) {
  CLI::App app{
      "Renders an audio file through the Vorel effect, one instance per channel, at the "
      "file's sample rate. Controls left out take their defaults.",
      "vorel-render"};
  app.get_formatter()->column_width(32);
  app.set_version_flag("--version", std::string("vorel-render ") + VOREL_VERSION);

  RenderOptions options;
  app.add_option("input", options.Input, "Audio file to read (any format libsndfile reads)")
      ->required();
  app.add_option(
         "output", options.Output,
         "Audio file to write; its extension picks the container (.wav, .flac, .aiff, .ogg, ...)")
      ->required();

  // A preset sets all six controls; a control's own option overrides it.
  std::string preset;
  std::vector<std::string> presetNames;
  for (const vorel::Preset& p : vorel::kPresets) presetNames.push_back(p.Name);
  app.add_option("--preset", preset, "Start from a named setting (see --list-presets)")
      ->check(CLI::IsMember(presetNames));
  app.add_flag_callback(
      "--list-presets",
      [] {
        ListPresets();
        throw CLI::Success();
      },
      "List the presets and exit");

  // A numeric control takes a number; the others one of their names.
  std::vector<double> numbers(std::size(kControlOptions));
  std::vector<std::string> names(std::size(kControlOptions));
  std::vector<CLI::Option*> controlOptions;
  for (std::size_t i = 0; i < std::size(kControlOptions); ++i) {
    const ControlOption& control = kControlOptions[i];
    const vorel::PortEntry& port = vorel::kPortTable[control.Port];
    if (port.ScalePointCount == 0) {
      controlOptions.push_back(app.add_option(control.Flag, numbers[i], control.Help));
      continue;
    }
    std::vector<std::string> choices;
    for (std::size_t p = 0; p < port.ScalePointCount; ++p)
      choices.push_back(port.ScalePoints[p].Label);
    controlOptions.push_back(
        app.add_option(control.Flag, names[i], control.Help)->check(CLI::IsMember(choices)));
  }

  CLI::Option* mix =
      app.add_option("--mix", options.Mix,
                     "Dry/wet mix in percent: 100 the effect alone, 0 the input alone, lined up");

  app.add_option("--format", options.Encoding,
                 "Sample encoding of the output (auto: 32-bit float where the container "
                 "holds it, else the container's best)")
      ->check(CLI::IsMember(EncodingNames()));
  bool raw = false;
  app.add_flag("--no-compensate", raw,
               "Write the effect's output as it comes, 1024 samples late (as the plugin "
               "gives it), instead of lining it up with the input");
  app.add_flag("-q,--quiet", options.Quiet, "Show no progress bar");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return {std::nullopt, code == 0 ? 0 : 2};
  }

  options.Compensate = !raw;
  if (mix->count() != 0) options.MixText = mix->as<std::string>();
  if (!preset.empty()) AddPreset(preset, options.Controls);
  for (std::size_t i = 0; i < std::size(kControlOptions); ++i) {
    if (controlOptions[i]->count() == 0) continue;
    const ControlOption& control = kControlOptions[i];
    const vorel::PortEntry& port = vorel::kPortTable[control.Port];
    if (port.ScalePointCount == 0) {
      options.Controls.push_back(
          {control.Flag, control.Port, numbers[i], controlOptions[i]->as<std::string>()});
    } else {
      options.Controls.push_back(
          {control.Flag, control.Port, ValueNamed(port, names[i]), names[i]});
    }
  }
  return {std::move(options), 0};
}

ControlValues ApplySettings(const std::vector<ControlSetting>& settings) {
  ControlValues values;
  for (unsigned long port = 0; port < vorel::kControlPortCount; ++port) {
    values[port] = vorel::kPortTable[port].Default;
  }
  for (const ControlSetting& setting : settings) {
    CheckRange(setting.Flag, setting.Text, setting.Value, vorel::kPortTable[setting.Port]);
    values[setting.Port] = static_cast<float>(setting.Value);
  }
  return values;
}

float MixPercent(const RenderOptions& options) {
  if (!options.MixText.empty())
    CheckRange("--mix", options.MixText, options.Mix, vorel::kMixControl);
  return static_cast<float>(options.Mix);
}

}  // namespace render
