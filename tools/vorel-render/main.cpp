// vorel-render: renders audio files through the Vorel effect, built in.
#include <cstdio>
#include <exception>

#include "vorel-render/file_formats.h"
#include "vorel-render/input_file.h"
#include "vorel-render/options.h"
#include "vorel-render/output_file.h"
#include "vorel-render/progress.h"
#include "vorel-render/render.h"

int main(int argc, char** argv) {
  using namespace render;
  const ParseResult parsed = ParseOptions(argc, argv);
  if (!parsed.Options) return parsed.ExitCode;
  const RenderOptions& options = *parsed.Options;

  try {
    InputFile input(options.Input);
    const ControlValues controls = ApplySettings(options.Controls);
    const float mix = MixPercent(options);

    const int format =
        OutputFormat(options.Output, options.Encoding, input.Channels(), input.SampleRate());
    OutputFile output(options.Output, format, input.Channels(), input.SampleRate());
    Progress progress(input.Frames(),
                      !options.Quiet && WantsProgress(input.Frames(), input.SampleRate()));
    Render(input, output, controls, mix, options.Compensate, progress);
    output.Commit();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vorel-render: %s\n", e.what());
    return 1;
  }
  return 0;
}
