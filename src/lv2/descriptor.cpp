// The bundle binary's one plugin descriptor and its one exported entry point.
#include <lv2/core/lv2.h>

#include "lv2/instance.h"

namespace {

// The plugin offers no extension interface.
const void* NoExtensionData(const char*) { return nullptr; }

constexpr LV2_Descriptor kDescriptor = {
    vorel::kPluginUri,  vorel::Lv2Instantiate, vorel::Lv2ConnectPort,
    vorel::Lv2Activate, vorel::Lv2Run,         nullptr,
    vorel::Lv2Cleanup,  NoExtensionData,
};

}  // namespace

// The host's entry point: the one plugin at index 0, nothing after it.
extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(
    uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
