// What the editor shows of the engine's snapshots, as the levels its
// spectrum view and meter draw (dB, clamped to what each can show), and
// whether an idle call moved any of them: the editor draws again only
// then. A snapshot of silence that follows silence moves nothing, so an
// editor on silence or a stopped transport rests once its meter has
// fallen. Nothing here draws, so it can be tested without a display.
#pragma once

#include "effect/spectrum_snapshot.h"
#include "ui/editor_feed.h"

namespace vorel {

// The spectrum view's bins (bin 0, the constant, is not drawn) and range,
// in dB against a bin of a full-scale sine (half the frame length).
constexpr int kSpectrumPairs = TQuantiser::kFrameLength / 2;
constexpr float kSpectrumTopDb = 12.0f;
constexpr float kSpectrumBottomDb = -96.0f;
// The meter's range in dBFS: the effect can peak near 2.0.
constexpr float kMeterTopDb = 6.0f;
constexpr float kMeterBottomDb = -60.0f;
// Idle calls a held peak stays before it falls back: about two seconds at
// a 30 Hz idle rate.
constexpr int kHoldCalls = 60;

class LiveLevels {
 public:
  // The editor's idle call: takes the feed's snapshot if one came and ages
  // the held peak; true if anything drawn changed.
  bool Idle(EditorFeed& feed);
  // Clears the mark above full scale; true if it was lit.
  bool ClearOver();

  bool HasFrame() const { return Frames > 0; }
  // Pair p's level in dB, for p from 1 to kSpectrumPairs - 1.
  float InputDb(int p) const { return Input[p]; }
  float HeldDb(int p) const { return Held[p]; }
  float PeakDb() const { return Peak; }
  float HeldPeakDb() const { return HeldPeak; }
  bool Over() const { return OverMark; }

 private:
  bool ShowSpectrum(const SpectrumSnapshot& snapshot);
  bool ShowPeak(float peak);
  bool Age();

  SpectrumSnapshot Incoming{};  // the idle call's copy
  float Input[kSpectrumPairs] = {};
  float Held[kSpectrumPairs] = {};
  long Frames = 0;
  float Peak = kMeterBottomDb;
  float HeldPeak = kMeterBottomDb;
  int HeldFor = 0;  // idle calls since the held peak was set
  bool OverMark = false;
};

}  // namespace vorel
