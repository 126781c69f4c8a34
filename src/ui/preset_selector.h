// The presets as a selector: where the values came from (the preset chosen
// last, and whether it was changed since), with a button either side for
// the preset before and the one after.
#pragma once

#include <NanoVG.hpp>

#include "ui/layout.h"
#include "ui/preset_origin.h"

namespace vorel {

class PresetSelector {
 public:
  explicit PresetSelector(const Box& area) : Area(area) {}

  // The preset a click at x chooses, or -1 if it chooses none: the one
  // before or after the one the values came from, wrapping round.
  int Choose(double x) const;

  void Draw(DGL_NAMESPACE::NanoVG& vg) const;

  const Box Area;
  PresetOrigin Origin;
};

}  // namespace vorel
