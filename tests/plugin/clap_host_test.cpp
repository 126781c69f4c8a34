// The CLAP module as a host meets it, driven by the small host in
// support/clap_host.h: its description and parameters against the port
// table, each channel against the mono effect bit for bit, the state
// restored, and a host that offers no extension at all.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "effect/bypass.h"
#include "effect/dry_wet_mix.h"
#include "effect/identity.h"
#include "effect/port_table.h"
#include "effect/processor.h"
#include "effect/version.h"
#include "support/clap_host.h"
#include "support/signals.h"

namespace {

using vorel_host::ClapHost;
using vorel_host::ClapModule;

// After the six controls: the mix, then the bypass.
constexpr uint32_t kMix = vorel::kControlPortCount;
constexpr uint32_t kBypass = kMix + 1;
constexpr uint32_t kParameterCount = kBypass + 1;
constexpr double kRate = 48000.0;
constexpr uint32_t kMaxBlock = 4096;

// One instance, created, initialised and active, destroyed at the end.
struct ActivePlugin {
  explicit ActivePlugin(bool offerExtensions) : Host(offerExtensions) {
    Plugin = Host.Create(Module.Factory());
    if (Plugin != nullptr && Plugin->activate(Plugin, kRate, 1, kMaxBlock))
      Active = Plugin->start_processing(Plugin);
  }
  ~ActivePlugin() {
    if (Plugin == nullptr) return;
    if (Active) {
      Plugin->stop_processing(Plugin);
      Plugin->deactivate(Plugin);
    }
    Plugin->destroy(Plugin);
  }
  ClapModule Module{VOREL_CLAP_PATH};
  ClapHost Host;
  const clap_plugin_t* Plugin = nullptr;
  bool Active = false;
};

TEST(ClapPlugin, DescribesItselfAndItsParametersFromTheOneTables) {
  ActivePlugin p(true);
  ASSERT_TRUE(p.Active);
  const clap_plugin_descriptor_t* d = p.Plugin->desc;
  EXPECT_STREQ(d->id, vorel::kClapId);
  EXPECT_STREQ(d->name, "Vorel");
  EXPECT_STREQ(d->version, VOREL_VERSION);
  std::vector<std::string> features;
  for (const char* const* f = d->features; *f != nullptr; ++f) features.emplace_back(*f);
  EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "stereo", "glitch"}));

  const auto* latency = ClapHost::Extension<clap_plugin_latency_t>(p.Plugin, CLAP_EXT_LATENCY);
  ASSERT_NE(latency, nullptr);
  EXPECT_EQ(latency->get(p.Plugin), 1024u);

  const auto* params = ClapHost::Extension<clap_plugin_params_t>(p.Plugin, CLAP_EXT_PARAMS);
  ASSERT_NE(params, nullptr);
  ASSERT_EQ(params->count(p.Plugin), kParameterCount);
  for (uint32_t i = 0; i <= kMix; ++i) {
    const vorel::PortEntry& port = i == kMix ? vorel::kMixControl : vorel::kPortTable[i];
    clap_param_info_t info;
    ASSERT_TRUE(params->get_info(p.Plugin, i, &info));
    EXPECT_EQ(info.id, i);
    EXPECT_STREQ(info.name, port.Name);
    EXPECT_EQ(info.min_value, port.Minimum) << port.Name;
    EXPECT_EQ(info.max_value, port.Maximum) << port.Name;
    EXPECT_EQ(info.default_value, port.Default) << port.Name;
    const bool stepped = port.Integer || port.Toggled;
    EXPECT_EQ(info.flags, CLAP_PARAM_IS_AUTOMATABLE | (stepped ? CLAP_PARAM_IS_STEPPED : 0))
        << port.Name;
    for (std::size_t k = 0; k < port.ScalePointCount; ++k) {
      char text[64];
      ASSERT_TRUE(
          params->value_to_text(p.Plugin, i, port.ScalePoints[k].Value, text, sizeof(text)));
      EXPECT_STREQ(text, port.ScalePoints[k].Label);
    }
  }
  clap_param_info_t bypass;
  ASSERT_TRUE(params->get_info(p.Plugin, kBypass, &bypass));
  EXPECT_TRUE(bypass.flags & CLAP_PARAM_IS_BYPASS);
}

// The mono effect as the other formats run it, one per channel: controls
// taken over at each block, the mix, the bypass that keeps time.
struct MonoChannel {
  vorel::Processor Chain{static_cast<float>(kRate)};
  vorel::DryWetMix Mix;
  vorel::TimedBypass Bypass;
  void Run(const float* controls, float mix, bool enabled, const float* in, float* out,
           std::size_t count) {
    do {
      const std::size_t piece =
          count < vorel::TimedBypass::kMaxPiece ? count : vorel::TimedBypass::kMaxPiece;
      Bypass.TakeInput(in, piece);
      Chain.Run(controls, in, out, piece);
      Mix.Apply(mix, Bypass.Delayed(), out, piece);
      Bypass.Mix(enabled, out, piece);
      in += piece;
      out += piece;
      count -= piece;
    } while (count > 0);
  }
};

// A parameter change sent with a block.
struct Change {
  std::size_t Block;
  uint32_t Parameter;
  float Value;
};

