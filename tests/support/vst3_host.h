// A small VST3 host on the interface definitions that DPF ships (travesty):
// loads a module as hosts do, creates its plugin with its audio processor
// and edit controller, runs stereo blocks with parameter changes, and saves
// and loads state through a memory stream. Nothing here allocates once a
// plugin is active, so the real-time test can count the plugin's heap calls
// alone.
#pragma once

#include <travesty/audio_processor.h>
#include <travesty/bstream.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/factory.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "effect/identity.h"
#include "support/dynamic_loader.h"

namespace vorel_host {

// The host's objects outlive the plugin's use of them: no other interfaces,
// no reference counting.
inline v3_result V3_API NoInterface(void*, const v3_tuid, void** object) {
  *object = nullptr;
  return V3_NO_INTERFACE;
}
inline uint32_t V3_API Static(void*) { return 1; }

// One parameter's changes in a block: up to four points, in order.
struct PointQueue {
  static constexpr int32_t kMaxPoints = 4;
  const v3_param_value_queue_cpp* Vtable;
  v3_param_id Id;
  int32_t Count;
  int32_t Offsets[kMaxPoints];
  double Values[kMaxPoints];

  // Adds a point after the others; false when full.
  bool Add(int32_t offset, double value) {
    if (Count == kMaxPoints) return false;
    Offsets[Count] = offset;
    Values[Count++] = value;
    return true;
  }

  static PointQueue& Of(void* self) { return *static_cast<PointQueue*>(self); }
  static v3_param_id V3_API GetId(void* self) { return Of(self).Id; }
  static int32_t V3_API PointCount(void* self) { return Of(self).Count; }
  static v3_result V3_API GetPoint(void* self, int32_t index, int32_t* offset, double* value) {
    if (index < 0 || index >= Of(self).Count) return V3_INVALID_ARG;
    *offset = Of(self).Offsets[index];
    *value = Of(self).Values[index];
    return V3_OK;
  }
  static v3_result V3_API AddPoint(void*, int32_t, double, int32_t* index) {
    *index = 0;
    return V3_OK;
  }
};
inline const v3_param_value_queue_cpp kPointQueueVtable = {
    {NoInterface, Static, Static},
    {PointQueue::GetId, PointQueue::PointCount, PointQueue::GetPoint, PointQueue::AddPoint}};

// A queue of one point.
inline PointQueue MakeChange(v3_param_id id, double value, int32_t offset = 0) {
  return {&kPointQueueVtable, id, 1, {offset}, {value}};
}

// A host's parameter changes for one block. As the output list it keeps
// whatever the plugin reports in its first queue.
struct ParameterChanges {
  const v3_param_changes_cpp* Vtable;
  PointQueue* Queues;
  int32_t Count;

  v3_param_changes** Face() { return reinterpret_cast<v3_param_changes**>(this); }
  static ParameterChanges& Of(void* self) { return *static_cast<ParameterChanges*>(self); }
  static int32_t V3_API QueueCount(void* self) { return Of(self).Count; }
  static v3_param_value_queue** V3_API QueueAt(void* self, int32_t index) {
    return reinterpret_cast<v3_param_value_queue**>(&Of(self).Queues[index]);
  }
  static v3_param_value_queue** V3_API AddQueue(void* self, v3_param_id*, int32_t* index) {
    *index = 0;
    return QueueAt(self, 0);
  }
};
inline const v3_param_changes_cpp kParameterChangesVtable = {
    {NoInterface, Static, Static},
    {ParameterChanges::QueueCount, ParameterChanges::QueueAt, ParameterChanges::AddQueue}};

inline ParameterChanges MakeChanges(PointQueue* queues, int32_t count) {
  return {&kParameterChangesVtable, queues, count};
}

// A state in memory, as a host's stream: it reads and writes at most Chunk
// bytes a call, and with Broken set every call fails.
struct Vst3StateStream {
  struct Vtable : v3_funknown {
    v3_bstream stream;
  };
  explicit Vst3StateStream(std::string bytes, std::size_t chunk = SIZE_MAX, bool broken = false)
      : Bytes(std::move(bytes)), Chunk(chunk), Broken(broken) {}

  const Vtable* Functions = &kFunctions;
  std::string Bytes;
  std::size_t ReadPosition = 0;
  std::size_t Chunk;
  bool Broken;

  v3_bstream** Face() { return reinterpret_cast<v3_bstream**>(this); }

 private:
  static Vst3StateStream& Of(void* self) { return *static_cast<Vst3StateStream*>(self); }
  static v3_result V3_API Read(void* self, void* buffer, int32_t size, int32_t* done) {
    Vst3StateStream& s = Of(self);
    std::size_t n = std::min(
        {static_cast<std::size_t>(size < 0 ? 0 : size), s.Chunk, s.Bytes.size() - s.ReadPosition});
    if (s.Broken) return V3_INTERNAL_ERR;
    std::memcpy(buffer, s.Bytes.data() + s.ReadPosition, n);
    s.ReadPosition += n;
    if (done != nullptr) *done = static_cast<int32_t>(n);
    return V3_OK;
  }
  static v3_result V3_API Write(void* self, void* buffer, int32_t size, int32_t* done) {
    Vst3StateStream& s = Of(self);
    if (s.Broken) return V3_INTERNAL_ERR;
    const std::size_t n = std::min(static_cast<std::size_t>(size < 0 ? 0 : size), s.Chunk);
    s.Bytes.append(static_cast<const char*>(buffer), n);
    if (done != nullptr) *done = static_cast<int32_t>(n);
    return V3_OK;
  }
  static v3_result V3_API Seek(void*, int64_t, int32_t, int64_t*) { return V3_NOT_IMPLEMENTED; }
  static v3_result V3_API Tell(void* self, int64_t* position) {
    *position = static_cast<int64_t>(Of(self).ReadPosition);
    return V3_OK;
  }
  static constexpr Vtable kFunctions = {{NoInterface, Static, Static}, {Read, Write, Seek, Tell}};
};

// The module, loaded and entered, with its factory, until destroyed.
class Vst3Module {
 public:
  explicit Vst3Module(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) return;
    auto getFactory = reinterpret_cast<const void* (*)()>(dlsym(handle_, "GetPluginFactory"));
    if (Enter() && getFactory != nullptr)
      factory_ = static_cast<v3_plugin_factory**>(const_cast<void*>(getFactory()));
  }
  ~Vst3Module() {
    if (factory_ != nullptr) v3_cpp_obj_unref(factory_);
    if (handle_ == nullptr) return;
    if (auto exit = reinterpret_cast<bool (*)()>(dlsym(handle_, kExit))) exit();
    dlclose(handle_);
  }
  v3_plugin_factory** Factory() const { return factory_; }

