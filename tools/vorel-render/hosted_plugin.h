// One running plugin instance, driven through its descriptor the way the
// LADSPA rules ask: instantiate, connect every port, activate, run in
// blocks, deactivate, clean up.
#pragma once

#include <ladspa.h>

#include <vector>

#include "vorel-render/control_ports.h"

namespace render {

class HostedPlugin {
 public:
  // Instantiates at sampleRate, connects each control input to its own copy
  // of controls (indexed by port number), the audio ports to in and out,
  // and activates. in and out must each hold maxBlock samples.
  HostedPlugin(const LADSPA_Descriptor& descriptor, unsigned long sampleRate,
               const std::vector<LADSPA_Data>& controls, AudioPorts audio, LADSPA_Data* in,
               LADSPA_Data* out);
  ~HostedPlugin();
  HostedPlugin(const HostedPlugin&) = delete;
  HostedPlugin& operator=(const HostedPlugin&) = delete;

  // Processes count samples from in to out.
  void Run(unsigned long count) { descriptor_.run(handle_, count); }

 private:
  const LADSPA_Descriptor& descriptor_;
  LADSPA_Handle handle_ = nullptr;
  std::vector<LADSPA_Data> ports_;  // control values, and output controls' landing places
};

}  // namespace render