TEST(ClapPlugin, EachChannelIsTheMonoEffectBitForBitThroughBlocksAndParameterChanges) {
  const uint32_t blocks[] = {1, 64, 1000, 4096, 7, 2048, 333, 1024, 1025, 4096, 17, 3000};
  const Change changes[] = {
      {1, vorel::SampleHoldPort, 8.0f},  {2, vorel::BitMaskPort, 0.3f},
      {3, vorel::DirectionPort, 0.0f},   {4, vorel::GainPort, 0.7f},
      {4, vorel::ProcessTypePort, 1.0f}, {5, kBypass, 1.0f},
      {6, vorel::AmpModPort, 1.0f},      {7, kBypass, 0.0f},
      {8, vorel::SampleHoldPort, 43.0f}, {9, vorel::BitMaskPort, 0.0f},
      {10, vorel::SampleHoldPort, 3.0f}, {11, vorel::AmpModPort, 0.0f},
  };
  std::size_t total = 0;
  for (uint32_t n : blocks) total += n;
  const std::vector<float> input[2] = {vorel_host::Noise(total, 5, 0.8f),
                                       vorel_host::Noise(total, 6, 0.5f)};
  std::vector<float> plugin[2] = {std::vector<float>(total), std::vector<float>(total)};
  std::vector<float> mono[2] = {std::vector<float>(total), std::vector<float>(total)};

  ActivePlugin p(true);
  ASSERT_TRUE(p.Active);
  MonoChannel channels[2];
  vorel::DefaultControls controls = vorel::MakeDefaultControls();
  bool enabled = true;
  float mix = vorel::kMixControl.Default;
  std::size_t at = 0;
  for (std::size_t b = 0; b < std::size(blocks); ++b) {
    for (const Change& c : changes) {
      if (c.Block != b) continue;
      p.Host.SetParameter(c.Parameter, c.Value);
      if (c.Parameter == kBypass) {
        enabled = c.Value < 0.5f;
      } else if (c.Parameter == kMix) {
        mix = c.Value;
      } else {
        controls.Values[c.Parameter] = c.Value;
      }
    }
    float* in[2] = {const_cast<float*>(&input[0][at]), const_cast<float*>(&input[1][at])};
    float* out[2] = {&plugin[0][at], &plugin[1][at]};
    ASSERT_EQ(p.Host.Process(p.Plugin, in, out, blocks[b]), CLAP_PROCESS_CONTINUE);
    for (int ch = 0; ch < 2; ++ch)
      channels[ch].Run(controls.Values, mix, enabled, &input[ch][at], &mono[ch][at], blocks[b]);
    at += blocks[b];
  }
  for (int ch = 0; ch < 2; ++ch) {
    std::size_t first = 0;
    while (first < total && std::memcmp(&plugin[ch][first], &mono[ch][first], sizeof(float)) == 0)
      ++first;
    EXPECT_EQ(first, total) << "channel " << ch << " differs first at sample " << first;
  }
}

TEST(ClapPlugin, StateSavedByOneInstanceRestoresEveryValueInAnother) {
  const float values[kParameterCount] = {17.0f, 0.123456789f, 0.0f,  0.30000001f,
                                         1.0f,  1.0f,         33.3f, 1.0f};
  vorel_host::ClapStateBuffer state;
  {
    ActivePlugin p(true);
    ASSERT_TRUE(p.Active);
    for (uint32_t i = 0; i < kParameterCount; ++i) p.Host.SetParameter(i, values[i]);
    float silence[2][16] = {};
    float* io[2] = {silence[0], silence[1]};
    p.Host.Process(p.Plugin, io, io, 16);
    const auto* s = ClapHost::Extension<clap_plugin_state_t>(p.Plugin, CLAP_EXT_STATE);
    ASSERT_NE(s, nullptr);
    clap_ostream_t out = state.Writer();
    ASSERT_TRUE(s->save(p.Plugin, &out));
  }
  ActivePlugin q(true);
  ASSERT_TRUE(q.Active);
  const auto* s = ClapHost::Extension<clap_plugin_state_t>(q.Plugin, CLAP_EXT_STATE);
  clap_istream_t in = state.Reader();
  ASSERT_TRUE(s->load(q.Plugin, &in));
  const auto* params = ClapHost::Extension<clap_plugin_params_t>(q.Plugin, CLAP_EXT_PARAMS);
  for (uint32_t i = 0; i < kParameterCount; ++i) {
    double value = -1.0;
    ASSERT_TRUE(params->get_value(q.Plugin, i, &value));
    EXPECT_EQ(static_cast<float>(value), values[i]) << "parameter " << i;
  }
}

// CLAP makes every host extension optional. The plugin reports a latency,
// and is deactivated and its state loaded while active and inactive: no
// call may reach an extension the host does not offer.
TEST(ClapPlugin, AHostOfferingNoExtensionRunsItWithoutACrash) {
  vorel_host::ClapStateBuffer state;
  for (int round = 0; round < 2; ++round) {
    ActivePlugin p(false);
    ASSERT_TRUE(p.Active);
    const auto* latency = ClapHost::Extension<clap_plugin_latency_t>(p.Plugin, CLAP_EXT_LATENCY);
    EXPECT_EQ(latency->get(p.Plugin), 1024u);
    std::vector<float> left = vorel_host::Noise(3000, 9, 0.5f), right = left;
    float* io[2] = {left.data(), right.data()};
    p.Host.SetParameter(vorel::SampleHoldPort, 5.0f);
    EXPECT_EQ(p.Host.Process(p.Plugin, io, io, 3000), CLAP_PROCESS_CONTINUE);
    const auto* s = ClapHost::Extension<clap_plugin_state_t>(p.Plugin, CLAP_EXT_STATE);
    clap_ostream_t out = state.Writer();
    clap_istream_t in = state.Reader();
    if (round == 0) {
      EXPECT_TRUE(s->save(p.Plugin, &out));
    } else {
      EXPECT_TRUE(s->load(p.Plugin, &in));
    }
    p.Plugin->stop_processing(p.Plugin);
    p.Plugin->deactivate(p.Plugin);
    p.Active = false;
    state.ReadPosition = 0;
    in = state.Reader();
    EXPECT_TRUE(s->load(p.Plugin, &in));
  }
}

}  // namespace
