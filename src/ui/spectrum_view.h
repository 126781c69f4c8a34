// The left channel's latest analysed frame: the input spectrum and, over
// it, the spectrum after the hold and the mask, in dB against frequency on
// a logarithmic axis. Each bin is drawn as a flat step, so the held runs
// show as the steps they are.
#pragma once

#include <NanoVG.hpp>

#include "ui/layout.h"
#include "ui/live_levels.h"

namespace vorel {

class SpectrumView {
 public:
  explicit SpectrumView(const Box& area) : Area(area) {}

  // The host gives the editor no snapshots at all: the view says so.
  void ShowUnfed() { Unfed = true; }

  // The rate the frequency axis is drawn for; a rate that is no rate
  // keeps the axis as it was.
  void SetSampleRate(double rate);

  void Draw(DGL_NAMESPACE::NanoVG& vg, const LiveLevels& levels) const;

 private:
  void DrawGrid(DGL_NAMESPACE::NanoVG& vg) const;
  void DrawSpectrum(DGL_NAMESPACE::NanoVG& vg, const LiveLevels& levels, bool held) const;
  float XOf(double frequency) const;
  float YOf(float db) const;

  const Box Area;
  bool Unfed = false;
  double Nyquist = 24000.0;  // Hz at the right edge
};

}  // namespace vorel
