// A small CLAP host on the CLAP headers that DPF ships: loads a module,
// creates its plugin, and runs stereo blocks with parameter events. It
// offers the host extensions DPF's plugins ask for (latency, parameters),
// or none at all, and on request those an editor needs (gui,
// timer-support), keeping the parameter events the plugin sends. Nothing
// here allocates once a plugin is active, so the real-time test can count
// the plugin's heap calls alone.
#pragma once

#include <clap/entry.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>
#include <clap/process.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/dynamic_loader.h"

namespace vorel_host {

// The module, loaded and its entry initialised, until destroyed.
class ClapModule {
 public:
  explicit ClapModule(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) return;
    entry_ = static_cast<const clap_plugin_entry_t*>(dlsym(handle_, "clap_entry"));
    if (entry_ != nullptr && !entry_->init(path)) entry_ = nullptr;
  }
  ~ClapModule() {
    if (entry_ != nullptr) entry_->deinit();
    if (handle_ != nullptr) dlclose(handle_);
  }
  const clap_plugin_factory_t* Factory() const {
    if (entry_ == nullptr) return nullptr;
    return static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
  }

 private:
  void* handle_;
  const clap_plugin_entry_t* entry_ = nullptr;
};

// The host side of one plugin instance.
class ClapHost {
 public:
  static constexpr uint32_t kChannels = 2;
  static constexpr uint32_t kMaxEvents = 16;
  static constexpr uint32_t kMaxEventSize = 128;

  // With offerExtensions false the host answers every extension query with
  // null, as CLAP allows; with offerEditor it offers gui and, unless
  // offerTimer is false, timer-support too, and keeps the plugin's output events.
  explicit ClapHost(bool offerExtensions, bool offerEditor = false, bool offerTimer = true)
      : offer_(offerExtensions), offerEditor_(offerEditor), offerTimer_(offerTimer) {
    host_ = {CLAP_VERSION, this,         "vorel-test-host", "",      "",
             "1",          GetExtension, Request,           Request, Request};
    inEvents_ = {this, EventCount, EventAt};
    outEvents_ = {this, offerEditor ? KeepEvent : DropEvent};
  }

  // A parameter event the plugin sent: its type, parameter and value.
  struct SentEvent {
    uint16_t Type;
    clap_id Parameter;
    double Value;
  };
  SentEvent Sent[kMaxEvents] = {};
  uint32_t SentCount = 0;
  // The timer the plugin registered, or CLAP_INVALID_ID.
  clap_id Timer = CLAP_INVALID_ID;

