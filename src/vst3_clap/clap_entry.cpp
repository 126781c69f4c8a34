// The CLAP module's entry point: DPF's CLAP plugin, with the plugin's
// latency and its version (which DPF 1.6 leaves empty) answered here.
//
// DPF 1.6's CLAP wrapper has a fault: once a plugin reports a latency, it
// tells the host through the host's clap.latency extension when the plugin
// is deactivated or its state loaded, without checking that the host offers
// that extension. Every host extension is optional in CLAP, so a host that
// offers none (a scanner, a minimal host) crashes in clap_plugin_deactivate.
// DPF is used as Debian ships it, so the CLAP build turns DPF's latency
// support off (DistrhoPluginInfo.h), which removes every such call, and this
// glue wraps each plugin DPF creates to add a clap.latency extension of its
// own. The latency never changes, so the host never needs telling; the
// wrapper forwards every other call to DPF unchanged.
#include <clap/entry.h>
#include <clap/ext/latency.h>
#include <clap/plugin-factory.h>

#include <cstring>
#include <new>

#include "effect/identity.h"
#include "effect/processor.h"
#include "effect/version.h"

// DPF's own entry point, renamed where its source is compiled (dpf_clap_main.cpp).
extern "C" const clap_plugin_entry_t vorel_dpf_clap_entry;

namespace {

// A plugin as DPF made it, with two calls of its own. Every call DPF
// implements still finds its instance through plugin_data, which is copied.
struct WrappedPlugin {
  clap_plugin_t Face;  // first, so the host's pointer is the wrapper's
  const clap_plugin_t* Inner;
};

const WrappedPlugin* Wrapper(const clap_plugin_t* plugin) {
  return reinterpret_cast<const WrappedPlugin*>(plugin);
}

uint32_t Latency(const clap_plugin_t*) { return vorel::Processor::kLatency; }

constexpr clap_plugin_latency_t kLatencyExtension = {Latency};

const void* GetExtension(const clap_plugin_t* plugin, const char* id) {
  if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &kLatencyExtension;
  const clap_plugin_t* inner = Wrapper(plugin)->Inner;
  return inner->get_extension(inner, id);
}

void Destroy(const clap_plugin_t* plugin) {
  const WrappedPlugin* wrapper = Wrapper(plugin);
  wrapper->Inner->destroy(wrapper->Inner);
  delete wrapper;
}

const clap_plugin_factory_t* DpfFactory() {
  return static_cast<const clap_plugin_factory_t*>(
      vorel_dpf_clap_entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
}

uint32_t PluginCount(const clap_plugin_factory_t*) { return 1; }

// DPF's description of the plugin, with the version filled in.
const clap_plugin_descriptor_t* Descriptor(const clap_plugin_factory_t*, uint32_t index) {
  if (index != 0) return nullptr;
  static const clap_plugin_descriptor_t descriptor = [] {
    const clap_plugin_factory_t* dpf = DpfFactory();
    clap_plugin_descriptor_t d = *dpf->get_plugin_descriptor(dpf, 0);
    d.version = VOREL_VERSION;
    return d;
  }();
  return &descriptor;
}

// Null for another plugin's ID, as CLAP asks, or when memory runs out:
// DPF and the plugin allocate with operator new, and nothing may throw into
// the host.
const clap_plugin_t* CreatePlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                  const char* id) {
  if (id == nullptr || std::strcmp(id, vorel::kClapId) != 0) return nullptr;
  const clap_plugin_factory_t* dpf = DpfFactory();
  const clap_plugin_t* inner = nullptr;
  try {
    inner = dpf->create_plugin(dpf, host, id);
  } catch (...) {
    return nullptr;
  }
  if (inner == nullptr) return nullptr;
  auto* wrapper = new (std::nothrow) WrappedPlugin{*inner, inner};
  if (wrapper == nullptr) {
    inner->destroy(inner);
    return nullptr;
  }
  wrapper->Face.desc = Descriptor(nullptr, 0);
  wrapper->Face.get_extension = GetExtension;
  wrapper->Face.destroy = Destroy;
  return &wrapper->Face;
}

constexpr clap_plugin_factory_t kFactory = {PluginCount, Descriptor, CreatePlugin};

bool Init(const char* path) { return vorel_dpf_clap_entry.init(path); }

void Deinit() { vorel_dpf_clap_entry.deinit(); }

const void* GetFactory(const char* id) {
  return std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}

}  // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION, Init, Deinit,
                                                               GetFactory};
