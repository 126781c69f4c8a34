// One plugin instance and the four LADSPA callbacks that drive it. The glue
// knows LADSPA; the spectral engine and the stabiliser do the processing.
//
// Real-time promise: run allocates nothing, takes no lock and makes no system
// call; every buffer is allocated in instantiate.
#pragma once

#include <ladspa.h>

#include <cstdint>

#include "quantiser/quantiser.h"
#include "stabilizer/stabilizer.h"
#include "vorel/port_table.h"

namespace vorel {

struct PluginInstance {
  LADSPA_Data* Ports[PortCount] = {};  // host-owned, indexed by PortIndex
  TQuantiser Quantiser;
  TStabilize Stabilizer;
};

// The length of the next piece of a run block: the processing objects take
// a signed 32-bit count, the host an unsigned long.
inline int32_t PieceLength(unsigned long remaining) {
  return remaining > INT32_MAX ? INT32_MAX : static_cast<int32_t>(remaining);
}

// Creates an instance at the host's rate; null if memory runs out.
LADSPA_Handle Instantiate(const LADSPA_Descriptor* descriptor, unsigned long sampleRate);

// Records where the host keeps a port; port numbers above 7 are ignored.
void ConnectPort(LADSPA_Handle instance, unsigned long port, LADSPA_Data* location);

// Takes over the controls, then processes count samples from "in" into "out".
void Run(LADSPA_Handle instance, unsigned long count);

void Cleanup(LADSPA_Handle instance);

}  // namespace vorel
