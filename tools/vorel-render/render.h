// The render loop: reads the input in blocks, runs one plugin instance per
// channel, and writes the result lined up with the input.
#pragma once

#include <ladspa.h>

#include <vector>

#include "effect/processor.h"
#include "vorel-render/input_file.h"
#include "vorel-render/output_file.h"
#include "vorel-render/progress.h"

namespace render {

// How late the plugin's output is. Vorel reports no latency (hosts read one
// from an output control port named "latency", and Vorel keeps exactly its
// eight ports), so the renderer takes it from the processor's source.
inline constexpr unsigned long kPluginLatency = vorel::Processor::kLatency;

// The largest block handed to the plugin's run.
inline constexpr unsigned long kBlockFrames = 4096;

// Renders every frame of input into output through descriptor, with
// controls (indexed by port number) on each instance. With compensate, the
// first kPluginLatency output frames are dropped and as many zero frames
// are fed after the input, so the output lines up with the input and keeps
// the tail; without, the output is what the plugin gives. Either way the
// output has as many frames as the input.
void Render(InputFile& input, OutputFile& output, const LADSPA_Descriptor& descriptor,
            const std::vector<LADSPA_Data>& controls, bool compensate, Progress& progress);

}  // namespace render
