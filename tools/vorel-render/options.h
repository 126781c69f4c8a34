// The command line of vorel-render: files, controls and output settings.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "effect/port_table.h"

namespace render {

// One control the user set. The flag and the text as typed are kept for
// error messages.
struct ControlSetting {
  std::string Flag;
  vorel::PortIndex Port;
  double Value;
  std::string Text;
};

struct RenderOptions {
  std::string Input;
  std::string Output;
  std::vector<ControlSetting> Controls;
  // The dry/wet mix in percent, and the text typed for it (empty when the
  // option is not given).
  double Mix = vorel::kMixControl.Default;
  std::string MixText;
  std::string Encoding = "auto";
  bool Compensate = true;
  bool Quiet = false;
};

// What parsing gave: the options, or the exit code when the program should
// stop at once (help shown, or a usage error reported on stderr).
struct ParseResult {
  std::optional<RenderOptions> Options;
  int ExitCode = 0;
};

ParseResult ParseOptions(int argc, const char* const* argv);

// The six control values in port order, as the effect takes them.
using ControlValues = std::array<float, vorel::kControlPortCount>;

// The port table's defaults with the settings applied in order. Throws
// with a message naming the option when a setting lies outside its port's
// range, or is not a whole number where the port takes only those.
ControlValues ApplySettings(const std::vector<ControlSetting>& settings);

// The dry/wet mix in percent as the effect takes it. Throws with a message
// naming the option when it lies outside the mix's range.
float MixPercent(const RenderOptions& options);

}  // namespace render