 private:
  // The module's entry and exit calls: Linux's take the module's handle,
  // Windows' nothing.
#ifdef _WIN32
  static constexpr const char* kExit = "ExitDll";
  bool Enter() {
    auto entry = reinterpret_cast<bool (*)()>(dlsym(handle_, "InitDll"));
    return entry != nullptr && entry();
  }
#else
  static constexpr const char* kExit = "ModuleExit";
  bool Enter() {
    auto entry = reinterpret_cast<bool (*)(void*)>(dlsym(handle_, "ModuleEntry"));
    return entry != nullptr && entry(handle_);
  }
#endif

  void* handle_;
  v3_plugin_factory** factory_ = nullptr;
};

// The class ID as hosts print it: the bytes of the v3_tuid in hex.
inline void ReadClassId(v3_tuid id) {
  const char* hex = VOREL_VST3_CLASS_ID;
  for (int i = 0; i < 16; ++i) {
    const char byte[3] = {hex[2 * i], hex[2 * i + 1], '\0'};
    id[i] = static_cast<uint8_t>(std::strtoul(byte, nullptr, 16));
  }
}

// One plugin: the component, initialised without a host context (DPF needs
// none but for an editor, whose messages the host makes), its audio
// processor and its edit controller. Ok() says whether all three were made.
class Vst3Plugin {
 public:
  static constexpr int32_t kChannels = 2;

  explicit Vst3Plugin(v3_plugin_factory** factory, v3_funknown** host = nullptr) {
    v3_tuid classId;
    ReadClassId(classId);
    if (factory == nullptr ||
        v3_cpp_obj(factory)->create_instance(factory, classId, v3_component_iid,
                                             reinterpret_cast<void**>(&Component)) != V3_OK)
      return;
    if (v3_cpp_obj_initialize(Component, host) != V3_OK) return;
    v3_cpp_obj_query_interface(Component, v3_audio_processor_iid, &Processor);
    v3_cpp_obj_query_interface(Component, v3_edit_controller_iid, &Controller);
  }
  ~Vst3Plugin() {
    if (Active) {
      v3_cpp_obj(Processor)->set_processing(Processor, false);
      v3_cpp_obj(Component)->set_active(Component, false);
    }
    if (Controller != nullptr) v3_cpp_obj_unref(Controller);
    if (Processor != nullptr) v3_cpp_obj_unref(Processor);
    if (Component == nullptr) return;
    v3_cpp_obj_terminate(Component);
    v3_cpp_obj_unref(Component);
  }
  bool Ok() const { return Processor != nullptr && Controller != nullptr; }

  // Stereo buses on, the rate and the largest block set up, processing on.
  bool Activate(double rate, int32_t maxBlock) {
    v3_component* c = v3_cpp_obj(Component);
    v3_audio_processor* p = v3_cpp_obj(Processor);
    v3_process_setup setup = {V3_REALTIME, V3_SAMPLE_32, maxBlock, rate};
    Active = c->activate_bus(Component, V3_AUDIO, V3_INPUT, 0, true) == V3_OK &&
             c->activate_bus(Component, V3_AUDIO, V3_OUTPUT, 0, true) == V3_OK &&
             p->setup_processing(Processor, &setup) == V3_OK &&
             c->set_active(Component, true) == V3_OK && p->set_processing(Processor, true) == V3_OK;
    return Active;
  }

  // One block of frames samples per channel (0 for a block without audio),
  // with the host's changes if any.
  v3_result Process(float* const* in, float* const* out, int32_t frames,
                    ParameterChanges* changes = nullptr) {
    v3_audio_bus_buffers inBus = {kChannels, 0, {const_cast<float**>(in)}};
    v3_audio_bus_buffers outBus = {kChannels, 0, {const_cast<float**>(out)}};
    PointQueue sink = MakeChange(0, 0.0);
    ParameterChanges output = MakeChanges(&sink, 0);
    v3_param_changes** input = changes != nullptr ? changes->Face() : nullptr;
    v3_process_data data = {V3_REALTIME, V3_SAMPLE_32, frames,        1,       1,       &inBus,
                            &outBus,     input,        output.Face(), nullptr, nullptr, nullptr};
    return v3_cpp_obj(Processor)->process(Processor, &data);
  }

  v3_component** Component = nullptr;
  v3_audio_processor** Processor = nullptr;
  v3_edit_controller** Controller = nullptr;
  bool Active = false;
};

}  // namespace vorel_host
