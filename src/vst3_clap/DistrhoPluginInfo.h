// What the DPF framework builds: a stereo effect, real-time safe, with the
// presets as programs and, where the build has OpenGL and X11, the editor
// (src/ui). DPF includes this header by this name; the identity comes from
// the one table.
#pragma once

#include "effect/identity.h"

#define DISTRHO_PLUGIN_NAME VOREL_PLUGIN_NAME
#define DISTRHO_PLUGIN_URI VOREL_LV2_URI
#define DISTRHO_PLUGIN_CLAP_ID VOREL_CLAP_ID

#define DISTRHO_PLUGIN_NUM_INPUTS 2
#define DISTRHO_PLUGIN_NUM_OUTPUTS 2
// The editor reads the plugin's snapshots directly. Direct access also
// keeps VST3's controller and processor one object: without it DPF puts two
// hidden parameters of its own first, and every parameter ID hosts saved
// in automation would move by two.
#ifdef VOREL_EDITOR
#define DISTRHO_PLUGIN_HAS_UI 1
#define DISTRHO_PLUGIN_WANT_DIRECT_ACCESS 1
#define DISTRHO_UI_USE_NANOVG 1
// The editor's size in logical pixels (src/ui/layout.h reads it): known
// before any editor exists, so DPF need not build one just to ask.
#define DISTRHO_UI_DEFAULT_WIDTH 640
#define DISTRHO_UI_DEFAULT_HEIGHT 400
#else
#define DISTRHO_PLUGIN_HAS_UI 0
#endif
#define DISTRHO_PLUGIN_IS_RT_SAFE 1
#define DISTRHO_PLUGIN_WANT_PROGRAMS 1
// CLAP saves the parameters only through DPF's state support; the plugin
// itself has no state beyond its parameters.
#define DISTRHO_PLUGIN_WANT_STATE 1
#define DISTRHO_PLUGIN_WANT_FULL_STATE 0

// The CLAP build reports its latency through clap_entry.cpp, not DPF: see
// the comment there.
#ifdef DISTRHO_PLUGIN_TARGET_CLAP
#define DISTRHO_PLUGIN_WANT_LATENCY 0
#else
#define DISTRHO_PLUGIN_WANT_LATENCY 1
#endif

// VST3 has no glitch category; "Spectral" is its nearest.
#define DISTRHO_PLUGIN_VST3_CATEGORIES "Fx|Spectral|Stereo"
#define DISTRHO_PLUGIN_CLAP_FEATURES "audio-effect", "stereo", "glitch"
