// The VST3 module's entry point: DPF's VST3 plugin, with its saved state and
// its parameter changes handled here. DPF is used as Debian ships it; this
// glue wraps DPF's factory, and each component it creates with its audio
// processor and its edit controller, in objects of its own that forward
// every other call to DPF's unchanged.
//
// State: DPF reads the saved values with the C library's locale-dependent
// conversions, so a host running in a German or French locale got other
// values back; it refuses a state its stream gives in pieces, and prints an
// assertion at the end of every load; and it takes any number it finds, out
// of range or not. The component moves the state between the host's stream
// and memory itself, in loops, and hands DPF only states it has read and
// written anew (state_streams.h), whole.
//
// Parameter changes: process hands DPF the host's changes through
// CheckedChanges (vst3_changes.h), which keeps those of a block without
// audio for the next block.
//
// Programs: DPF offers the presets only as its program change parameter,
// with no program list, so hosts had no names for their preset menu. The
// plugin answers for the unit information itself (vst3_program_list.h),
// from the controller and, as one object, from the component too.
#include <travesty/audio_processor.h>
#include <travesty/bstream.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/factory.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <new>
#include <type_traits>

#include "vst3_clap/state_streams.h"
#include "vst3_clap/vst3_changes.h"
#include "vst3_clap/vst3_objects.h"
#include "vst3_clap/vst3_program_list.h"

// DPF's own factory entry, renamed where its source is compiled (dpf_vst3_main.cpp).
extern "C" const void* vorel_dpf_vst3_factory();

namespace {

using vorel::FunctionsOf;
using vorel::NoInterface;
using vorel::NotCounted;

// A face's call answered by DPF's object behind it, with that object as self.
#define VOREL_FORWARD(Face, Table, part, name)                       \
  [](void* self, auto... arguments) {                                \
    void* inner = Face::InnerOf(self);                               \
    return FunctionsOf<Table>(inner).part.name(inner, arguments...); \
  }

bool Matches(const v3_tuid iid, std::initializer_list<const uint8_t*> ids) {
  return std::any_of(ids.begin(), ids.end(),
                     [&](const uint8_t* id) { return v3_tuid_match(iid, id); });
}

// DPF's state calls read and write memory.
struct MemoryStream {
  struct Table : v3_funknown {
    v3_bstream stream;
  };
  const Table* Functions;
  vorel::StateBuffer* State;
};

constexpr MemoryStream::Table kMemoryFunctions = {
    {NoInterface, NotCounted, NotCounted},
    {[](void* self, void* buffer, int32_t size, int32_t* done) -> v3_result {
       const int64_t count =
           static_cast<MemoryStream*>(self)->State->Take(buffer, std::max(size, 0));
       if (done != nullptr) *done = static_cast<int32_t>(count);
       return V3_OK;
     },
     [](void* self, void* buffer, int32_t size, int32_t* done) -> v3_result {
       const int64_t count =
           static_cast<MemoryStream*>(self)->State->Put(buffer, std::max(size, 0));
       if (done != nullptr) *done = count < 0 ? 0 : static_cast<int32_t>(count);
       return count < 0 ? V3_NOMEM : V3_OK;
     },
     [](void*, int64_t, int32_t, int64_t*) -> v3_result { return V3_NOT_IMPLEMENTED; },
     [](void* self, int64_t* position) -> v3_result {
       *position = static_cast<int64_t>(static_cast<MemoryStream*>(self)->State->ReadPosition);
       return V3_OK;
     }}};

// The host's stream, one call.
int64_t ReadHost(void* stream, char* buffer, std::size_t size) {
  auto** host = static_cast<v3_bstream**>(stream);
  int32_t done = -1;
  const int32_t asked = static_cast<int32_t>(std::min<std::size_t>(size, INT32_MAX));
  return v3_cpp_obj(host)->read(host, buffer, asked, &done) == V3_OK ? done : -1;
}

int64_t WriteHost(void* stream, const char* buffer, std::size_t size) {
  auto** host = static_cast<v3_bstream**>(stream);
  int32_t done = -1;
  const int32_t offered = static_cast<int32_t>(std::min<std::size_t>(size, INT32_MAX));
  return v3_cpp_obj(host)->write(host, const_cast<char*>(buffer), offered, &done) == V3_OK ? done
                                                                                           : -1;
}

struct Instance;

// One of a plugin's faces, the component, its audio processor, its edit
// controller and its unit information: the VST3 layout, a pointer to its
// functions first. All count references in the instance, as one object does.
template <class Table>
struct Face {
  const Table* Functions;
  Instance* Owner;
  static Instance& Of(void* self) { return *static_cast<Face*>(self)->Owner; }
  static void* InnerOf(void* self);
};
using ComponentFace = Face<v3_component_cpp>;
using ProcessorFace = Face<v3_audio_processor_cpp>;
using ControllerFace = Face<v3_edit_controller_cpp>;
using UnitFace = Face<v3_unit_information_cpp>;

extern const v3_component_cpp kComponentFunctions;
extern const v3_audio_processor_cpp kProcessorFunctions;
extern const v3_edit_controller_cpp kControllerFunctions;
extern const v3_unit_information_cpp kUnitFunctions;

struct Instance {
  explicit Instance(v3_component** inner) : InnerComponent(inner) {}

