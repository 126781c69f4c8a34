#include "vorel-render/options.h"

#include <CLI/CLI.hpp>

#include <map>

#include "vorel-render/file_formats.h"
#include "vorel/version.h"

namespace render {

namespace {

// A numeric control: the option, the port it sets and its help text.
struct NumericControl {
  const char* Flag;
  const char* PortName;
  const char* Help;
};

const NumericControl kNumericControls[] = {
    {"--sh", "s&h", "Hold length: spectral pairs held per capture (whole number)"},
    {"--gain", "gain", "Output gain"},
    {"--bitmask", "bitmask", "Bit mask strength XORed into the held pairs"},
    {"--amp-mod", "amp-mod amt", "Amplitude modulation of the hold length (on at 1)"},
};

// A control chosen by name; the map gives the port value of each name.
struct NamedControl {
  const char* Flag;
  const char* PortName;
  const char* Help;
  std::map<std::string, double> Values;
};

const NamedControl kNamedControls[] = {
    {"--direction", "direction", "Walk across the spectrum: up or down", {{"up", 0.0}, {"down", 1.0}}},
    {"--process", "process-typ", "Hold length: constant, or ramp (growing along the walk)",
     {{"constant", 0.0}, {"ramp", 1.0}}},
};

}  // namespace

ParseResult ParseOptions(int argc, const char* const* argv) {
  CLI::App app{
      "Renders an audio file through the Vorel LADSPA plugin, one plugin instance per "
      "channel, at the file's sample rate. Controls left out take the plugin's defaults.",
      "vorel-render"};
  app.get_formatter()->column_width(32);
  app.set_version_flag("--version", std::string("vorel-render ") + VOREL_VERSION);

  RenderOptions options;
  app.add_option("input", options.Input, "Audio file to read (any format libsndfile reads)")
      ->required();
  app.add_option("output", options.Output,
                 "Audio file to write; its extension picks the container (.wav, .flac, .aiff, .ogg, ...)")
      ->required();
  app.add_option("--plugin", options.PluginPath,
                 "Path of libvorel.so (default: search the directories in LADSPA_PATH)");

  std::vector<double> numeric(std::size(kNumericControls));
  std::vector<CLI::Option*> numericOptions;
  for (std::size_t i = 0; i < std::size(kNumericControls); ++i) {
    numericOptions.push_back(
        app.add_option(kNumericControls[i].Flag, numeric[i], kNumericControls[i].Help));
  }
  std::vector<std::string> named(std::size(kNamedControls));
  std::vector<CLI::Option*> namedOptions;
  for (std::size_t i = 0; i < std::size(kNamedControls); ++i) {
    std::vector<std::string> choices;
    for (const auto& [name, value] : kNamedControls[i].Values) choices.push_back(name);
    namedOptions.push_back(app.add_option(kNamedControls[i].Flag, named[i], kNamedControls[i].Help)
                               ->check(CLI::IsMember(choices)));
  }

  app.add_option("--format", options.Encoding,
                 "Sample encoding of the output (auto: 32-bit float where the container "
                 "holds it, else the container's best)")
      ->check(CLI::IsMember(EncodingNames()));
  bool raw = false;
  app.add_flag("--no-compensate", raw,
               "Write the plugin's output as it comes, 1024 samples late, instead of "
               "lining it up with the input");
  app.add_flag("-q,--quiet", options.Quiet, "Show no progress bar");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return {std::nullopt, code == 0 ? 0 : 2};
  }

  options.Compensate = !raw;
  for (std::size_t i = 0; i < std::size(kNumericControls); ++i) {
    if (numericOptions[i]->count() == 0) continue;
    options.Controls.push_back({kNumericControls[i].Flag, kNumericControls[i].PortName, numeric[i],
                                numericOptions[i]->as<std::string>()});
  }
  for (std::size_t i = 0; i < std::size(kNamedControls); ++i) {
    if (namedOptions[i]->count() == 0) continue;
    options.Controls.push_back({kNamedControls[i].Flag, kNamedControls[i].PortName,
                                kNamedControls[i].Values.at(named[i]), named[i]});
  }
  return {std::move(options), 0};
}

}  // namespace render
