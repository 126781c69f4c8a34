// One LV2 plugin instance and the callbacks that drive it. The glue only
// converts the host's calls into calls of the effect's one channel.
//
// Real-time promise: run, connect_port and activate allocate nothing, take
// no lock and make no system call; every buffer is allocated in instantiate.
#pragma once

#include <lv2/core/lv2.h>

#include "effect/effect_channel.h"
#include "lv2/lv2_ports.h"

namespace vorel {

struct Lv2Instance {
  explicit Lv2Instance(float rate) : Chain(rate) {}

  float* Ports[Lv2PortCount] = {};  // host-owned, indexed by Lv2PortIndex
  EffectChannel Chain;
};

// Creates an instance at the host's rate; null if the rate is not a
// non-negative float or memory runs out.
LV2_Handle Lv2Instantiate(const LV2_Descriptor* descriptor, double rate, const char* bundlePath,
                          const LV2_Feature* const* features);

// Records where the host keeps a port; unknown port numbers are ignored.
void Lv2ConnectPort(LV2_Handle instance, uint32_t port, void* location);

// Back to the state of a new instance, without allocating.
void Lv2Activate(LV2_Handle instance);

// Reports the latency, takes over the controls, then processes count
// samples from "in" into "out".
void Lv2Run(LV2_Handle instance, uint32_t count);

void Lv2Cleanup(LV2_Handle instance);

}  // namespace vorel
