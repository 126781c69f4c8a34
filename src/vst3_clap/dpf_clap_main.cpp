// DPF's main source built as a CLAP module, with its entry point renamed so
// that clap_entry.cpp can wrap it (see there for why).
#include "vst3_clap/dpf_exports.h"

#define clap_entry vorel_dpf_clap_entry
#include <DistrhoPluginMain.cpp>