  ComponentFace Component = {&kComponentFunctions, this};
  ProcessorFace Processor = {&kProcessorFunctions, this};
  ControllerFace Controller = {&kControllerFunctions, this};
  UnitFace Units = {&kUnitFunctions, this};
  std::atomic<uint32_t> References{1};
  v3_component** InnerComponent;
  // Each asked of DPF's component when the host first asks.
  v3_audio_processor** InnerProcessor = nullptr;
  v3_edit_controller** InnerController = nullptr;
  vorel::CheckedChanges Changes;
};

// DPF's object behind a face.
template <class Table>
void* Face<Table>::InnerOf(void* self) {
  if constexpr (std::is_same_v<Table, v3_component_cpp>) {
    return Of(self).InnerComponent;
  } else if constexpr (std::is_same_v<Table, v3_edit_controller_cpp>) {
    return Of(self).InnerController;
  } else {
    return Of(self).InnerProcessor;
  }
}

template <class Table>
uint32_t V3_API Ref(void* self) {
  return ++Face<Table>::Of(self).References;
}

// The last reference lets DPF's objects go, the component last, as DPF's
// component expects.
template <class Table>
uint32_t V3_API Unref(void* self) {
  Instance& instance = Face<Table>::Of(self);
  const uint32_t left = --instance.References;
  if (left == 0) {
    if (instance.InnerProcessor != nullptr) v3_cpp_obj_unref(instance.InnerProcessor);
    if (instance.InnerController != nullptr) v3_cpp_obj_unref(instance.InnerController);
    v3_cpp_obj_unref(instance.InnerComponent);
    delete &instance;
  }
  return left;
}

// A face of the instance, counted.
v3_result Give(Instance& instance, void* face, void** object) {
  ++instance.References;
  *object = face;
  return V3_OK;
}

// The face for iid with DPF's object behind it, which DPF's component makes
// when first asked and the instance keeps from then on.
template <class Inner>
v3_result GiveWithInner(Instance& instance, const v3_tuid iid, Inner**& kept, void* face,
                        void** object) {
  *object = nullptr;
  if (kept == nullptr) {
    void* inner = instance.InnerComponent;
    void* made = nullptr;
    const v3_result result = FunctionsOf<v3_funknown>(inner).query_interface(inner, iid, &made);
    if (result != V3_OK) return result;
    kept = static_cast<Inner**>(made);
  }
  return Give(instance, face, object);
}

// The faces every face answers for; others go to DPF's component.
v3_result QueryShared(Instance& instance, const v3_tuid iid, void** object) {
  if (Matches(iid, {v3_audio_processor_iid}))
    return GiveWithInner(instance, iid, instance.InnerProcessor, &instance.Processor, object);
  if (Matches(iid, {v3_edit_controller_iid}))
    return GiveWithInner(instance, iid, instance.InnerController, &instance.Controller, object);
  if (Matches(iid, {v3_unit_information_iid})) return Give(instance, &instance.Units, object);
  void* inner = instance.InnerComponent;
  return FunctionsOf<v3_funknown>(inner).query_interface(inner, iid, object);
}

v3_result V3_API QueryComponent(void* self, const v3_tuid iid, void** object) {
  Instance& instance = ComponentFace::Of(self);
  if (Matches(iid, {v3_funknown_iid, v3_plugin_base_iid, v3_component_iid}))
    return Give(instance, self, object);
  return QueryShared(instance, iid, object);
}

v3_result V3_API QueryController(void* self, const v3_tuid iid, void** object) {
  Instance& instance = ControllerFace::Of(self);
  if (Matches(iid, {v3_funknown_iid, v3_plugin_base_iid, v3_edit_controller_iid}))
    return Give(instance, self, object);
  if (Matches(iid, {v3_unit_information_iid})) return Give(instance, &instance.Units, object);
  void* inner = instance.InnerController;
  return FunctionsOf<v3_funknown>(inner).query_interface(inner, iid, object);
}

v3_result V3_API QueryUnits(void* self, const v3_tuid iid, void** object) {
  Instance& instance = UnitFace::Of(self);
  if (Matches(iid, {v3_funknown_iid, v3_unit_information_iid})) return Give(instance, self, object);
  return QueryShared(instance, iid, object);
}

v3_result V3_API QueryProcessor(void* self, const v3_tuid iid, void** object) {
  Instance& instance = ProcessorFace::Of(self);
  if (Matches(iid, {v3_funknown_iid, v3_audio_processor_iid})) {
    ++instance.References;
    *object = &instance.Processor;
    return V3_OK;
  }
  void* inner = instance.InnerProcessor;
  return FunctionsOf<v3_funknown>(inner).query_interface(inner, iid, object);
}

v3_result V3_API SetState(void* self, v3_bstream** stream) {
  Instance& instance = ComponentFace::Of(self);
  vorel::StateBuffer state;
  if (stream == nullptr || !vorel::ReceiveState(ReadHost, stream, state)) return V3_FALSE;
  MemoryStream memory = {&kMemoryFunctions, &state};
  v3_component** inner = instance.InnerComponent;
  const v3_result result =
      v3_cpp_obj(inner)->set_state(inner, reinterpret_cast<v3_bstream**>(&memory));
  if (result == V3_OK) instance.Changes.Forget();
  return result;
}

v3_result V3_API GetState(void* self, v3_bstream** stream) {
  v3_component** inner = ComponentFace::Of(self).InnerComponent;
  vorel::StateBuffer saved;
  MemoryStream memory = {&kMemoryFunctions, &saved};
  if (stream == nullptr) return V3_INVALID_ARG;
  const v3_result result =
      v3_cpp_obj(inner)->get_state(inner, reinterpret_cast<v3_bstream**>(&memory));
  if (result != V3_OK) return result;
  return vorel::SendState(saved, WriteHost, stream) ? V3_OK : V3_FALSE;
}

// DPF never sees the host's changes as they are: see vst3_changes.h.
v3_result V3_API Process(void* self, v3_process_data* data) {
  Instance& instance = ProcessorFace::Of(self);
  if (data == nullptr) return V3_INVALID_ARG;
  v3_process_data checked = *data;
  if (data->nframes > 0) {
    checked.input_params = instance.Changes.Checked(data->input_params);
  } else {
    instance.Changes.Keep(data->input_params);
    checked.input_params = nullptr;
  }
  v3_audio_processor** inner = instance.InnerProcessor;
  return v3_cpp_obj(inner)->process(inner, &checked);
}

const v3_component_cpp kComponentFunctions = {
    {QueryComponent, Ref<v3_component_cpp>, Unref<v3_component_cpp>},
    {VOREL_FORWARD(ComponentFace, v3_component_cpp, base, initialize),
     VOREL_FORWARD(ComponentFace, v3_component_cpp, base, terminate)},
    {VOREL_FORWARD(ComponentFace, v3_component_cpp, comp, get_controller_class_id),
     VOREL_FORWARD(ComponentFace, v3_component_cpp, comp, set_io_mode),
     VOREL_FORWARD(ComponentFace, v3_component_cpp, comp, get_bus_count),
     VOREL_FORWARD(ComponentFace, v3_component_cpp, comp, get_bus_info),
     VOREL_FORWARD(ComponentFace, v3_component_cpp, comp, get_routing_info),
     VOREL_FORWARD(ComponentFace, v3_component_cpp, comp, activate_bus),
     VOREL_FORWARD(ComponentFace, v3_component_cpp, comp, set_active), SetState, GetState}};

const v3_audio_processor_cpp kProcessorFunctions = {
    {QueryProcessor, Ref<v3_audio_processor_cpp>, Unref<v3_audio_processor_cpp>},
    {VOREL_FORWARD(ProcessorFace, v3_audio_processor_cpp, proc, set_bus_arrangements),
     VOREL_FORWARD(ProcessorFace, v3_audio_processor_cpp, proc, get_bus_arrangement),
     VOREL_FORWARD(ProcessorFace, v3_audio_processor_cpp, proc, can_process_sample_size),
     VOREL_FORWARD(ProcessorFace, v3_audio_processor_cpp, proc, get_latency_samples),
     VOREL_FORWARD(ProcessorFace, v3_audio_processor_cpp, proc, setup_processing),
     VOREL_FORWARD(ProcessorFace, v3_audio_processor_cpp, proc, set_processing), Process,
     VOREL_FORWARD(ProcessorFace, v3_audio_processor_cpp, proc, get_tail_samples)}};

const v3_edit_controller_cpp kControllerFunctions = {
    {QueryController, Ref<v3_edit_controller_cpp>, Unref<v3_edit_controller_cpp>},
    {VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, base, initialize),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, base, terminate)},
    {VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, set_component_state),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, set_state),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, get_state),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, get_parameter_count),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, get_parameter_info),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, get_parameter_string_for_value),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, get_parameter_value_for_string),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, normalised_parameter_to_plain),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, plain_parameter_to_normalised),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, get_parameter_normalised),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, set_parameter_normalised),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, set_component_handler),
     VOREL_FORWARD(ControllerFace, v3_edit_controller_cpp, ctrl, create_view)}};

