// What a person does to a control, as values: a drag, a wheel step, a
// double-click, without a display, so that it can be tested. Each of the
// effect's parameters (effect/parameters.h) is described from the port
// table, the mix control and the bypass's range.
#pragma once

#include <cstddef>
#include <cstdint>

#include "effect/port_table.h"

namespace vorel {

struct ControlTraits {
  const char* Name;
  float Minimum;
  float Maximum;
  float Default;
  bool Stepped;                   // whole numbers only
  const ScalePoint* ScalePoints;  // the named values, or null
  std::size_t ScalePointCount;
  PortUnit Unit;
};

// The effect's parameter as the editor shows it, for a parameter number
// below EffectParameterCount.
ControlTraits TraitsOf(uint32_t parameter);

// Pixels of drag that cross the whole range, and how much finer Shift is.
constexpr float kDragSpan = 200.0f;
constexpr float kFineFactor = 10.0f;

// The value a drag of pixels (right or up positive) from start gives.
float DragValue(const ControlTraits& traits, float start, float pixels, bool fine);

// The value steps wheel notches (up positive) from value give: one whole
// number a notch for a stepped control, a hundredth of the range otherwise.
float WheelValue(const ControlTraits& traits, float value, float steps, bool fine);

// The value as text, with its unit or its name, into text (size bytes).
void FormatValue(const ControlTraits& traits, float value, char* text, std::size_t size);

}  // namespace vorel
