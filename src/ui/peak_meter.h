// The output peak as a bar in dBFS, with a held peak that falls back after
// a while and a mark that stays lit, until clicked, once the output has
// gone above full scale (0 dBFS), where a fixed-point export would clip.
// The levels come from the editor's LiveLevels.
#pragma once

#include <NanoVG.hpp>

#include "ui/layout.h"
#include "ui/live_levels.h"

namespace vorel {

class PeakMeter {
 public:
  explicit PeakMeter(const Box& area) : Area(area) {}

  void Draw(DGL_NAMESPACE::NanoVG& vg, const LiveLevels& levels) const;

  const Box Area;

 private:
  float YOf(float db) const;
};

}  // namespace vorel
