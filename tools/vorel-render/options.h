// The command line of vorel-render: files, plugin location, controls and
// output settings.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace render {

// One control the user set, by the plugin's port name. The flag and the
// text as typed are kept for error messages.
struct ControlSetting {
  std::string Flag;
  std::string PortName;
  double Value;
  std::string Text;
};

struct RenderOptions {
  std::string Input;
  std::string Output;
  std::string PluginPath;  // empty: search LADSPA_PATH
  std::vector<ControlSetting> Controls;
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

}  // namespace render
