// The host side of a VST3 editor on Linux, on the interface definitions
// that DPF ships (travesty): the host application, which makes the
// messages DPF's editor and controller pass each other; the plug frame
// with the host's run loop, whose timers and event handlers the host's
// idle calls; and the component handler, which keeps the edits it gets.
// All of it on the host's main thread.
#pragma once

#include <travesty/edit_controller.h>
#include <travesty/host.h>
#include <travesty/view.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/vst3_host.h"

namespace vorel_host {

// One object's interface with its functions first, as VST3 lays it out,
// and the host it belongs to.
template <class Functions, class Owner>
struct HostFace {
  const Functions* Table;
  Owner* Host;
  static Owner& Of(void* self) { return *static_cast<HostFace*>(self)->Host; }
};

// The self of an interface that answers only for itself.
template <const uint8_t* Iid>
v3_result V3_API QueryOnly(void* self, const v3_tuid iid, void** object) {
  const bool known = v3_tuid_match(iid, Iid) || v3_tuid_match(iid, v3_funknown_iid);
  *object = known ? self : nullptr;
  return known ? V3_OK : V3_NO_INTERFACE;
}

// A message and its attributes, counted, gone with its last reference. It
// keeps whole numbers and floats: all that DPF's editor and controller pass
// for a plugin without state keys or MIDI.
class Vst3Message {
 public:
  v3_message** Face() { return reinterpret_cast<v3_message**>(&Message); }

 private:
  using Self = HostFace<v3_message_cpp, Vst3Message>;
  using ListSelf = HostFace<v3_attribute_list_cpp, Vst3Message>;

  static uint32_t V3_API Ref(void* self) { return ++Self::Of(self).References; }
  static uint32_t V3_API Unref(void* self) {
    Vst3Message& message = Self::Of(self);
    const uint32_t left = --message.References;
    if (left == 0) delete &message;
    return left;
  }
  static const char* V3_API Id(void* self) { return Self::Of(self).MessageId.c_str(); }
  static void V3_API SetId(void* self, const char* id) { Self::Of(self).MessageId = id; }
  static v3_attribute_list** V3_API Attributes(void* self) {
    return reinterpret_cast<v3_attribute_list**>(&Self::Of(self).List);
  }

  template <typename T>
  static v3_result Set(std::map<std::string, T>& values, const char* id, T value) {
    values[id] = value;
    return V3_OK;
  }
  template <typename T>
  static v3_result Get(const std::map<std::string, T>& values, const char* id, T* value) {
    const auto found = values.find(id);
    if (found == values.end()) return V3_INVALID_ARG;
    *value = found->second;
    return V3_OK;
  }
  static v3_result V3_API SetInt(void* self, const char* id, int64_t value) {
    return Set(ListSelf::Of(self).Ints, id, value);
  }
  static v3_result V3_API GetInt(void* self, const char* id, int64_t* value) {
    return Get(ListSelf::Of(self).Ints, id, value);
  }
  static v3_result V3_API SetFloat(void* self, const char* id, double value) {
    return Set(ListSelf::Of(self).Floats, id, value);
  }
  static v3_result V3_API GetFloat(void* self, const char* id, double* value) {
    return Get(ListSelf::Of(self).Floats, id, value);
  }
  static v3_result V3_API NoString(void*, const char*, const int16_t*) {
    return V3_NOT_IMPLEMENTED;
  }
  static v3_result V3_API NoStringOut(void*, const char*, int16_t*, uint32_t) {
    return V3_NOT_IMPLEMENTED;
  }
  static v3_result V3_API NoBinary(void*, const char*, const void*, uint32_t) {
    return V3_NOT_IMPLEMENTED;
  }
  static v3_result V3_API NoBinaryOut(void*, const char*, const void**, uint32_t*) {
    return V3_NOT_IMPLEMENTED;
  }

  static constexpr v3_message_cpp kMessage = {{QueryOnly<v3_message_iid>, Ref, Unref},
                                              {Id, SetId, Attributes}};
  static constexpr v3_attribute_list_cpp kList = {
      {QueryOnly<v3_attribute_list_iid>, Ref, Unref},
      {SetInt, GetInt, SetFloat, GetFloat, NoString, NoStringOut, NoBinary, NoBinaryOut}};

  Self Message{&kMessage, this};
  ListSelf List{&kList, this};
  uint32_t References = 1;
  std::string MessageId;
  std::map<std::string, int64_t> Ints;
  std::map<std::string, double> Floats;
};

// travesty names no table for the component handler.
struct ComponentHandlerTable : v3_funknown {
  v3_component_handler handler;
};

// The host: its application, frame and run loop, and component handler.
class Vst3EditorHost {
 public:
  // An edit as the component handler got it: 'b'egin, 'p'erform or 'e'nd,
  // or 'r'estart with the flags as its value.
  struct Edit {
    char Kind;
    v3_param_id Id;
    double Value;
  };
  std::vector<Edit> Edits;

