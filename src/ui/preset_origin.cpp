#include "ui/preset_origin.h"

#include <algorithm>
#include <cstdio>

#include "effect/presets.h"

namespace vorel {

namespace {

constexpr int kPresetCount = sizeof(kPresets) / sizeof(kPresets[0]);

bool Holds(const float* values, int preset) {
  return std::equal(values, values + kControlPortCount, kPresets[preset].Values);
}

}  // namespace

void PresetOrigin::Hold(const float* values) {
  if (Preset >= 0 && Preset < kPresetCount && Holds(values, Preset)) {
    Edited = false;
    return;
  }
  for (int p = 0; p < kPresetCount; ++p) {
    if (Holds(values, p)) {
      Preset = p;
      Edited = false;
      return;
    }
  }
  Edited = true;
}

void NameOrigin(const PresetOrigin& origin, char* text, std::size_t size) {
  if (origin.Preset < 0 || origin.Preset >= kPresetCount) {
    std::snprintf(text, size, "%s", "own settings");
  } else {
    std::snprintf(text, size, origin.Edited ? "%s (edited)" : "%s", kPresets[origin.Preset].Name);
  }
}

}  // namespace vorel
