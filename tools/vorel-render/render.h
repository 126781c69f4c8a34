// The render loop: reads the input in blocks, runs one instance of the
// effect per channel, and writes the result lined up with the input.
#pragma once

#include "vorel-render/input_file.h"
#include "vorel-render/options.h"
#include "vorel-render/output_file.h"
#include "vorel-render/progress.h"

namespace render {

// The largest block handed to the effect at once.
inline constexpr unsigned long kBlockFrames = 4096;

// Renders every frame of input into output through one vorel::Processor
// per channel, all with the same controls, the channels on threads of their
// own, and blends in the input delayed by the latency at the mix given in
// percent, as the plugins do. With compensate, the first
// vorel::Processor::kLatency output frames are dropped and as many zero
// frames are fed after the input, so the output lines up with the input and
// keeps the tail; without, the output is what the plugin gives. Either way
// the output has as many frames as the input.
void Render(InputFile& input, OutputFile& output, const ControlValues& controls, float mixPercent,
            bool compensate, Progress& progress);

}  // namespace render