  Vst3EditorHost() = default;
  Vst3EditorHost(const Vst3EditorHost&) = delete;  // the plugin holds its faces
  Vst3EditorHost& operator=(const Vst3EditorHost&) = delete;

  v3_funknown** Application() { return reinterpret_cast<v3_funknown**>(&App); }
  v3_plugin_frame** Frame() { return reinterpret_cast<v3_plugin_frame**>(&PlugFrame); }
  v3_component_handler** Handler() {
    return reinterpret_cast<v3_component_handler**>(&HandlerFace);
  }
  std::size_t TimerCount() const { return Timers.size(); }

  // The host's event loop a number of times: each event handler told its
  // descriptor is ready, each timer fired, a short wait.
  void Idle(int times) {
    for (int i = 0; i < times; ++i) {
      for (const auto& [handler, fd] : std::vector(Handlers))
        v3_cpp_obj(handler)->on_fd_is_set(handler, fd);
      for (v3_timer_handler** timer : std::vector(Timers)) v3_cpp_obj(timer)->on_timer(timer);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

 private:
  using AppSelf = HostFace<v3_host_application_cpp, Vst3EditorHost>;
  using FrameSelf = HostFace<v3_plugin_frame_cpp, Vst3EditorHost>;
  using LoopSelf = HostFace<v3_run_loop_cpp, Vst3EditorHost>;
  using HandlerSelf = HostFace<ComponentHandlerTable, Vst3EditorHost>;

  static v3_result V3_API Name(void*, v3_str_128 name) {
    name[0] = 0;
    return V3_OK;
  }
  static v3_result V3_API Make(void*, v3_tuid, v3_tuid iid, void** object) {
    *object = v3_tuid_match(iid, v3_message_iid) ? (new Vst3Message)->Face() : nullptr;
    return *object != nullptr ? V3_OK : V3_NOT_IMPLEMENTED;
  }

  // DPF's view finds the run loop through the frame.
  static v3_result V3_API QueryFrame(void* self, const v3_tuid iid, void** object) {
    if (v3_tuid_match(iid, v3_run_loop_iid)) {
      *object = &FrameSelf::Of(self).Loop;
      return V3_OK;
    }
    return QueryOnly<v3_plugin_frame_iid>(self, iid, object);
  }
  static v3_result V3_API Resize(void*, v3_plugin_view**, v3_view_rect*) { return V3_OK; }

  static v3_result V3_API AddHandler(void* self, v3_event_handler** handler, int fd) {
    LoopSelf::Of(self).Handlers.emplace_back(handler, fd);
    return V3_OK;
  }
  static v3_result V3_API RemoveHandler(void* self, v3_event_handler** handler) {
    auto& handlers = LoopSelf::Of(self).Handlers;
    handlers.erase(std::remove_if(handlers.begin(), handlers.end(),
                                  [&](const auto& entry) { return entry.first == handler; }),
                   handlers.end());
    return V3_OK;
  }
  static v3_result V3_API AddTimer(void* self, v3_timer_handler** timer, uint64_t) {
    LoopSelf::Of(self).Timers.push_back(timer);
    return V3_OK;
  }
  static v3_result V3_API RemoveTimer(void* self, v3_timer_handler** timer) {
    auto& timers = LoopSelf::Of(self).Timers;
    timers.erase(std::remove(timers.begin(), timers.end(), timer), timers.end());
    return V3_OK;
  }

  static v3_result Keep(void* self, char kind, v3_param_id id, double value) {
    HandlerSelf::Of(self).Edits.push_back({kind, id, value});
    return V3_OK;
  }
  static v3_result V3_API Begin(void* self, v3_param_id id) { return Keep(self, 'b', id, 0.0); }
  static v3_result V3_API Perform(void* self, v3_param_id id, double value) {
    return Keep(self, 'p', id, value);
  }
  static v3_result V3_API End(void* self, v3_param_id id) { return Keep(self, 'e', id, 0.0); }
  static v3_result V3_API Restart(void* self, int32_t flags) { return Keep(self, 'r', 0, flags); }

  static constexpr v3_host_application_cpp kApp = {
      {QueryOnly<v3_host_application_iid>, Static, Static}, {Name, Make}};
  static constexpr v3_plugin_frame_cpp kFrame = {{QueryFrame, Static, Static}, {Resize}};
  static constexpr v3_run_loop_cpp kLoop = {{QueryOnly<v3_run_loop_iid>, Static, Static},
                                            {AddHandler, RemoveHandler, AddTimer, RemoveTimer}};
  static constexpr ComponentHandlerTable kHandler = {
      {QueryOnly<v3_component_handler_iid>, Static, Static}, {Begin, Perform, End, Restart}};

  AppSelf App{&kApp, this};
  FrameSelf PlugFrame{&kFrame, this};
  LoopSelf Loop{&kLoop, this};
  HandlerSelf HandlerFace{&kHandler, this};
  std::vector<std::pair<v3_event_handler**, int>> Handlers;
  std::vector<v3_timer_handler**> Timers;
};

}  // namespace vorel_host
