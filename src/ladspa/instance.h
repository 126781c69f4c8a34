// One LADSPA plugin instance and the four callbacks that drive it. The glue
// only converts the host's calls into calls of the shared processor.
//
// Real-time promise: run and connect_port allocate nothing, take no lock and
// make no system call; every buffer is allocated in instantiate.
#pragma once

#include <ladspa.h>

#include "effect/port_table.h"
#include "effect/processor.h"

namespace vorel {

struct LadspaInstance {
  explicit LadspaInstance(float rate) : Chain(rate) {}

  LADSPA_Data* Ports[PortCount] = {};  // host-owned, indexed by PortIndex
  Processor Chain;
};

// Creates an instance at the host's rate; null if memory runs out.
LADSPA_Handle LadspaInstantiate(const LADSPA_Descriptor* descriptor, unsigned long sampleRate);

// Records where the host keeps a port; port numbers above 7 are ignored.
void LadspaConnectPort(LADSPA_Handle instance, unsigned long port, LADSPA_Data* location);

// Takes over the controls, then processes count samples from "in" into "out".
void LadspaRun(LADSPA_Handle instance, unsigned long count);

// Frees the instance and everything it allocated.
void LadspaCleanup(LADSPA_Handle instance);

}  // namespace vorel
