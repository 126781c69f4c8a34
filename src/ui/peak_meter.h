// The left channel's output peak as a bar in dBFS, with a held peak that
// falls back after a while and a mark that stays lit, until clicked, once
// the output has gone above full scale (0 dBFS), where a fixed-point
// export would clip.
#pragma once

#include <NanoVG.hpp>

#include "ui/layout.h"

namespace vorel {

class PeakMeter {
 public:
  explicit PeakMeter(const Box& area) : Area(area) {}

  // Takes the peak since the last snapshot.
  void Show(float peak);
  // The editor's idle call: the held peak ages and falls back; true when
  // it fell.
  bool Age();
  // Clears the mark above full scale.
  void ClearOver() { Over = false; }

  void Draw(DGL_NAMESPACE::NanoVG& vg) const;

  const Box Area;

 private:
  float YOf(float level) const;

  float Level = 0.0f;
  float Held = 0.0f;
  int HeldFor = 0;  // idle calls since the held peak was set
  bool Over = false;
};

}  // namespace vorel
