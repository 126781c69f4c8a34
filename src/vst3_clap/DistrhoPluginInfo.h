// What the DPF framework builds: a stereo effect without a user interface,
// real-time safe, with the presets as programs. DPF includes this header by
// this name; the identity comes from the one table.
#pragma once

#include "effect/identity.h"

#define DISTRHO_PLUGIN_NAME VOREL_PLUGIN_NAME
#define DISTRHO_PLUGIN_URI VOREL_LV2_URI
#define DISTRHO_PLUGIN_CLAP_ID VOREL_CLAP_ID

#define DISTRHO_PLUGIN_NUM_INPUTS 2
#define DISTRHO_PLUGIN_NUM_OUTPUTS 2
#define DISTRHO_PLUGIN_HAS_UI 0
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
