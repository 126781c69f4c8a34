// The CLAP module's entry point: DPF's CLAP plugin, with its latency, its
// version (which DPF 1.6 leaves empty), its saved state and its parameter
// input handled here. DPF is used as Debian ships it; this glue wraps each
// plugin DPF creates and forwards every other call to DPF unchanged.
//
// Latency: once a plugin reports one, DPF 1.6 tells the host through the
// host's clap.latency extension when the plugin is deactivated or its state
// loaded, without checking that the host offers that extension. Every host
// extension is optional in CLAP, so a host that offers none (a scanner, a
// minimal host) crashed in clap_plugin_deactivate. The CLAP build turns
// DPF's latency support off (DistrhoPluginInfo.h), which removes every such
// call, and the wrapper answers clap.latency itself. The latency never
// changes, so the host never needs telling.
//
// State: DPF reads the saved values with the C library's locale-dependent
// conversions, so a host running in a German or French locale got other
// values back, and after a short write it writes again from the start.
// It also takes any number it finds, out of range or not. The wrapper moves
// the state between the host's stream and memory itself, in loops, and
// hands DPF only states it has read and written anew (state_streams.h).
//
// Parameter input: events and flushes reach DPF through CheckedEvents
// (clap_events.h); a parameter ID the plugin does not have is refused.
//
// Editor: DPF's editor on Linux draws on the host's timer (timer-support)
// and talks to the host's gui extension, and when asked to create itself
// in a host without them, fails with an assertion message on stderr. The
// wrapper offers the gui extension only to hosts that offer both, so any
// other host learns plainly that there is no editor. On Windows and macOS
// DPF runs a timer of its own, and the host's gui extension is enough.
#include <clap/entry.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "effect/identity.h"
#include "effect/processor.h"
#include "effect/version.h"
#include "vst3_clap/clap_events.h"
#include "vst3_clap/state_streams.h"

// DPF's own entry point, renamed where its source is compiled (dpf_clap_main.cpp).
extern "C" const clap_plugin_entry_t vorel_dpf_clap_entry;

