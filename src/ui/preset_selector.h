// The presets as a selector: the name of the one chosen last, with a
// button either side for the one before and the one after.
#pragma once

#include <NanoVG.hpp>

#include <cstdint>

#include "ui/layout.h"

namespace vorel {

class PresetSelector {
 public:
  explicit PresetSelector(const Box& area) : Area(area) {}

  // The preset a click at x chooses, or -1 if it chooses none: the one
  // before or after the current, wrapping round.
  int Choose(double x) const;
  // Marks the preset chosen (the host's or the person's), or none (-1).
  void SetCurrent(int preset) { Current = preset; }
  // A control took value: the preset stays marked while the control keeps
  // the preset's value (a host sends the preset's own values after it).
  void ControlChanged(uint32_t control, float value);
  // The six controls hold values, in port order: with no preset marked,
  // marks the one whose values they are, as when a host loaded it from its
  // own menu (LV2 has no program change to tell the editor).
  void Recognise(const float* values);

  void Draw(DGL_NAMESPACE::NanoVG& vg) const;

  const Box Area;

 private:
  int Current = -1;
};

}  // namespace vorel