  // Creates and initialises the module's first plugin; null on failure.
  const clap_plugin_t* Create(const clap_plugin_factory_t* factory) {
    if (factory == nullptr || factory->get_plugin_count(factory) < 1) return nullptr;
    const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, 0);
    const clap_plugin_t* plugin = factory->create_plugin(factory, &host_, d->id);
    if (plugin != nullptr && !plugin->init(plugin)) {
      plugin->destroy(plugin);
      plugin = nullptr;
    }
    return plugin;
  }

  template <typename T>
  static const T* Extension(const clap_plugin_t* plugin, const char* id) {
    return static_cast<const T*>(plugin->get_extension(plugin, id));
  }

  // Queues a parameter change for the next Process.
  void SetParameter(uint32_t id, double value) {
    clap_event_param_value_t e = {};
    e.header = {sizeof(clap_event_param_value_t), 0, CLAP_CORE_EVENT_SPACE_ID,
                CLAP_EVENT_PARAM_VALUE, 0};
    e.param_id = id;
    e.note_id = -1;
    e.port_index = -1;
    e.channel = -1;
    e.key = -1;
    e.value = value;
    Send(e.header);
  }

  // Queues any event of at most kMaxEventSize bytes, as its header gives
  // its size.
  void Send(const clap_event_header_t& event) {
    if (eventCount_ == kMaxEvents || event.size > kMaxEventSize) return;
    std::memcpy(&events_[eventCount_++], &event, event.size);
  }

  // One block of count samples per channel, with the queued events.
  clap_process_status Process(const clap_plugin_t* plugin, float* const* in, float* const* out,
                              uint32_t count) {
    clap_audio_buffer_t inBuffer = {const_cast<float**>(in), nullptr, kChannels, 0, 0};
    clap_audio_buffer_t outBuffer = {const_cast<float**>(out), nullptr, kChannels, 0, 0};
    clap_process_t process = {steadyTime_, count, nullptr,    &inBuffer,  &outBuffer,
                              1,           1,     &inEvents_, &outEvents_};
    const clap_process_status status = plugin->process(plugin, &process);
    steadyTime_ += count;
    eventCount_ = 0;
    return status;
  }

 private:
  static ClapHost* Self(const clap_host_t* host) { return static_cast<ClapHost*>(host->host_data); }

  static const void* GetExtension(const clap_host_t* host, const char* id) {
    if (Self(host)->offerEditor_ && std::strcmp(id, CLAP_EXT_GUI) == 0) return &kGui;
    if (Self(host)->offerEditor_ && Self(host)->offerTimer_ &&
        std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0)
      return &kTimer;
    if (!Self(host)->offer_) return nullptr;
    if (std::strcmp(id, CLAP_EXT_LATENCY) == 0) return &kLatency;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
    return nullptr;
  }
  static void Request(const clap_host_t*) {}
  static void LatencyChanged(const clap_host_t*) {}
  static void Rescan(const clap_host_t*, clap_param_rescan_flags) {}
  static void Clear(const clap_host_t*, clap_id, clap_param_clear_flags) {}
  static void RequestFlush(const clap_host_t*) {}

  static uint32_t EventCount(const clap_input_events_t* list) {
    return static_cast<ClapHost*>(list->ctx)->eventCount_;
  }
  static const clap_event_header_t* EventAt(const clap_input_events_t* list, uint32_t index) {
    return reinterpret_cast<const clap_event_header_t*>(
        &static_cast<ClapHost*>(list->ctx)->events_[index]);
  }
  static bool DropEvent(const clap_output_events_t*, const clap_event_header_t*) { return true; }
  static bool KeepEvent(const clap_output_events_t* list, const clap_event_header_t* event) {
    auto* self = static_cast<ClapHost*>(list->ctx);
    if (self->SentCount == kMaxEvents) return false;
    SentEvent& kept = self->Sent[self->SentCount++];
    kept.Type = event->type;
    if (event->type == CLAP_EVENT_PARAM_VALUE) {
      const auto* e = reinterpret_cast<const clap_event_param_value_t*>(event);
      kept.Parameter = e->param_id;
      kept.Value = e->value;
    } else if (event->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ||
               event->type == CLAP_EVENT_PARAM_GESTURE_END) {
      kept.Parameter = reinterpret_cast<const clap_event_param_gesture_t*>(event)->param_id;
    }
    return true;
  }
  static void HintsChanged(const clap_host_t*) {}
  static bool RequestResize(const clap_host_t*, uint32_t, uint32_t) { return false; }
  static bool RequestShowOrHide(const clap_host_t*) { return false; }
  static void Closed(const clap_host_t*, bool) {}
  static bool RegisterTimer(const clap_host_t* host, uint32_t, clap_id* id) {
    *id = Self(host)->Timer = 1;
    return true;
  }
  static bool UnregisterTimer(const clap_host_t* host, clap_id) {
    Self(host)->Timer = CLAP_INVALID_ID;
    return true;
  }

  static constexpr clap_host_latency_t kLatency = {LatencyChanged};
  static constexpr clap_host_params_t kParams = {Rescan, Clear, RequestFlush};
  static constexpr clap_host_gui_t kGui = {HintsChanged, RequestResize, RequestShowOrHide,
                                           RequestShowOrHide, Closed};
  static constexpr clap_host_timer_support_t kTimer = {RegisterTimer, UnregisterTimer};

  bool offer_;
  bool offerEditor_;
  bool offerTimer_;
  clap_host_t host_;
  clap_input_events_t inEvents_;
  clap_output_events_t outEvents_;
  struct alignas(8) EventSlot {
    unsigned char bytes[kMaxEventSize];
  };
  EventSlot events_[kMaxEvents] = {};
  uint32_t eventCount_ = 0;
  int64_t steadyTime_ = 0;
};

// A memory stream for the state extension. As CLAP allows, it takes and
// gives at most Chunk bytes a call; with Broken set every call fails.
struct ClapStateBuffer {
  std::string Bytes;
  std::size_t ReadPosition = 0;
  std::size_t Chunk = SIZE_MAX;
  bool Broken = false;

  clap_ostream_t Writer() { return {this, Write}; }
  clap_istream_t Reader() { return {this, Read}; }

 private:
  static int64_t Write(const clap_ostream_t* stream, const void* buffer, uint64_t size) {
    auto* self = static_cast<ClapStateBuffer*>(stream->ctx);
    const uint64_t n = size < self->Chunk ? size : self->Chunk;
    if (self->Broken) return -1;
    self->Bytes.append(static_cast<const char*>(buffer), n);
    return static_cast<int64_t>(n);
  }
  static int64_t Read(const clap_istream_t* stream, void* buffer, uint64_t size) {
    auto* self = static_cast<ClapStateBuffer*>(stream->ctx);
    const uint64_t left = self->Bytes.size() - self->ReadPosition;
    const uint64_t n = std::min<uint64_t>({size, left, self->Chunk});
    if (self->Broken) return -1;
    std::memcpy(buffer, self->Bytes.data() + self->ReadPosition, n);
    self->ReadPosition += n;
    return static_cast<int64_t>(n);
  }
};

}  // namespace vorel_host
