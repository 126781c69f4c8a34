#include "ui/preset_selector.h"

#include "effect/presets.h"
#include "ui/colours.h"

namespace vorel {

namespace {

using DGL_NAMESPACE::NanoVG;

constexpr int kPresetCount = sizeof(kPresets) / sizeof(kPresets[0]);
constexpr float kButton = 28.0f;  // the width of each button

}  // namespace

int PresetSelector::Choose(double x) const {
  const int current = Origin.Preset;
  if (x < Area.X + kButton) return current <= 0 ? kPresetCount - 1 : current - 1;
  if (x >= Area.X + Area.W - kButton) return current + 1 >= kPresetCount ? 0 : current + 1;
  return -1;
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
  char name[64];
  NameOrigin(Origin, name, sizeof(name));
  vg.fillColor(Origin.Preset >= 0 && !Origin.Edited ? kText : kDimText);
  vg.text(Area.X + Area.W / 2, Area.Y + Area.H / 2, name, nullptr);
}

}  // namespace vorel
