// DPF's editor glue for the format its target macro names, over the
// editor in src/ui.
#include "vst3_clap/stereo_plugin.h"

// After our headers: the framework's window headers bring X11's macros.
#include <DistrhoUIMain.cpp>

// The framework's direct access hands the editor the plugin.
vorel::EditorFeed* vorel::FeedOf(void* instance) {
  return static_cast<StereoPlugin*>(static_cast<DISTRHO::Plugin*>(instance));
}

// The spectrum is the left channel's; the meter shows both channels' peak.
const char* vorel::ShownChannel() { return "left channel:"; }
