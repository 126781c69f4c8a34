// The DPF framework's UI class and its helpers, for the LV2 editor's own
// glue (editor_glue.cpp) in place of the framework's LV2 UI wrapper, which
// assumes the framework's port order.
#include "vst3_clap/dpf_exports.h"

#include <src/DistrhoUI.cpp>
#define DISTRHO_IS_STANDALONE 0
#include <src/DistrhoUtils.cpp>