const v3_unit_information_cpp kUnitFunctions = {
    {QueryUnits, Ref<v3_unit_information_cpp>, Unref<v3_unit_information_cpp>},
    vorel::kProgramListCalls};

// DPF's factory, with each component it creates wrapped.
struct FactoryFace {
  const v3_plugin_factory_cpp* Functions;
  std::atomic<uint32_t> References;
  v3_plugin_factory** Inner;
  static FactoryFace& Of(void* self) { return *static_cast<FactoryFace*>(self); }
  static void* InnerOf(void* self) { return Of(self).Inner; }
};

v3_result V3_API QueryFactory(void* self, const v3_tuid iid, void** object) {
  FactoryFace& factory = FactoryFace::Of(self);
  if (Matches(iid, {v3_funknown_iid, v3_plugin_factory_iid, v3_plugin_factory_2_iid,
                    v3_plugin_factory_3_iid})) {
    ++factory.References;
    *object = self;
    return V3_OK;
  }
  return FunctionsOf<v3_funknown>(factory.Inner).query_interface(factory.Inner, iid, object);
}

uint32_t V3_API RefFactory(void* self) { return ++FactoryFace::Of(self).References; }

uint32_t V3_API UnrefFactory(void* self) {
  FactoryFace& factory = FactoryFace::Of(self);
  const uint32_t left = --factory.References;
  if (left == 0) {
    v3_cpp_obj_unref(factory.Inner);
    delete &factory;
  }
  return left;
}

