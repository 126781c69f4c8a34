// The LV2 plugin is hard real-time capable too: run, connect_port and
// activate make no heap call, whatever the controls, the bypass switch, the
// mix or the block size. The binary is loaded from the bundle as a host loads it.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/core/lv2.h>

#include <limits>
#include <vector>

#include "lv2/lv2_ports.h"
#include "support/alloc_counter.h"
#include "support/signals.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// The bundle's binary, loaded, and its one descriptor.
class Lv2Library {
 public:
  Lv2Library() : handle_(dlopen(VOREL_LV2_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) return;
    auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(handle_, "lv2_descriptor"));
    if (entry != nullptr) descriptor_ = entry(0);
  }
  ~Lv2Library() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  const LV2_Descriptor* Descriptor() const { return descriptor_; }

 private:
  void* handle_;
  const LV2_Descriptor* descriptor_ = nullptr;
};

TEST(RealTimeLv2, HeapCallsAreCountedForTheLoadedPlugin) {
  Lv2Library lib;
  const LV2_Descriptor* d = lib.Descriptor();
  ASSERT_NE(d, nullptr) << dlerror();
  alloc_counter::Arm();
  LV2_Handle handle = d->instantiate(d, 44100.0, "", nullptr);
  d->cleanup(handle);
  EXPECT_GT(alloc_counter::Disarm(), 0);
}

TEST(RealTimeLv2, RunConnectPortAndActivateMakeNoHeapCall) {
  Lv2Library lib;
  const LV2_Descriptor* d = lib.Descriptor();
  ASSERT_NE(d, nullptr) << dlerror();
  std::vector<float> input = vorel_host::Noise(8192, 17, 1.0f);
  for (std::size_t i = 0; i < input.size(); i += 101) input[i] = i % 2 ? kNaN : kInf;
  std::vector<float> output(input.size());
  const float hostile[] = {kNaN, kInf, -kInf, 1e30f, -5.0f, 0.5f, 43.0f, 1.0f, 0.0f};
  const uint32_t blocks[] = {1, 7, 256, 0, 1000, 4096, 8192, 255, 257};
  const float switches[] = {1.0f, 0.0f, kNaN, 0.5f, -1.0f};
  const float mixes[] = {100.0f, 0.0f, 37.5f, kNaN, -kInf, 1e30f};

  for (double rate : {44100.0, 48000.0, 1.0, 0.0}) {
    LV2_Handle handle = d->instantiate(d, rate, "", nullptr);
    ASSERT_NE(handle, nullptr);
    vorel::DefaultControls controls = vorel::MakeDefaultControls();
    float latency = 0.0f, enabled = 1.0f, mix = 100.0f;
    std::size_t samples = 0;
    alloc_counter::Arm();
    for (uint32_t port = 0; port < vorel::kControlPortCount; ++port)
      d->connect_port(handle, port, &controls.Values[port]);
    d->connect_port(handle, vorel::LatencyPort, &latency);
    d->connect_port(handle, vorel::EnabledPort, &enabled);
    d->connect_port(handle, vorel::MixPort, &mix);
    d->connect_port(handle, 99, &latency);
    d->activate(handle);
    for (uint32_t port = 0; port < vorel::kControlPortCount; ++port) {
      for (float value : hostile) {
        controls.Values[port] = value;
        for (uint32_t n : blocks) {
          enabled = switches[(samples / 3 + n) % 5];
          mix = mixes[(samples / 5 + n) % 6];
          d->connect_port(handle, vorel::InputPort, input.data());
          d->connect_port(handle, vorel::OutputPort, output.data());
          d->run(handle, n);
          samples += n;
        }
        // In place as well, as a host may connect one buffer to both ports.
        d->connect_port(handle, vorel::InputPort, output.data());
        d->run(handle, 3000);
      }
      d->activate(handle);
    }
    const long calls = alloc_counter::Disarm();
    d->cleanup(handle);
    EXPECT_EQ(calls, 0) << "rate " << rate << ", " << samples << " samples";
  }
}

}  // namespace
