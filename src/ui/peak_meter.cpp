#include "ui/peak_meter.h"

#include <cstdio>

#include "ui/colours.h"

namespace vorel {

namespace {

using DGL_NAMESPACE::NanoVG;

constexpr float kMarkHeight = 14.0f;

}  // namespace

float PeakMeter::YOf(float db) const {
  const float at = (kMeterTopDb - db) / (kMeterTopDb - kMeterBottomDb);
  const float top = Area.Y + kMarkHeight + 2.0f;
  return top + (Area.Y + Area.H - top) * at;
}

void PeakMeter::Draw(NanoVG& vg, const LiveLevels& levels) const {
  const float bottom = Area.Y + Area.H;
  const float barX = Area.X + Area.W - 14.0f;
  const float top = YOf(kMeterTopDb);
  vg.beginPath();
  vg.rect(barX, top, 14.0f, bottom - top);
  vg.fillColor(kPanel);
  vg.fill();
  const float levelY = YOf(levels.PeakDb());
  vg.beginPath();
  vg.rect(barX, levelY, 14.0f, bottom - levelY);
  vg.fillColor(levels.PeakDb() > 0.0f ? kOver : kAccent);
  vg.fill();
  const float heldY = YOf(levels.HeldPeakDb());
  vg.beginPath();
  vg.rect(barX, heldY - 1.0f, 14.0f, 2.0f);
  vg.fillColor(levels.HeldPeakDb() > 0.0f ? kOver : kText);
  vg.fill();

  // The scale, with full scale marked.
  vg.fontSize(10.0f);
  vg.textAlign(NanoVG::ALIGN_RIGHT | NanoVG::ALIGN_MIDDLE);
  for (float db = 0.0f; db > kMeterBottomDb; db -= 12.0f) {
    const float y = YOf(db);
    char label[8];
    std::snprintf(label, sizeof(label), "%.0f", db);
    vg.fillColor(db == 0.0f ? kText : kDimText);
    vg.text(barX - 3.0f, y, label, nullptr);
  }

  vg.beginPath();
  vg.roundedRect(Area.X, Area.Y, Area.W, kMarkHeight, 3.0f);
  vg.fillColor(levels.Over() ? kOver : kPanel);
  vg.fill();
  vg.fillColor(levels.Over() ? kText : kDimText);
  vg.textAlign(NanoVG::ALIGN_CENTER | NanoVG::ALIGN_MIDDLE);
  vg.text(Area.X + Area.W / 2, Area.Y + kMarkHeight / 2, "OVER", nullptr);
}

}  // namespace vorel
