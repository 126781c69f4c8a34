#include "lv2/instance.h"

#include <algorithm>
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

void Lv2Activate(LV2_Handle handle) {
  auto* instance = static_cast<Lv2Instance*>(handle);
  instance->Chain.Reset();
  instance->Mix.Reset();
  instance->Bypass.Reset();
}

// Each control port is read once per block, as an exact 32-bit copy, as in
// the LADSPA plugin. The block goes through in pieces the delay line holds;
// a zero-length block still takes over the controls.
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
  const float* in = ports[InputPort];
  float* out = ports[OutputPort];
  do {
    const std::size_t piece = std::min<std::size_t>(count, TimedBypass::kMaxPiece);
    instance->Bypass.TakeInput(in, piece);
    instance->Chain.Run(controls, in, out, piece);
    instance->Mix.Apply(mix, instance->Bypass.Delayed(), out, piece);
    instance->Bypass.Mix(enabled, out, piece);
    in += piece;
    out += piece;
    count -= static_cast<uint32_t>(piece);
  } while (count > 0);
}

void Lv2Cleanup(LV2_Handle instance) { delete static_cast<Lv2Instance*>(instance); }

}  // namespace vorel
