#include "ui/peak_meter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/colours.h"

namespace vorel {

namespace {

using DGL_NAMESPACE::NanoVG;

constexpr float kTopDb = 6.0f;  // the effect can peak near 2.0
constexpr float kBottomDb = -60.0f;
constexpr int kHoldCalls = 60;  // about two seconds at a 30 Hz idle rate
constexpr float kMarkHeight = 14.0f;

}  // namespace

void PeakMeter::Show(float peak) {
  if (!(peak >= 0.0f)) return;  // a NaN or a negative peak is no level
  Level = peak;
  if (peak >= Held) {
    Held = peak;
    HeldFor = 0;
  }
  if (peak > 1.0f) Over = true;
}

bool PeakMeter::Age() {
  if (++HeldFor <= kHoldCalls) return false;
  const bool fell = Held != Level;
  Held = Level;
  HeldFor = 0;
  return fell;
}

float PeakMeter::YOf(float level) const {
  const float db = level > 0.0f ? 20.0f * std::log10(level) : kBottomDb;
  const float at = (kTopDb - std::clamp(db, kBottomDb, kTopDb)) / (kTopDb - kBottomDb);
  const float top = Area.Y + kMarkHeight + 2.0f;
  return top + (Area.Y + Area.H - top) * at;
}

void PeakMeter::Draw(NanoVG& vg) const {
  const float bottom = Area.Y + Area.H;
  const float barX = Area.X + Area.W - 14.0f;
  const float top = YOf(std::pow(10.0f, kTopDb / 20.0f));
  vg.beginPath();
  vg.rect(barX, top, 14.0f, bottom - top);
  vg.fillColor(kPanel);
  vg.fill();
  const float levelY = YOf(Level);
  vg.beginPath();
  vg.rect(barX, levelY, 14.0f, bottom - levelY);
  vg.fillColor(Level > 1.0f ? kOver : kAccent);
  vg.fill();
  const float heldY = YOf(Held);
  vg.beginPath();
  vg.rect(barX, heldY - 1.0f, 14.0f, 2.0f);
  vg.fillColor(Held > 1.0f ? kOver : kText);
  vg.fill();

  // The scale, with full scale marked.
  vg.fontSize(10.0f);
  vg.textAlign(NanoVG::ALIGN_RIGHT | NanoVG::ALIGN_MIDDLE);
  for (float db = 0.0f; db > kBottomDb; db -= 12.0f) {
    const float y = YOf(std::pow(10.0f, db / 20.0f));
    char label[8];
    std::snprintf(label, sizeof(label), "%.0f", db);
    vg.fillColor(db == 0.0f ? kText : kDimText);
    vg.text(barX - 3.0f, y, label, nullptr);
  }

  vg.beginPath();
  vg.roundedRect(Area.X, Area.Y, Area.W, kMarkHeight, 3.0f);
  vg.fillColor(Over ? kOver : kPanel);
  vg.fill();
  vg.fillColor(Over ? kText : kDimText);
  vg.textAlign(NanoVG::ALIGN_CENTER | NanoVG::ALIGN_MIDDLE);
  vg.text(Area.X + Area.W / 2, Area.Y + kMarkHeight / 2, "OVER", nullptr);
}

}  // namespace vorel
