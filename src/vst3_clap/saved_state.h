// The plugin's saved state as text, the same in both formats. It keeps the
// layout DPF writes, which every state the plugin has saved uses: a run of
// NUL-terminated strings, "__dpf_program__" and the program's number,
// "__dpf_parameters_begin__", each parameter's symbol and value,
// "__dpf_parameters_end__", then the byte 0xfe (and a NUL).
#pragma once

#include <cstddef>
#include <cstdint>

#include "vst3_clap/stereo_parameters.h"

namespace vorel {

// No state of the plugin's comes near this size; a longer one is refused.
constexpr std::size_t kMaxStateSize = 4096;

struct SavedState {
  float Values[StereoParameterCount];
  uint32_t Program;
};

// Reads a state, which must be complete: the layout above, with the program
// and every parameter once (the symbol of another parameter is passed over,
// for a later version's states), each value a plain decimal number. A
// number is taken as the parameter takes any value, so one out of range is
// clamped to it. False for anything else, with state left as it was.
bool ReadSavedState(const char* text, std::size_t size, SavedState& state);

// Writes state, with every value finite as ReadSavedState gives it, in the
// layout above, each number as digits with a decimal exponent but no
// decimal point: DPF's C-library conversions read it back exactly in any
// locale, and so do older versions of the plugin. Returns the size, or 0
// if capacity is too small.
std::size_t WriteSavedState(const SavedState& state, char* text, std::size_t capacity);

}  // namespace vorel
