#include "vorel/instance.h"

#include <cstring>
#include <memory>

#include "vorel/controls.h"

namespace vorel {

// Nothing may throw into the host: a failed allocation (the record, the
// engine or one of its buffers) gives a null handle and frees what was built.
LADSPA_Handle Instantiate(const LADSPA_Descriptor*, unsigned long sampleRate) {
  try {
    auto instance = std::make_unique<PluginInstance>();
    // The rate goes through a signed 64-bit integer to the nearest float.
    const float rate = static_cast<float>(static_cast<int64_t>(sampleRate));
    instance->Quantiser.SetSampleRate(rate);
    instance->Stabilizer.SetSampleRate(rate);
    return instance.release();
  } catch (...) {
    return nullptr;
  }
}

void ConnectPort(LADSPA_Handle instance, unsigned long port, LADSPA_Data* location) {
  if (port < PortCount) static_cast<PluginInstance*>(instance)->Ports[port] = location;
}

// The engine reads "in" and writes "out" (it reads each sample before writing
// the one at the same index, so one shared buffer works too); the stabiliser
// then works on "out". The host's "in" buffer is never written.
void Run(LADSPA_Handle handle, unsigned long count) {
  auto* instance = static_cast<PluginInstance*>(handle);
  // Each control port is read once per block, as an exact 32-bit copy.
  float controls[kControlPortCount];
  for (unsigned long port = 0; port < kControlPortCount; ++port) {
    std::memcpy(&controls[port], instance->Ports[port], sizeof(float));
  }
  ApplyControls(controls, instance->Quantiser);

  const LADSPA_Data* in = instance->Ports[InputPort];
  LADSPA_Data* out = instance->Ports[OutputPort];
  while (count > 0) {
    const int32_t piece = PieceLength(count);
    instance->Quantiser.Process(in, out, piece);
    instance->Stabilizer.Process(out, piece);
    in += piece;
    out += piece;
    count -= static_cast<unsigned long>(piece);
  }
}

void Cleanup(LADSPA_Handle instance) { delete static_cast<PluginInstance*>(instance); }

}  // namespace vorel
