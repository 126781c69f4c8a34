// The editor's layout in logical pixels: one table of rectangles, scaled
// once by the host's factor when drawn.
#pragma once

#include <DistrhoPluginInfo.h>

#include <cstdint>

#include "effect/parameters.h"

namespace vorel {

struct Box {
  float X, Y, W, H;
  bool Contains(double x, double y) const { return x >= X && x < X + W && y >= Y && y < Y + H; }
};

constexpr float kEditorWidth = DISTRHO_UI_DEFAULT_WIDTH;
constexpr float kEditorHeight = DISTRHO_UI_DEFAULT_HEIGHT;

constexpr Box kPresetBox{300.0f, 10.0f, 328.0f, 28.0f};
constexpr Box kSpectrumBox{12.0f, 48.0f, 560.0f, 210.0f};
constexpr Box kMeterBox{584.0f, 48.0f, 44.0f, 210.0f};

// The controls in parameter order, four to a row.
constexpr Box kControlBoxes[EffectParameterCount] = {
    {12.0f, 272.0f, 146.0f, 54.0f},  {166.0f, 272.0f, 146.0f, 54.0f},
    {320.0f, 272.0f, 146.0f, 54.0f}, {474.0f, 272.0f, 154.0f, 54.0f},
    {12.0f, 336.0f, 146.0f, 54.0f},  {166.0f, 336.0f, 146.0f, 54.0f},
    {320.0f, 336.0f, 146.0f, 54.0f}, {474.0f, 336.0f, 154.0f, 54.0f},
};

}  // namespace vorel
