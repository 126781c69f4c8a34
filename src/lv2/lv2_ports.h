// The LV2 plugin's identity and its three ports beyond the shared eight, as
// data read by the glue and by the TTL generator alike.
#pragma once

#include "effect/identity.h"
#include "effect/port_table.h"
#include "effect/processor.h"

namespace vorel {

// The LV2 port numbers: the shared eight, then these three. A new port
// goes last, so that every saved session keeps its meaning.
enum Lv2PortIndex : unsigned long {
  LatencyPort = PortCount,  // output: the delay the host must compensate
  EnabledPort,              // input: 0 gives the input delayed by the latency
  MixPort,                  // input: the dry/wet mix in percent
  Lv2PortCount
};

// A control port that LV2 hosts give a fixed meaning through its designation.
struct DesignatedPort {
  const char* Name;
  const char* Symbol;
  bool Output;
  float Minimum;
  float Maximum;
  float Default;
  const char* Designation;  // a term of the LV2 core vocabulary
  bool Integer;
  bool Toggled;
  bool ReportsLatency;
  bool InFrames;
};

constexpr float kLatencyFrames = static_cast<float>(Processor::kLatency);

constexpr DesignatedPort kDesignatedPorts[MixPort - PortCount] = {
    {"latency", "latency", true, 0.0f, kLatencyFrames, kLatencyFrames, "latency", true, false, true,
     true},
    {"enabled", "enabled", false, 0.0f, 1.0f, 1.0f, "enabled", false, true, false, false},
};

constexpr const DesignatedPort& DesignatedPortAt(unsigned long port) {
  return kDesignatedPorts[port - PortCount];
}

// The effect's own entry for an LV2 port, from the shared port table or the
// mix; null for the designated ports above.
constexpr const PortEntry* Lv2PortEntry(unsigned long port) {
  if (port < PortCount) return &kPortTable[port];
  return port == MixPort ? &kMixControl : nullptr;
}

}  // namespace vorel
