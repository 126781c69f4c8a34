// The LV2 editor's map from the effect's parameters (effect/parameters.h)
// to the LV2 plugin's ports, from the one port table: the six controls
// keep their port numbers, the mix is its own port, and the bypass is the
// "enabled" port turned over.
#pragma once

#include <array>
#include <cstdint>

#include "effect/parameters.h"
#include "lv2/lv2_ports.h"

namespace vorel {

constexpr const char* kEditorUri = VOREL_LV2_URI "#editor";

struct EditorPort {
  uint32_t Port;
  bool Inverted;  // the bypass against "enabled"
};

constexpr std::array<EditorPort, EffectParameterCount> EditorPorts() {
  std::array<EditorPort, EffectParameterCount> ports{};
  for (uint32_t p = 0; p < kControlPortCount; ++p) ports[p] = {p, false};
  ports[MixParameter] = {MixPort, false};
  ports[BypassParameter] = {EnabledPort, true};
  return ports;
}

constexpr std::array<EditorPort, EffectParameterCount> kEditorPorts = EditorPorts();

}  // namespace vorel
