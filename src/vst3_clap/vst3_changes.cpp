#include "vst3_clap/vst3_changes.h"

// DPF's internal VST3 definitions, for the IDs it gives parameters; its
// public header first, as it asks.
#include <DistrhoPlugin.hpp>
#include <DistrhoPluginVST.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "vst3_clap/vst3_objects.h"

namespace vorel {

namespace {

// A normalised value as DPF is to take it: a switch's at one end or the
// other. DPF maps the others onto their range and rounds whole-number
// ones as TakeValue does.
double Normalised(uint32_t parameter, double value) {
  const ParameterRange range = RangeOf(parameter);
  if (range.Stepped && range.Maximum - range.Minimum == 1.0f) return value >= 0.5 ? 1.0 : 0.0;
  return value;
}

}  // namespace

const v3_param_id CheckedChanges::kFirstId = DISTRHO_NAMESPACE::kVst3InternalParameterCount;

// DPF holds the lists for the one call it is given them in.
const v3_param_value_queue_cpp CheckedChanges::kQueueFunctions = {
    {NoInterface, NotCounted, NotCounted},
    {[](void* self) { return static_cast<Queue*>(self)->Id; },
     [](void* self) { return static_cast<Queue*>(self)->Count; },
     [](void* self, int32_t index, int32_t* offset, double* value) -> v3_result {
       const Queue& queue = *static_cast<Queue*>(self);
       if (index < 0 || index >= queue.Count) return V3_INVALID_ARG;
       *offset = queue.Points[index].Offset;
       *value = queue.Points[index].Value;
       return V3_OK;
     },
     [](void*, int32_t, double, int32_t*) -> v3_result { return V3_NOT_IMPLEMENTED; }}};

const v3_param_changes_cpp CheckedChanges::kListFunctions = {
    {NoInterface, NotCounted, NotCounted},
    {[](void* self) { return static_cast<List*>(self)->Count; },
     [](void* self, int32_t index) -> v3_param_value_queue** {
       List& list = *static_cast<List*>(self);
       if (index < 0 || index >= list.Count) return nullptr;
       return reinterpret_cast<v3_param_value_queue**>(&list.Queues[index]);
     },
     [](void*, v3_param_id*, int32_t*) -> v3_param_value_queue** { return nullptr; }}};

bool CheckedChanges::Collect(v3_param_value_queue** host, Queue& queue) {
  if (host == nullptr) return false;
  const v3_param_id id = v3_cpp_obj(host)->get_param_id(host);
  if (id < kFirstId || id - kFirstId >= StereoParameterCount) return false;
  queue = {&kQueueFunctions, id, 0, {}};
  for (int32_t i = 0, count = v3_cpp_obj(host)->get_point_count(host); i < count; ++i) {
    Point point;
    if (v3_cpp_obj(host)->get_point(host, i, &point.Offset, &point.Value) != V3_OK ||
        std::isnan(point.Value))
      continue;
    point.Value = Normalised(id - kFirstId, point.Value);
    queue.Points[queue.Count == 0 ? 0 : 1] = point;
    queue.Count = queue.Count == 0 ? 1 : 2;
  }
  return queue.Count > 0;
}

void CheckedChanges::CatchUpWithLoads() {
  const uint32_t loads = Loads.load(std::memory_order_relaxed);
  if (loads == KeptSince) return;
  KeptSince = loads;
  std::fill(std::begin(Kept), std::end(Kept), false);
}

void CheckedChanges::Keep(v3_param_changes** host) {
  CatchUpWithLoads();
  const int32_t count = host == nullptr ? 0 : v3_cpp_obj(host)->get_param_count(host);
  Queue queue;
  for (int32_t i = 0; i < count; ++i) {
    if (!Collect(v3_cpp_obj(host)->get_param_data(host, i), queue)) continue;
    Kept[queue.Id - kFirstId] = true;
    KeptValues[queue.Id - kFirstId] = queue.Points[queue.Count - 1].Value;
  }
}

v3_param_changes** CheckedChanges::Checked(v3_param_changes** host) {
  CatchUpWithLoads();
  Shown.Count = 0;
  for (uint32_t parameter = 0; parameter < StereoParameterCount; ++parameter) {
    if (!Kept[parameter]) continue;
    Shown.Queues[Shown.Count++] = {
        &kQueueFunctions, kFirstId + parameter, 1, {{0, KeptValues[parameter]}, {}}};
    Kept[parameter] = false;
  }
  const int32_t count = host == nullptr ? 0 : v3_cpp_obj(host)->get_param_count(host);
  for (int32_t i = 0; i < count && Shown.Count < static_cast<int32_t>(std::size(Shown.Queues)); ++i)
    Shown.Count += Collect(v3_cpp_obj(host)->get_param_data(host, i), Shown.Queues[Shown.Count]);
  return reinterpret_cast<v3_param_changes**>(&Shown);
}

}  // namespace vorel
