// DPF's main source built as a VST3 module, with its factory's entry point
// renamed so that vst3_entry.cpp can wrap it (see there for why).
#include "vst3_clap/dpf_exports.h"

#define GetPluginFactory vorel_dpf_vst3_factory
#include <DistrhoPluginMain.cpp>
