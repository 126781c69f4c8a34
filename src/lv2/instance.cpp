#include "lv2/instance.h"

#include <cfloat>
#include <cstring>

namespace vorel {

// Nothing may throw into the host: a failed allocation gives a null handle
// and frees what was built. An integer rate becomes the same float as in
// the LADSPA plugin.
LV2_Handle Lv2Instantiate(const LV2_Descriptor*, double rate, const char*,
                          const LV2_Feature* const*) {
  if (!(rate >= 0.0 && rate <= FLT_MAX)) return nullptr;
  try {
    return new Lv2Instance(static_cast<float>(rate));
  } catch (...) {
    return nullptr;
  }
}

void Lv2ConnectPort(LV2_Handle instance, uint32_t port, void* location) {
  if (port < Lv2PortCount)
    static_cast<Lv2Instance*>(instance)->Ports[port] = static_cast<float*>(location);
}

void Lv2Activate(LV2_Handle handle) { static_cast<Lv2Instance*>(handle)->Chain.Reset(); }

// Each control port is read once per block, as an exact 32-bit copy, as in
// the LADSPA plugin; a zero-length block still takes over the controls.
void Lv2Run(LV2_Handle handle, uint32_t count) {
  auto* instance = static_cast<Lv2Instance*>(handle);
  float** ports = instance->Ports;
  if (ports[LatencyPort] != nullptr) *ports[LatencyPort] = kLatencyFrames;
  float controls[kControlPortCount];
  for (unsigned long port = 0; port < kControlPortCount; ++port) {
    std::memcpy(&controls[port], ports[port], sizeof(float));
  }
  // Off only for a value at or below 0; a NaN or an unconnected port leaves the effect on.
  const bool enabled = ports[EnabledPort] == nullptr || !(*ports[EnabledPort] <= 0.0f);
  // An unconnected mix is the effect alone, as its default.
  const float mix = ports[MixPort] == nullptr ? kMixControl.Default : *ports[MixPort];
  instance->Chain.Run(controls, mix, enabled, ports[InputPort], ports[OutputPort], count);
}

void Lv2Cleanup(LV2_Handle instance) { delete static_cast<Lv2Instance*>(instance); }

}  // namespace vorel
