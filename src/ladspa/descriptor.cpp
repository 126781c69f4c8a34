// The library's one plugin descriptor and its three exported entry points.
// The library is linked without the toolchain's start files, so _init and
// _fini here are the loader's load and unload routines themselves.
#include <ladspa.h>

#include <new>

#include "effect/identity.h"
#include "ladspa/instance.h"
#include "ladspa/ladspa_ports.h"

#define VOREL_EXPORT extern "C" __attribute__((visibility("default")))

namespace vorel {
namespace {

// The record and the three port arrays it points to, in one heap block.
struct DescriptorBlock {
  LADSPA_Descriptor Descriptor;
  LADSPA_PortDescriptor PortDescriptors[PortCount];
  const char* PortNames[PortCount];
  LADSPA_PortRangeHint PortRangeHints[PortCount];
};

DescriptorBlock* gDescriptor = nullptr;

void FillDescriptor(DescriptorBlock& block) {
  LADSPA_Descriptor& d = block.Descriptor;
  d.UniqueID = VOREL_LADSPA_ID;
  d.Label = "vorel";
  d.Properties = LADSPA_PROPERTY_HARD_RT_CAPABLE;
  d.Name = VOREL_PLUGIN_NAME;
  d.Maker = VOREL_PLUGIN_MAKER;
  d.Copyright = "2026 Vorel developers";
  d.PortCount = PortCount;
  for (unsigned long port = 0; port < PortCount; ++port) {
    const PortEntry& entry = kPortTable[port];
    block.PortDescriptors[port] = LadspaDescriptorOf(entry);
    block.PortNames[port] = entry.Name;
    block.PortRangeHints[port] = LadspaHintOf(entry);
  }
  d.PortDescriptors = block.PortDescriptors;
  d.PortNames = block.PortNames;
  d.PortRangeHints = block.PortRangeHints;
  d.ImplementationData = nullptr;
  d.instantiate = LadspaInstantiate;
  d.connect_port = LadspaConnectPort;
  d.activate = nullptr;
  d.run = LadspaRun;
  d.run_adding = nullptr;
  d.set_run_adding_gain = nullptr;
  d.deactivate = nullptr;
  d.cleanup = LadspaCleanup;
}

}  // namespace
}  // namespace vorel

// Builds the descriptor once; a second call keeps the first one. If memory
// runs out the pointer stays null and ladspa_descriptor offers no plugin.
VOREL_EXPORT void _init() {
  using vorel::gDescriptor;
  if (gDescriptor != nullptr) return;
  auto* block = new (std::nothrow) vorel::DescriptorBlock();
  if (block != nullptr) vorel::FillDescriptor(*block);
  gDescriptor = block;
}

// Releases the descriptor. The pointer is reset, so the unload after a host's
// own call of _fini finds nothing left to release.
VOREL_EXPORT void _fini() {
  delete vorel::gDescriptor;
  vorel::gDescriptor = nullptr;
}

VOREL_EXPORT const LADSPA_Descriptor* ladspa_descriptor(unsigned long index) {
  if (index != 0 || vorel::gDescriptor == nullptr) return nullptr;
  return &vorel::gDescriptor->Descriptor;
}
