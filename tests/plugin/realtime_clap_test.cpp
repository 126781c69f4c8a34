// The CLAP module is hard real-time capable too: process, with parameter
// events of any value and blocks of any size, bypass switching included,
// makes no heap call. The module is loaded as a host loads it.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "effect/port_table.h"
#include "support/alloc_counter.h"
#include "support/clap_host.h"
#include "support/signals.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(RealTimeClap, ProcessWithParameterEventsMakesNoHeapCall) {
  vorel_host::ClapModule module(VOREL_CLAP_PATH);
  std::vector<float> left = vorel_host::Noise(8192, 21, 1.0f), right = left;
  for (std::size_t i = 0; i < left.size(); i += 101) left[i] = i % 2 ? kNaN : kInf;
  std::vector<float> outLeft(left.size()), outRight(left.size());
  float* in[2] = {left.data(), right.data()};
  float* out[2] = {outLeft.data(), outRight.data()};
  const float hostile[] = {kNaN, kInf, -kInf, 1e30f, -5.0f, 0.5f, 43.0f, 1.0f, 0.0f};
  const uint32_t blocks[] = {1, 7, 256, 1000, 4096, 8192, 255, 257};

  // One rate will do: a new rate only reaches the plugin in activate, which
  // may allocate.
  const double rate = 48000.0;
  vorel_host::ClapHost host(true);
  alloc_counter::Arm();
  const clap_plugin_t* plugin = host.Create(module.Factory());
  ASSERT_GT(alloc_counter::Disarm(), 0) << "the plugin's heap calls are not counted";
  ASSERT_NE(plugin, nullptr);
  ASSERT_TRUE(plugin->activate(plugin, rate, 1, 8192));
  ASSERT_TRUE(plugin->start_processing(plugin));
  alloc_counter::Arm();
  std::size_t samples = 0;
  // Every parameter: the six controls, the mix and the bypass.
  const uint32_t bypass = vorel::kControlPortCount + 1;
  for (uint32_t parameter = 0; parameter <= bypass; ++parameter) {
    for (float value : hostile) {
      for (uint32_t n : blocks) {
        host.SetParameter(parameter, value);
        host.SetParameter(bypass, (samples / 3 + n) % 2);
        host.Process(plugin, in, out, n);
        samples += n;
      }
      host.Process(plugin, out, out, 1000);  // in place
    }
  }
  const long calls = alloc_counter::Disarm();
  plugin->stop_processing(plugin);
  plugin->deactivate(plugin);
  plugin->destroy(plugin);
  EXPECT_EQ(calls, 0) << samples << " samples";
}

}  // namespace
