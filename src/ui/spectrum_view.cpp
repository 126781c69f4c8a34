#include "ui/spectrum_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/colours.h"

namespace vorel {

namespace {

using DGL_NAMESPACE::NanoVG;

constexpr double kLowest = 20.0;  // Hz at the left edge

}  // namespace

float SpectrumView::XOf(double frequency) const {
  const double at = std::log(std::max(frequency, kLowest) / kLowest) / std::log(Nyquist / kLowest);
  return Area.X + Area.W * static_cast<float>(std::min(at, 1.0));
}

float SpectrumView::YOf(float db) const {
  return Area.Y + Area.H * (kSpectrumTopDb - db) / (kSpectrumTopDb - kSpectrumBottomDb);
}

void SpectrumView::SetSampleRate(double rate) {
  if (rate > 4.0 * kLowest && rate < 1e7) Nyquist = rate / 2.0;
}

void SpectrumView::Draw(NanoVG& vg, const LiveLevels& levels) const {
  vg.beginPath();
  vg.rect(Area.X, Area.Y, Area.W, Area.H);
  vg.fillColor(kPanel);
  vg.fill();
  DrawGrid(vg);
  if (!levels.HasFrame()) {
    vg.fontSize(14.0f);
    vg.fillColor(kDimText);
    vg.textAlign(NanoVG::ALIGN_CENTER | NanoVG::ALIGN_MIDDLE);
    vg.text(Area.X + Area.W / 2, Area.Y + Area.H / 2,
            Unfed ? "this host gives the editor no spectrum data" : "no audio yet", nullptr);
    return;
  }
  vg.strokeWidth(1.0f);
  vg.strokeColor(kAccent);
  DrawSpectrum(vg, levels, false);
  vg.strokeWidth(1.5f);
  vg.strokeColor(kHeld);
  DrawSpectrum(vg, levels, true);
}

// Frequency ticks from 50 Hz to 20 kHz below the Nyquist frequency, and a
// line every 24 dB.
void SpectrumView::DrawGrid(NanoVG& vg) const {
  static constexpr struct {
    double Frequency;
    const char* Label;
  } kTicks[] = {{50, "50"},   {100, "100"}, {200, "200"},   {500, "500"},  {1000, "1k"},
                {2000, "2k"}, {5000, "5k"}, {10000, "10k"}, {20000, "20k"}};
  vg.strokeWidth(1.0f);
  vg.strokeColor(kGrid);
  vg.fillColor(kDimText);
  vg.fontSize(11.0f);
  vg.textAlign(NanoVG::ALIGN_CENTER | NanoVG::ALIGN_TOP);
  for (const auto& tick : kTicks) {
    if (tick.Frequency >= Nyquist) break;
    const float x = XOf(tick.Frequency);
    vg.beginPath();
    vg.moveTo(x, Area.Y);
    vg.lineTo(x, Area.Y + Area.H);
    vg.stroke();
    vg.text(x, Area.Y + Area.H + 1.0f, tick.Label, nullptr);
  }
  vg.textAlign(NanoVG::ALIGN_LEFT | NanoVG::ALIGN_TOP);
  for (float db = 0.0f; db > kSpectrumBottomDb; db -= 24.0f) {
    const float y = YOf(db);
    vg.beginPath();
    vg.moveTo(Area.X, y);
    vg.lineTo(Area.X + Area.W, y);
    vg.stroke();
    char label[16];
    std::snprintf(label, sizeof(label), "%.0f dB", db);
    vg.text(Area.X + 3.0f, y + 1.0f, label, nullptr);
  }
}

// Bin 0 (the constant) is left out.
void SpectrumView::DrawSpectrum(NanoVG& vg, const LiveLevels& levels, bool held) const {
  const double binWidth = 2.0 * Nyquist / TQuantiser::kFrameLength;
  vg.beginPath();
  for (int p = 1; p < kSpectrumPairs; ++p) {
    const float y = YOf(held ? levels.HeldDb(p) : levels.InputDb(p));
    const float x0 = XOf((p - 0.5) * binWidth);
    const float x1 = XOf((p + 0.5) * binWidth);
    if (p == 1) {
      vg.moveTo(x0, y);
    } else {
      vg.lineTo(x0, y);
    }
    vg.lineTo(x1, y);
  }
  vg.stroke();
}

}  // namespace vorel
