// The plugin is hard real-time capable: run and connect_port make no heap
// call, for every kind of control value (in range, NaN, infinite, huge),
// every walk variant and every block size. Every heap function of the
// process is counted, the loaded plugin's calls included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "effect/effect_channel.h"
#include "support/alloc_counter.h"
#include "support/ladspa_host.h"
#include "support/signals.h"

namespace {

using vorel_host::Instance;
using vorel_host::Library;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The values the grid takes on one control: both ends of its range and the
// middle, unless the range holds only two whole numbers.
std::vector<float> GridOf(const vorel::PortEntry& port) {
  if (port.Integer && port.Maximum - port.Minimum <= 1.0f) return {port.Minimum, port.Maximum};
  return {port.Minimum, (port.Minimum + port.Maximum) / 2.0f, port.Maximum};
}

// Control sets: the plain grid over the declared ranges, then each port in
// turn given values a host should never send.
std::vector<vorel_host::Controls> ControlSets() {
  std::vector<vorel_host::Controls> sets = {vorel::MakeDefaultControls()};
  for (unsigned long port = 0; port < vorel::kControlPortCount; ++port) {
    std::vector<vorel_host::Controls> grown;
    for (const vorel_host::Controls& set : sets) {
      for (float value : GridOf(vorel::kPortTable[port])) {
        grown.push_back(set);
        grown.back().Values[port] = value;
      }
    }
    sets = grown;
  }
  const float hostile[] = {kNaN, -kNaN, kInf, -kInf, 1e30f, -1e30f, 3e9f, -0.0f, -5.0f, 1e-45f};
  for (unsigned long port = 0; port < vorel::kControlPortCount; ++port) {
    for (float value : hostile) {
      vorel_host::Controls c = vorel::MakeDefaultControls();
      c.Values[port] = value;
      sets.push_back(c);
    }
  }
  return sets;
}

// Noise with NaNs, infinities, subnormals and huge values mixed in.
std::vector<float> HostileAudio(size_t length) {
  std::vector<float> x = vorel_host::Noise(length, 7, 1.0f);
  const float specials[] = {kNaN, kInf, -kInf, 1e-40f, -1e38f, 3.0f};
  for (size_t i = 0; i < length; i += 97) x[i] = specials[(i / 97) % 6];
  return x;
}

TEST(RealTime, HeapCallsAreCountedForTheLoadedPlugin) {
  Library lib(VOREL_LIBRARY_PATH);
  ASSERT_NE(lib.Descriptor(), nullptr) << dlerror();
  // The plugin allocates its buffers in instantiate; seeing those calls
  // proves that the counter is bound into the plugin.
  alloc_counter::Arm();
  Instance(lib.Descriptor(), 44100);  // made and destroyed at once
  EXPECT_GT(alloc_counter::Disarm(), 0);
}

TEST(RealTime, RunMakesNoHeapCallForAnyControlsOrBlockSize) {
  Library lib(VOREL_LIBRARY_PATH);
  ASSERT_NE(lib.Descriptor(), nullptr) << dlerror();
  const std::vector<vorel_host::Controls> sets = ControlSets();
  const unsigned long blocks[] = {1, 7, 256, 0, 1000, 4096, 8192, 255, 257};
  const std::vector<float> input = HostileAudio(8192);
  std::vector<float> output(8192);

  for (unsigned long rate : {44100ul, 48000ul, 200ul, 1ul, 0ul}) {
    Instance instance(lib.Descriptor(), rate);
    ASSERT_TRUE(instance.Valid());
    size_t samples = 0;
    alloc_counter::Arm();
    for (const vorel_host::Controls& c : sets) {
      instance.controls = c;
      for (unsigned long n : blocks) {
        instance.Run(input.data(), output.data(), n);
        samples += n;
      }
      // In place as well, as a host may connect one buffer to both ports.
      std::copy(input.begin(), input.begin() + 1000, output.begin());
      instance.Run(output.data(), output.data(), 1000);
    }
    const long calls = alloc_counter::Disarm();
    EXPECT_EQ(calls, 0) << "rate " << rate << ", " << samples << " samples";
  }
}

// The editor's data path as an open editor drives it: the channel publishes
// and the snapshots are taken between blocks.
TEST(RealTime, PublishingForTheEditorMakesNoHeapCall) {
  const std::vector<vorel_host::Controls> sets = ControlSets();
  const std::vector<float> input = HostileAudio(8192);
  std::vector<float> output(8192);
  vorel::EffectChannel channel(48000.0f);
  vorel::SpectrumSnapshot shown;
  channel.Published().Listen(true);
  alloc_counter::Arm();
  for (const vorel_host::Controls& c : sets) {
    for (std::size_t n : {1ul, 256ul, 0ul, 4096ul, 8192ul, 257ul}) {
      channel.Run(c.Values, 50.0f, true, input.data(), output.data(), n);
      channel.Published().Take(shown);
    }
  }
  EXPECT_EQ(alloc_counter::Disarm(), 0);
}

TEST(RealTime, ConnectPortMakesNoHeapCall) {
  Library lib(VOREL_LIBRARY_PATH);
  ASSERT_NE(lib.Descriptor(), nullptr) << dlerror();
  const LADSPA_Descriptor* d = lib.Descriptor();
  LADSPA_Handle handle = d->instantiate(d, 48000);
  float a[16] = {}, b[16] = {};
  alloc_counter::Arm();
  for (int round = 0; round < 100; ++round) {
    for (unsigned long port = 0; port < 10; ++port) {
      d->connect_port(handle, port, round % 2 == 0 ? a : b);
    }
    d->connect_port(handle, ~0ul, a);
  }
  const long calls = alloc_counter::Disarm();
  d->cleanup(handle);
  EXPECT_EQ(calls, 0);
}

}  // namespace
