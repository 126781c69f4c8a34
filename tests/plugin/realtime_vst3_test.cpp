// The VST3 module is hard real-time capable too: process, with parameter
// changes of any value on every parameter, blocks of any size, in place or
// not, makes no heap call. The module is loaded as a host loads it and
// driven through DPF's own C definition of the VST3 interfaces.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <travesty/audio_processor.h>
#include <travesty/component.h>
#include <travesty/edit_controller.h>
#include <travesty/factory.h>

#include <cstdlib>
#include <iterator>
#include <limits>
#include <vector>

#include "effect/identity.h"
#include "effect/port_table.h"
#include "support/alloc_counter.h"
#include "support/signals.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The class ID as hosts print it: the bytes of the v3_tuid in hex.
void ReadClassId(v3_tuid id) {
  const char* hex = VOREL_VST3_CLASS_ID;
  for (int i = 0; i < 16; ++i) {
    const char byte[3] = {hex[2 * i], hex[2 * i + 1], '\0'};
    id[i] = static_cast<uint8_t>(std::strtoul(byte, nullptr, 16));
  }
}

// A host's parameter changes for one block: one point per parameter. As the
// output list it keeps whatever the plugin reports in one sink queue.
struct PointQueue {
  v3_param_value_queue_cpp* Vtable;
  v3_param_id Id;
  int32_t Offset;
  double Value;
};

struct ParameterChanges {
  v3_param_changes_cpp* Vtable;
  PointQueue* Queues;
  int32_t Count;
};

// These objects outlive the plugin's use of them: no other interfaces, no
// reference counting.
v3_result V3_API NoInterface(void*, const v3_tuid, void** object) {
  *object = nullptr;
  return V3_NO_INTERFACE;
}
uint32_t V3_API Static(void*) { return 1; }

PointQueue& Queue(void* self) { return *static_cast<PointQueue*>(self); }
v3_param_id V3_API QueueId(void* self) { return Queue(self).Id; }
int32_t V3_API PointCount(void*) { return 1; }
v3_result V3_API GetPoint(void* self, int32_t, int32_t* offset, double* value) {
  *offset = Queue(self).Offset;
  *value = Queue(self).Value;
  return V3_OK;
}
v3_result V3_API AddPoint(void*, int32_t, double, int32_t* index) {
  *index = 0;
  return V3_OK;
}
v3_param_value_queue_cpp gQueueVtable = {{NoInterface, Static, Static},
                                         {QueueId, PointCount, GetPoint, AddPoint}};

ParameterChanges& Changes(void* self) { return *static_cast<ParameterChanges*>(self); }
int32_t V3_API QueueCount(void* self) { return Changes(self).Count; }
v3_param_value_queue** V3_API QueueAt(void* self, int32_t index) {
  return reinterpret_cast<v3_param_value_queue**>(&Changes(self).Queues[index]);
}
v3_param_value_queue** V3_API AddQueue(void* self, v3_param_id*, int32_t* index) {
  *index = 0;
  return QueueAt(self, 0);
}
v3_param_changes_cpp gChangesVtable = {{NoInterface, Static, Static},
                                       {QueueCount, QueueAt, AddQueue}};

