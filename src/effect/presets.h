// The named settings that come with the effect: the LV2 plugin's presets,
// vorel-render's --preset and the demo's renders. Each sets all six controls.
#pragma once

#include "effect/port_table.h"

namespace vorel {

struct Preset {
  const char* Name;  // also the last part of its URI
  const char* Comment;
  float Values[kControlPortCount];  // port order: s&h, gain, direction, bitmask, amp-mod amt,
                                    // process-typ
};

constexpr Preset kPresets[] = {
    {"Default",
     "the plugin's defaults: the mildest hold, walking down, no mask",
     {1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f}},
    {"pure-hold",
     "each captured spectral pair held over the next 7, walking up: a stepped, metallic voice",
     {8.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f}},
    {"downward-walk",
     "the same hold walking down from the top of the spectrum",
     {8.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f}},
    {"long-ramp",
     "holds that start short and grow along the walk to 43 pairs: smeared, organ-like",
     {43.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f}},
    {"light-mask",
     "short holds with a light bit mask: grit on the noise, the groove intact",
     {4.0f, 1.0f, 1.0f, 0.01f, 0.0f, 0.0f}},
    {"heavy-mask",
     "the same with a heavy bit mask: the spectrum breaks into clicks and bursts",
     {4.0f, 1.0f, 1.0f, 0.5f, 0.0f, 0.0f}},
    {"amp-mod-loud",
     "long holds that shorten on the loud hits (amp-mod on)",
     {24.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0.0f}},
};

}  // namespace vorel
