#include "ladspa/instance.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace vorel {

// Nothing may throw into the host: a failed allocation (the record, the
// engine or one of its buffers) gives a null handle and frees what was built.
// The rate goes through a signed 64-bit integer to the nearest float.
LADSPA_Handle LadspaInstantiate(const LADSPA_Descriptor*, unsigned long sampleRate) {
  try {
    return new LadspaInstance(static_cast<float>(static_cast<int64_t>(sampleRate)));
  } catch (...) {
    return nullptr;
  }
}

void LadspaConnectPort(LADSPA_Handle instance, unsigned long port, LADSPA_Data* location) {
  if (port < PortCount) static_cast<LadspaInstance*>(instance)->Ports[port] = location;
}

// Each control port is read once per block, as an exact 32-bit copy.
void LadspaRun(LADSPA_Handle handle, unsigned long count) {
  auto* instance = static_cast<LadspaInstance*>(handle);
  float controls[kControlPortCount];
  for (unsigned long port = 0; port < kControlPortCount; ++port) {
    std::memcpy(&controls[port], instance->Ports[port], sizeof(float));
  }
  instance->Chain.Run(controls, instance->Ports[InputPort], instance->Ports[OutputPort], count);
}

void LadspaCleanup(LADSPA_Handle instance) { delete static_cast<LadspaInstance*>(instance); }

}  // namespace vorel