TEST(RealTimeVst3, ProcessWithParameterChangesMakesNoHeapCall) {
  void* module = dlopen(VOREL_VST3_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  if (auto entry = reinterpret_cast<bool (*)(void*)>(dlsym(module, "ModuleEntry"))) {
    ASSERT_TRUE(entry(module));
  }
  auto getFactory = reinterpret_cast<const void* (*)()>(dlsym(module, "GetPluginFactory"));
  ASSERT_NE(getFactory, nullptr);
  auto factory = static_cast<v3_plugin_factory**>(const_cast<void*>(getFactory()));
  v3_tuid classId;
  ReadClassId(classId);

  // DPF needs no host context.
  v3_component** component = nullptr;
  alloc_counter::Arm();
  ASSERT_EQ(v3_cpp_obj(factory)->create_instance(factory, classId, v3_component_iid,
                                                 reinterpret_cast<void**>(&component)),
            V3_OK);
  ASSERT_EQ(v3_cpp_obj_initialize(component, nullptr), V3_OK);
  ASSERT_GT(alloc_counter::Disarm(), 0) << "the module's heap calls are not counted";
  v3_audio_processor** processor = nullptr;
  v3_edit_controller** controller = nullptr;
  ASSERT_EQ(v3_cpp_obj_query_interface(component, v3_audio_processor_iid, &processor), V3_OK);
  ASSERT_EQ(v3_cpp_obj_query_interface(component, v3_edit_controller_iid, &controller), V3_OK);

  // Every parameter the host sees: the six controls, the mix, the bypass
  // and DPF's own.
  std::vector<PointQueue> queues(v3_cpp_obj(controller)->get_parameter_count(controller));
  ASSERT_GE(queues.size(), vorel::kControlPortCount + 2);
  for (std::size_t i = 0; i < queues.size(); ++i) {
    v3_param_info info = {};
    v3_cpp_obj(controller)->get_parameter_info(controller, static_cast<int32_t>(i), &info);
    queues[i] = {&gQueueVtable, info.param_id, 0, 0.0};
  }
  PointQueue sink = {&gQueueVtable, 0, 0, 0.0};
  ParameterChanges changes[2] = {{&gChangesVtable, queues.data(), int32_t(queues.size())},
                                 {&gChangesVtable, &sink, 0}};
  auto** inParams = reinterpret_cast<v3_param_changes**>(&changes[0]);
  auto** outParams = reinterpret_cast<v3_param_changes**>(&changes[1]);

  std::vector<float> left = vorel_host::Noise(8192, 23, 1.0f), right = left;
  for (std::size_t i = 0; i < left.size(); i += 101) left[i] = i % 2 ? kNaN : kInf;
  std::vector<float> outLeft(left.size()), outRight(left.size());
  float* in[2] = {left.data(), right.data()};
  float* out[2] = {outLeft.data(), outRight.data()};
  v3_audio_bus_buffers inBus = {2, 0, {in}}, outBus = {2, 0, {out}};
  v3_process_data data = {V3_REALTIME, V3_SAMPLE_32, 0,         1,       1,       &inBus,
                          &outBus,     inParams,     outParams, nullptr, nullptr, nullptr};
  const double hostile[] = {kNaN, kInf, -kInf, 1e30, -5.0, 0.5, 1.0, 0.0, 0.25};
  const int32_t blocks[] = {1, 7, 256, 0, 1000, 4096, 8192, 255, 257};

  // One rate will do: a new rate reaches the plugin only in setup, which
  // may allocate.
  v3_component* c = v3_cpp_obj(component);
  v3_audio_processor* p = v3_cpp_obj(processor);
  v3_process_setup setup = {V3_REALTIME, V3_SAMPLE_32, 8192, 48000.0};
  ASSERT_EQ(c->activate_bus(component, V3_AUDIO, V3_INPUT, 0, true), V3_OK);
  ASSERT_EQ(c->activate_bus(component, V3_AUDIO, V3_OUTPUT, 0, true), V3_OK);
  ASSERT_EQ(p->setup_processing(processor, &setup), V3_OK);
  ASSERT_EQ(c->set_active(component, true), V3_OK);
  ASSERT_EQ(p->set_processing(processor, true), V3_OK);
  int failed = 0;
  alloc_counter::Arm();
  // Each parameter meets each value, at the block's start and inside it.
  for (std::size_t round = 0; round < 2 * std::size(hostile); ++round) {
    for (int32_t n : blocks) {
      for (std::size_t k = 0; k < queues.size(); ++k) {
        queues[k].Value = hostile[(round + k) % std::size(hostile)];
        queues[k].Offset = round % 2 == 0 ? 0 : n / 2;
      }
      inBus.channel_buffers_32 = round % 3 == 0 ? out : in;  // in place every third round
      data.nframes = n;
      failed += p->process(processor, &data) != V3_OK;
    }
  }
  const long calls = alloc_counter::Disarm();
  p->set_processing(processor, false);
  c->set_active(component, false);
  v3_cpp_obj_unref(controller);
  v3_cpp_obj_unref(processor);
  v3_cpp_obj_terminate(component);
  v3_cpp_obj_unref(component);
  v3_cpp_obj_unref(factory);
  if (auto exit = reinterpret_cast<bool (*)()>(dlsym(module, "ModuleExit"))) exit();
  dlclose(module);
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(calls, 0);
}

}  // namespace
