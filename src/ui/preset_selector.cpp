#include "ui/preset_selector.h"

#include <algorithm>

#include "effect/presets.h"
#include "ui/colours.h"

namespace vorel {

namespace {

using DGL_NAMESPACE::NanoVG;

constexpr int kPresetCount = sizeof(kPresets) / sizeof(kPresets[0]);
constexpr float kButton = 28.0f;  // the width of each button

}  // namespace

int PresetSelector::Choose(double x) const {
  if (x < Area.X + kButton) return Current <= 0 ? kPresetCount - 1 : Current - 1;
  if (x >= Area.X + Area.W - kButton) return Current + 1 >= kPresetCount ? 0 : Current + 1;
  return -1;
}

void PresetSelector::ControlChanged(uint32_t control, float value) {
  if (Current >= 0 && control < kControlPortCount && kPresets[Current].Values[control] != value)
    Current = -1;
}

void PresetSelector::Recognise(const float* values) {
  for (int p = 0; p < kPresetCount && Current < 0; ++p)
    if (std::equal(values, values + kControlPortCount, kPresets[p].Values)) Current = p;
}

void PresetSelector::Draw(NanoVG& vg) const {
  vg.beginPath();
  vg.roundedRect(Area.X, Area.Y, Area.W, Area.H, 4.0f);
  vg.fillColor(kPanel);
  vg.fill();
  vg.fontSize(15.0f);
  vg.textAlign(NanoVG::ALIGN_CENTER | NanoVG::ALIGN_MIDDLE);
  vg.fillColor(kAccentBright);
  vg.text(Area.X + kButton / 2, Area.Y + Area.H / 2, "<", nullptr);
  vg.text(Area.X + Area.W - kButton / 2, Area.Y + Area.H / 2, ">", nullptr);
  vg.fillColor(Current >= 0 ? kText : kDimText);
  vg.text(Area.X + Area.W / 2, Area.Y + Area.H / 2,
          Current >= 0 ? kPresets[Current].Name : "(preset)", nullptr);
}

}  // namespace vorel
