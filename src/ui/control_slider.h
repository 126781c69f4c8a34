// One control drawn as a labelled bar: its name, its value with unit or
// name, and how far along its range it stands.
#pragma once

#include <NanoVG.hpp>

#include "ui/control_value.h"
#include "ui/layout.h"

namespace vorel {

class ControlSlider {
 public:
  ControlSlider(uint32_t parameter, const Box& area)
      : Parameter(parameter), Traits(TraitsOf(parameter)), Area(area), Value(Traits.Default) {}

  void Draw(DGL_NAMESPACE::NanoVG& vg, bool active) const;

  const uint32_t Parameter;
  const ControlTraits Traits;
  const Box Area;
  float Value;
};

}  // namespace vorel
