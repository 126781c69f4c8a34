#include "ui/live_levels.h"

#include <algorithm>
#include <cmath>

namespace vorel {

namespace {

constexpr float kReference = TQuantiser::kFrameLength / 2.0f;

float ClampedDb(float magnitude, float bottom, float top) {
  const float db = magnitude > 0.0f ? 20.0f * std::log10(magnitude) : bottom;
  return std::clamp(db, bottom, top);  // a NaN magnitude stays at the bottom
}

// Pair p is bin p: its real part in element p, its imaginary part in
// element p + 512. True if any level changed.
bool TakeLevels(const float* spectrum, float* levels) {
  bool changed = false;
  for (int p = 1; p < kSpectrumPairs; ++p) {
    const float magnitude = std::hypot(spectrum[p], spectrum[p + kSpectrumPairs]) / kReference;
    const float level = ClampedDb(magnitude, kSpectrumBottomDb, kSpectrumTopDb);
    changed |= level != levels[p];
    levels[p] = level;
  }
  return changed;
}

}  // namespace

bool LiveLevels::Idle(EditorFeed& feed) {
  bool changed = Age();
  if (feed.Take(Incoming)) {
    changed |= ShowSpectrum(Incoming);
    changed |= ShowPeak(Incoming.Peak);
  }
  return changed;
}

bool LiveLevels::ClearOver() {
  const bool was = OverMark;
  OverMark = false;
  return was;
}

// The first frame replaces the view's "no audio yet".
bool LiveLevels::ShowSpectrum(const SpectrumSnapshot& snapshot) {
  bool changed = Frames++ == 0;
  changed |= TakeLevels(snapshot.Input, Input);
  changed |= TakeLevels(snapshot.Held, Held);
  return changed;
}

bool LiveLevels::ShowPeak(float peak) {
  if (!(peak >= 0.0f)) return false;  // a NaN or a negative peak is no level
  const float before[] = {Peak, HeldPeak};
  const bool wasOver = OverMark;
  Peak = ClampedDb(peak, kMeterBottomDb, kMeterTopDb);
  if (Peak >= HeldPeak) {
    HeldPeak = Peak;
    HeldFor = 0;
  }
  if (peak > 1.0f) OverMark = true;
  return Peak != before[0] || HeldPeak != before[1] || OverMark != wasOver;
}

bool LiveLevels::Age() {
  if (++HeldFor <= kHoldCalls) return false;
  const bool fell = HeldPeak != Peak;
  HeldPeak = Peak;
  HeldFor = 0;
  return fell;
}

}  // namespace vorel
