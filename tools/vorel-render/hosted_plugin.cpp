#include "vorel-render/hosted_plugin.h"

#include <stdexcept>

namespace render {

HostedPlugin::HostedPlugin(const LADSPA_Descriptor& descriptor, unsigned long sampleRate,
                           const std::vector<LADSPA_Data>& controls, AudioPorts audio,
                           LADSPA_Data* in, LADSPA_Data* out)
    : descriptor_(descriptor), ports_(controls) {
  handle_ = descriptor.instantiate(&descriptor, sampleRate);
  if (handle_ == nullptr) {
    throw std::runtime_error(std::string("plugin \"") + descriptor.Label +
                             "\" could not be instantiated at " + std::to_string(sampleRate) +
                             " Hz");
  }
  for (unsigned long i = 0; i < descriptor.PortCount; ++i) {
    if (LADSPA_IS_PORT_CONTROL(descriptor.PortDescriptors[i])) {
      descriptor.connect_port(handle_, i, &ports_[i]);
    }
  }
  descriptor.connect_port(handle_, audio.Input, in);
  descriptor.connect_port(handle_, audio.Output, out);
  if (descriptor.activate != nullptr) descriptor.activate(handle_);
}

HostedPlugin::~HostedPlugin() {
  if (descriptor_.deactivate != nullptr) descriptor_.deactivate(handle_);
  descriptor_.cleanup(handle_);
}

}  // namespace render
