// The VST3 module is hard real-time capable too: process, with parameter
// changes of any value on every parameter, blocks of any size, in place or
// not, makes no heap call. The module is loaded as a host loads it and
// driven through DPF's own C definition of the VST3 interfaces
// (support/vst3_host.h).
#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <vector>

#include "effect/port_table.h"
#include "support/alloc_counter.h"
#include "support/signals.h"
#include "support/vst3_host.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RealTimeVst3, ProcessWithParameterChangesMakesNoHeapCall) {
  vorel_host::Vst3Module module(VOREL_VST3_PATH);
  ASSERT_NE(module.Factory(), nullptr);
  alloc_counter::Arm();
  vorel_host::Vst3Plugin plugin(module.Factory());
  ASSERT_GT(alloc_counter::Disarm(), 0) << "the module's heap calls are not counted";
  ASSERT_TRUE(plugin.Ok());

  // Every parameter the host sees: the six controls, the mix, the bypass
  // and DPF's own; and one the plugin does not have.
  v3_edit_controller** controller = plugin.Controller;
  std::vector<vorel_host::PointQueue> queues(
      v3_cpp_obj(controller)->get_parameter_count(controller) + 1);
  ASSERT_GE(queues.size(), vorel::kControlPortCount + 3);
  for (std::size_t i = 0; i < queues.size(); ++i) {
    v3_param_info info = {};
    info.param_id = 1000;
    v3_cpp_obj(controller)->get_parameter_info(controller, static_cast<int32_t>(i), &info);
    queues[i] = vorel_host::MakeChange(info.param_id, 0.0);
  }
  vorel_host::ParameterChanges changes =
      vorel_host::MakeChanges(queues.data(), static_cast<int32_t>(queues.size()));

  std::vector<float> left = vorel_host::Noise(8192, 23, 1.0f), right = left;
  for (std::size_t i = 0; i < left.size(); i += 101) left[i] = i % 2 ? kNaN : kInf;
  std::vector<float> outLeft(left.size()), outRight(left.size());
  float* in[2] = {left.data(), right.data()};
  float* out[2] = {outLeft.data(), outRight.data()};
  const double hostile[] = {kNaN, kInf, -kInf, 1e30, -5.0, 0.5, 1.0, 0.0, 0.25};
  const int32_t blocks[] = {1, 7, 256, 0, 1000, 4096, 8192, 255, 257};

  // One rate will do: a new rate reaches the plugin only in setup, which
  // may allocate.
  ASSERT_TRUE(plugin.Activate(48000.0, 8192));
  int failed = 0;
  alloc_counter::Arm();
  // Each parameter meets each value, at the block's start and inside it.
  for (std::size_t round = 0; round < 2 * std::size(hostile); ++round) {
    for (int32_t n : blocks) {
      for (std::size_t k = 0; k < queues.size(); ++k) {
        queues[k].Values[0] = hostile[(round + k) % std::size(hostile)];
        queues[k].Offsets[0] = round % 2 == 0 ? 0 : n / 2;
      }
      // In place every third round.
      failed += plugin.Process(round % 3 == 0 ? out : in, out, n, &changes) != V3_OK;
    }
  }
  const long calls = alloc_counter::Disarm();
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(calls, 0);
}

}  // namespace
