// The library's one plugin descriptor and its exported entry points.
//
// The descriptor is a constant, complete in the library image before any of
// its code runs: a host may call ladspa_descriptor from any thread, first
// call included, on a platform whose loader runs no _init (a Windows DLL),
// and nothing is allocated, so nothing is left behind at unload. On ELF the
// library is linked without the toolchain's start files, so _init and _fini
// here are the loader's load and unload routines themselves; they offer and
// withdraw the descriptor.
#include <ladspa.h>

#include <atomic>

#include "effect/identity.h"
#include "ladspa/instance.h"
#include "ladspa/ladspa_ports.h"

#if defined(_WIN32)
#define VOREL_EXPORT extern "C" __declspec(dllexport)
#else
#define VOREL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace vorel {
namespace {

// The three port arrays the record points to, read from the port table.
struct PortArrays {
  constexpr PortArrays() {
    for (unsigned long port = 0; port < PortCount; ++port) {
      const PortEntry& entry = kPortTable[port];
      Descriptors[port] = LadspaDescriptorOf(entry);
      Names[port] = entry.Name;
      Hints[port] = LadspaHintOf(entry);
    }
  }
  LADSPA_PortDescriptor Descriptors[PortCount] = {};
  const char* Names[PortCount] = {};
  LADSPA_PortRangeHint Hints[PortCount] = {};
};

constexpr PortArrays kPorts;

constexpr LADSPA_Descriptor kDescriptor = {
    VOREL_LADSPA_ID,                  // UniqueID
    "vorel",                          // Label
    LADSPA_PROPERTY_HARD_RT_CAPABLE,  // Properties
    VOREL_PLUGIN_NAME,                // Name
    VOREL_PLUGIN_MAKER,               // Maker
    "2026 Vorel developers",          // Copyright
    PortCount,
    kPorts.Descriptors,
    kPorts.Names,
    kPorts.Hints,
    nullptr,  // ImplementationData
    LadspaInstantiate,
    LadspaConnectPort,
    nullptr,  // activate
    LadspaRun,
    nullptr,  // run_adding
    nullptr,  // set_run_adding_gain
    nullptr,  // deactivate
    LadspaCleanup,
};

// What ladspa_descriptor offers: the descriptor, or null once a host has
// called _fini.
std::atomic<const LADSPA_Descriptor*> gOffered{&kDescriptor};

}  // namespace
}  // namespace vorel

#if !defined(_WIN32)
// Offers the descriptor again after a host's own call of _fini.
VOREL_EXPORT void _init() { vorel::gOffered.store(&vorel::kDescriptor); }

// Withdraws the descriptor: ladspa_descriptor offers no plugin afterwards.
VOREL_EXPORT void _fini() { vorel::gOffered.store(nullptr); }
#endif

VOREL_EXPORT const LADSPA_Descriptor* ladspa_descriptor(unsigned long index) {
  return index == 0 ? vorel::gOffered.load() : nullptr;
}
