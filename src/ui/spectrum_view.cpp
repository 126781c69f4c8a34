#include "ui/spectrum_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/colours.h"

namespace vorel {

namespace {

using DGL_NAMESPACE::NanoVG;

constexpr int kPairs = TQuantiser::kFrameLength / 2;
constexpr double kLowest = 20.0;  // Hz at the left edge
// dB at the top and bottom edges, relative to a bin of a full-scale sine
// (a magnitude of half the frame length).
constexpr float kTopDb = 12.0f;
constexpr float kBottomDb = -96.0f;
constexpr float kReference = TQuantiser::kFrameLength / 2.0f;

}  // namespace

float SpectrumView::XOf(double frequency) const {
  const double at = std::log(std::max(frequency, kLowest) / kLowest) / std::log(Nyquist / kLowest);
  return Area.X + Area.W * static_cast<float>(std::min(at, 1.0));
}

float SpectrumView::YOf(float magnitude) const {
  const float db = magnitude > 0.0f ? 20.0f * std::log10(magnitude / kReference) : kBottomDb;
  const float at = (kTopDb - std::clamp(db, kBottomDb, kTopDb)) / (kTopDb - kBottomDb);
  return Area.Y + Area.H * at;
}

void SpectrumView::SetSampleRate(double rate) {
  if (rate > 4.0 * kLowest && rate < 1e7) Nyquist = rate / 2.0;
}

void SpectrumView::Draw(NanoVG& vg) const {
  vg.beginPath();
  vg.rect(Area.X, Area.Y, Area.W, Area.H);
  vg.fillColor(kPanel);
  vg.fill();
  DrawGrid(vg);
  if (!HasFrame) {
    vg.fontSize(14.0f);
    vg.fillColor(kDimText);
    vg.textAlign(NanoVG::ALIGN_CENTER | NanoVG::ALIGN_MIDDLE);
    vg.text(Area.X + Area.W / 2, Area.Y + Area.H / 2,
            Unfed ? "this host gives the editor no spectrum data" : "no audio yet", nullptr);
    return;
  }
  vg.strokeWidth(1.0f);
  vg.strokeColor(kAccent);
  DrawSpectrum(vg, Latest.Input);
  vg.strokeWidth(1.5f);
  vg.strokeColor(kHeld);
  DrawSpectrum(vg, Latest.Held);
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
  for (float db = 0.0f; db > kBottomDb; db -= 24.0f) {
    const float y = YOf(kReference * std::pow(10.0f, db / 20.0f));
    vg.beginPath();
    vg.moveTo(Area.X, y);
    vg.lineTo(Area.X + Area.W, y);
    vg.stroke();
    char label[16];
    std::snprintf(label, sizeof(label), "%.0f dB", db);
    vg.text(Area.X + 3.0f, y + 1.0f, label, nullptr);
  }
}

// Pair p is bin p: its real part in element p, its imaginary part in
// element p + 512. Bin 0 (the constant) is left out.
void SpectrumView::DrawSpectrum(NanoVG& vg, const float* spectrum) const {
  const double binWidth = 2.0 * Nyquist / TQuantiser::kFrameLength;
  vg.beginPath();
  for (int p = 1; p < kPairs; ++p) {
    const float y = YOf(std::hypot(spectrum[p], spectrum[p + kPairs]));
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