// Null, as for another class, when memory runs out: DPF allocates with
// operator new, and nothing may throw into the host.
v3_result V3_API CreateInstance(void* self, const v3_tuid classId, const v3_tuid iid,
                                void** object) {
  v3_plugin_factory** inner = FactoryFace::Of(self).Inner;
  void* component = nullptr;
  *object = nullptr;
  v3_result result = V3_NOMEM;
  try {
    result = v3_cpp_obj(inner)->create_instance(inner, classId, iid, &component);
  } catch (...) {
  }
  if (result != V3_OK || component == nullptr) return result;
  auto* instance = new (std::nothrow) Instance(static_cast<v3_component**>(component));
  if (instance == nullptr) {
    v3_cpp_obj_unref(static_cast<v3_component**>(component));
    return V3_NOMEM;
  }
  *object = &instance->Component;
  return V3_OK;
}

const v3_plugin_factory_cpp kFactoryFunctions = {
    {QueryFactory, RefFactory, UnrefFactory},
    {VOREL_FORWARD(FactoryFace, v3_plugin_factory_cpp, v1, get_factory_info),
     VOREL_FORWARD(FactoryFace, v3_plugin_factory_cpp, v1, num_classes),
     VOREL_FORWARD(FactoryFace, v3_plugin_factory_cpp, v1, get_class_info), CreateInstance},
    {VOREL_FORWARD(FactoryFace, v3_plugin_factory_cpp, v2, get_class_info_2)},
    {VOREL_FORWARD(FactoryFace, v3_plugin_factory_cpp, v3, get_class_info_utf16),
     VOREL_FORWARD(FactoryFace, v3_plugin_factory_cpp, v3, set_host_context)}};

}  // namespace

extern "C" __attribute__((visibility("default"))) const void* GetPluginFactory() {
  v3_plugin_factory** inner = nullptr;
  try {
    inner = static_cast<v3_plugin_factory**>(const_cast<void*>(vorel_dpf_vst3_factory()));
  } catch (...) {
    return nullptr;
  }
  auto* factory = new (std::nothrow) FactoryFace{&kFactoryFunctions, {1}, inner};
  if (factory == nullptr) v3_cpp_obj_unref(inner);
  return factory;
}