namespace {

// A plugin as DPF made it, with calls of its own. Every call DPF implements
// still finds its instance through plugin_data, which is copied.
struct WrappedPlugin {
  clap_plugin_t Face;  // first, so the host's pointer is the wrapper's
  const clap_plugin_t* Inner;
  const clap_host_t* Host;
  const clap_plugin_params_t* Params;  // DPF's extensions
  const clap_plugin_state_t* State;
};

const WrappedPlugin* Wrapper(const clap_plugin_t* plugin) {
  return reinterpret_cast<const WrappedPlugin*>(plugin);
}

uint32_t Latency(const clap_plugin_t*) { return vorel::Processor::kLatency; }

constexpr clap_plugin_latency_t kLatencyExtension = {Latency};

clap_process_status Process(const clap_plugin_t* plugin, const clap_process_t* process) {
  const clap_plugin_t* inner = Wrapper(plugin)->Inner;
  vorel::CheckedEvents events(process->in_events);
  clap_process_t checked = *process;
  checked.in_events = events.List();
  return inner->process(inner, &checked);
}

bool Known(clap_id id) { return id < vorel::StereoParameterCount; }

uint32_t ParameterCount(const clap_plugin_t* plugin) {
  const WrappedPlugin* w = Wrapper(plugin);
  return w->Params->count(w->Inner);
}

bool ParameterInfo(const clap_plugin_t* plugin, uint32_t index, clap_param_info_t* info) {
  const WrappedPlugin* w = Wrapper(plugin);
  return Known(index) && w->Params->get_info(w->Inner, index, info);
}

bool ParameterValue(const clap_plugin_t* plugin, clap_id id, double* value) {
  const WrappedPlugin* w = Wrapper(plugin);
  return Known(id) && w->Params->get_value(w->Inner, id, value);
}

// DPF converts the value to an integer for a whole-number parameter:
// undefined for a NaN or beyond the range.
bool ValueToText(const clap_plugin_t* plugin, clap_id id, double value, char* text, uint32_t size) {
  const WrappedPlugin* w = Wrapper(plugin);
  if (!Known(id) || std::isnan(value)) return false;
  const vorel::ParameterRange range = vorel::RangeOf(id);
  value = std::clamp<double>(value, range.Minimum, range.Maximum);
  return w->Params->value_to_text(w->Inner, id, value, text, size);
}

bool TextToValue(const clap_plugin_t* plugin, clap_id id, const char* text, double* value) {
  const WrappedPlugin* w = Wrapper(plugin);
  return Known(id) && text != nullptr && w->Params->text_to_value(w->Inner, id, text, value);
}

void Flush(const clap_plugin_t* plugin, const clap_input_events_t* in,
           const clap_output_events_t* out) {
  const WrappedPlugin* w = Wrapper(plugin);
  vorel::CheckedEvents events(in);
  w->Params->flush(w->Inner, events.List(), out);
}

constexpr clap_plugin_params_t kParamsExtension = {ParameterCount, ParameterInfo, ParameterValue,
                                                   ValueToText,    TextToValue,   Flush};

// The host's streams, and the memory DPF saves into and loads from.
int64_t ReadHost(void* stream, char* buffer, std::size_t size) {
  const auto* in = static_cast<const clap_istream_t*>(stream);
  return in->read(in, buffer, size);
}

int64_t WriteHost(void* stream, const char* buffer, std::size_t size) {
  const auto* out = static_cast<const clap_ostream_t*>(stream);
  return out->write(out, buffer, size);
}

int64_t ReadMemory(const clap_istream_t* stream, void* buffer, uint64_t size) {
  return static_cast<vorel::StateBuffer*>(stream->ctx)->Take(buffer, size);
}

int64_t WriteMemory(const clap_ostream_t* stream, const void* buffer, uint64_t size) {
  return static_cast<vorel::StateBuffer*>(stream->ctx)->Put(buffer, size);
}

bool SaveState(const clap_plugin_t* plugin, const clap_ostream_t* stream) {
  const WrappedPlugin* w = Wrapper(plugin);
  vorel::StateBuffer saved;
  const clap_ostream_t memory = {&saved, WriteMemory};
  return stream != nullptr && w->State->save(w->Inner, &memory) &&
         vorel::SendState(saved, WriteHost, const_cast<clap_ostream_t*>(stream));
}

bool LoadState(const clap_plugin_t* plugin, const clap_istream_t* stream) {
  const WrappedPlugin* w = Wrapper(plugin);
  vorel::StateBuffer state;
  const clap_istream_t memory = {&state, ReadMemory};
  return stream != nullptr &&
         vorel::ReceiveState(ReadHost, const_cast<clap_istream_t*>(stream), state) &&
         w->State->load(w->Inner, &memory);
}

constexpr clap_plugin_state_t kStateExtension = {SaveState, LoadState};

#if defined(_WIN32) || defined(__APPLE__)
constexpr bool kEditorNeedsHostTimer = false;
#else
constexpr bool kEditorNeedsHostTimer = true;
#endif

// Whether the host offers what DPF's editor needs (see the top).
bool HostCanShowEditor(const clap_host_t* host) {
  return host != nullptr && host->get_extension != nullptr &&
         host->get_extension(host, CLAP_EXT_GUI) != nullptr &&
         (!kEditorNeedsHostTimer || host->get_extension(host, CLAP_EXT_TIMER_SUPPORT) != nullptr);
}

const void* GetExtension(const clap_plugin_t* plugin, const char* id) {
  const WrappedPlugin* w = Wrapper(plugin);
  if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &kLatencyExtension;
  if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return w->Params ? &kParamsExtension : nullptr;
  if (std::strcmp(id, CLAP_EXT_STATE) == 0) return w->State ? &kStateExtension : nullptr;
  if (std::strcmp(id, CLAP_EXT_GUI) == 0 && !HostCanShowEditor(w->Host)) return nullptr;
  return w->Inner->get_extension(w->Inner, id);
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
  auto* wrapper = new (std::nothrow) WrappedPlugin{
      *inner, inner, host,
      static_cast<const clap_plugin_params_t*>(inner->get_extension(inner, CLAP_EXT_PARAMS)),
      static_cast<const clap_plugin_state_t*>(inner->get_extension(inner, CLAP_EXT_STATE))};
  if (wrapper == nullptr) {
    inner->destroy(inner);
    return nullptr;
  }
  wrapper->Face.desc = Descriptor(nullptr, 0);
  wrapper->Face.process = Process;
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
