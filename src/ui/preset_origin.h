// Where the controls' values came from, as the preset selector names it:
// the preset they were loaded from, and whether they were changed since
// ("pure-hold (edited)"). Values that match no preset and were never
// loaded from one are the person's own. Nothing here draws.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorel {

class PresetOrigin {
 public:
  // A preset was loaded (by the host or the person), or none (-1).
  void Loaded(int preset) {
    Preset = preset;
    Edited = false;
  }
  // The six controls now hold values, in port order. Values that are a
  // preset's name it, as when a host loaded it from its own menu (LV2 has
  // no program change to tell the editor); the loaded one first.
  void Hold(const float* values);

  // The preset the values came from, or -1.
  int Preset = -1;
  bool Edited = false;
};

// The selector's text for origin, into text (size bytes).
void NameOrigin(const PresetOrigin& origin, char* text, std::size_t size);

}  // namespace vorel
