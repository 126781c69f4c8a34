// The LV2 plugin's DLL as a Windows host loads it (Debian has no Windows
// lilv, so the LV2 tests through lilv stay Linux's): one descriptor, under
// the plugin's URI, whose output at each rate, in blocks of many sizes with
// the controls changing, is the effect's own bit for bit.
#include <gtest/gtest.h>
#include <lv2/core/lv2.h>

#include <vector>

#include "effect/effect_channel.h"
#include "effect/presets.h"
#include "lv2/lv2_ports.h"
#include "support/dynamic_loader.h"
#include "support/first_difference.h"
#include "support/signals.h"

namespace {

TEST(Lv2Dll, IsTheEffectBitForBitUnderItsUri) {
  void* library = dlopen(VOREL_LV2_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
  ASSERT_NE(entry, nullptr);
  const LV2_Descriptor* d = entry(0);
  ASSERT_NE(d, nullptr);
  EXPECT_STREQ(d->URI, VOREL_LV2_URI);
  EXPECT_EQ(entry(1), nullptr);

  const uint32_t blocks[] = {1, 64, 1000, 4096, 7, 2048, 333, 1025, 0, 3000};
  std::size_t total = 0;
  for (uint32_t n : blocks) total += n;
  const std::vector<float> input = vorel_host::Noise(total, 11, 0.7f);
  for (const double rate : {44100.0, 48000.0, 96000.0}) {
    LV2_Handle instance = d->instantiate(d, rate, "", nullptr);
    ASSERT_NE(instance, nullptr) << rate;
    float ports[vorel::Lv2PortCount] = {};
    std::vector<float> plugin(total), effect(total);
    for (uint32_t p = 0; p < vorel::Lv2PortCount; ++p) {
      if (p != vorel::InputPort && p != vorel::OutputPort) d->connect_port(instance, p, &ports[p]);
    }
    d->activate(instance);
    vorel::EffectChannel channel(static_cast<float>(rate));
    std::size_t at = 0;
    for (std::size_t b = 0; b < std::size(blocks); ++b) {
      const vorel::Preset& preset = vorel::kPresets[b % std::size(vorel::kPresets)];
      std::copy(std::begin(preset.Values), std::end(preset.Values), ports);
      ports[vorel::EnabledPort] = b == 5 ? 0.0f : 1.0f;
      ports[vorel::MixPort] = b == 7 ? 40.0f : 100.0f;
      d->connect_port(instance, vorel::InputPort, const_cast<float*>(&input[at]));
      d->connect_port(instance, vorel::OutputPort, &plugin[at]);
      d->run(instance, blocks[b]);
      channel.Run(ports, ports[vorel::MixPort], ports[vorel::EnabledPort] > 0.0f, &input[at],
                  &effect[at], blocks[b]);
      EXPECT_EQ(ports[vorel::LatencyPort], vorel::kLatencyFrames);
      at += blocks[b];
    }
    EXPECT_EQ(vorel_host::FirstDifference(plugin, effect), total) << rate;
    d->cleanup(instance);
  }
  dlclose(library);
}

}  // namespace
