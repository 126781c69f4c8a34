// The CLAP module as a host meets it, driven by the small host in
// support/clap_host.h: its description and parameters against the port
// table, each channel against the mono effect bit for bit through checked
// events, the mix's edges, the state table, and a host that offers no
// extension at all.
#include <clap/ext/gui.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "effect/effect_channel.h"
#include "effect/identity.h"
#include "effect/port_table.h"
#include "effect/processor.h"
#include "effect/version.h"
#include "support/clap_host.h"
#include "support/first_difference.h"
#include "support/signals.h"
#include "support/state_table.h"
#include "support/stderr_capture.h"

namespace {

using vorel_host::ClapHost;
using vorel_host::ClapModule;

// After the six controls: the mix, then the bypass.
constexpr uint32_t kMix = vorel::kControlPortCount;
constexpr uint32_t kBypass = kMix + 1;
constexpr uint32_t kParameterCount = kBypass + 1;
constexpr double kRate = 48000.0;
constexpr uint32_t kMaxBlock = 4096;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

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

// An event sent with a block: a parameter value, or another event, which
// changes nothing. Taken is the value the parameter then has.
struct Change {
  std::size_t Block;
  uint32_t Parameter;
  double Value;
  float Taken;
  const clap_event_header_t* Other = nullptr;
};

TEST(ClapPlugin, EachChannelIsTheMonoEffectBitForBitThroughBlocksAndCheckedEvents) {
  const uint32_t blocks[] = {1, 64, 1000, 4096, 7, 2048, 333, 1024, 1025, 4096, 17, 3000};
  clap_event_param_mod_t mod = {};
  mod.header = {sizeof(mod), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_MOD, 0};
  mod.amount = 0.5;
  const clap_event_param_gesture_t gesture = {
      {sizeof(gesture), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_GESTURE_BEGIN, 0}, 2};
  clap_event_transport_t transport = {};
  transport.header = {sizeof(transport), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
  clap_event_param_value_t elsewhere = {};  // a value event of another event space
  elsewhere.header = {sizeof(elsewhere), 0, 1, CLAP_EVENT_PARAM_VALUE, 0};
  const Change changes[] = {
      {1, vorel::SampleHoldPort, 8, 8},
      {2, vorel::BitMaskPort, 0.3, 0.3f},
      {2, vorel::DirectionPort, 0.5, 1},
      {3, vorel::DirectionPort, 0, 0},
      {3, 99, 1, 0, nullptr},
      {3, kParameterCount, 1, 0, nullptr},  // one past the last
      {3, vorel::SampleHoldPort, 99, 43},
      {4, vorel::GainPort, 0.7, 0.7f},
      {4, vorel::ProcessTypePort, 1, 1},
      {4, vorel::BitMaskPort, kNaN, 0.3f},
      {4, 0, 0, 0, &mod.header},
      {5, kBypass, 0.5, 1},
      {5, 0, 0, 0, &gesture.header},
      {6, vorel::AmpModPort, 1, 1},
      {6, 0, 0, 0, &transport.header},
      {7, kBypass, 0, 0},
      {7, vorel::GainPort, -1e300, 0},
      {7, 0, 0, 0, &elsewhere.header},
      {8, kMix, 30, 30},
      {9, kMix, kNaN, 30},
      {9, vorel::BitMaskPort, 0, 0},
      {10, vorel::SampleHoldPort, 3.49, 3},
      {11, vorel::AmpModPort, 0.49, 0},
  };
  std::size_t total = 0;
  for (uint32_t n : blocks) total += n;
  const std::vector<float> input[2] = {vorel_host::Noise(total, 5, 0.8f),
                                       vorel_host::Noise(total, 6, 0.5f)};
  std::vector<float> plugin[2] = {std::vector<float>(total), std::vector<float>(total)};
  std::vector<float> mono[2] = {std::vector<float>(total), std::vector<float>(total)};

  vorel_host::StderrCapture output;
  ActivePlugin p(true);
  ASSERT_TRUE(p.Active);
  const auto* params = ClapHost::Extension<clap_plugin_params_t>(p.Plugin, CLAP_EXT_PARAMS);
  vorel::EffectChannel channels[2] = {vorel::EffectChannel(kRate), vorel::EffectChannel(kRate)};
  float values[kParameterCount];
  vorel::DefaultControls defaults = vorel::MakeDefaultControls();
  std::copy(defaults.Values, std::end(defaults.Values), values);
  values[kMix] = vorel::kMixControl.Default;
  values[kBypass] = 0;
  std::size_t at = 0;
  for (std::size_t b = 0; b < std::size(blocks); ++b) {
    for (const Change& c : changes) {
      if (c.Block != b) continue;
      if (c.Other != nullptr) {
        p.Host.Send(*c.Other);
        continue;
      }
      p.Host.SetParameter(c.Parameter, c.Value);
      if (c.Parameter < kParameterCount) values[c.Parameter] = c.Taken;
    }
    float* in[2] = {const_cast<float*>(&input[0][at]), const_cast<float*>(&input[1][at])};
    float* out[2] = {&plugin[0][at], &plugin[1][at]};
    ASSERT_EQ(p.Host.Process(p.Plugin, in, out, blocks[b]), CLAP_PROCESS_CONTINUE);
    for (int ch = 0; ch < 2; ++ch)
      channels[ch].Run(values, values[kMix], values[kBypass] == 0, &input[ch][at], &mono[ch][at],
                       blocks[b]);
    for (uint32_t i = 0; i < kParameterCount; ++i) {
      double value = -1;
      EXPECT_TRUE(params->get_value(p.Plugin, i, &value));
      EXPECT_EQ(value, values[i]) << "block " << b << ", parameter " << i;
    }
    at += blocks[b];
  }
  double value;
  EXPECT_FALSE(params->get_value(p.Plugin, kParameterCount, &value));
  for (int ch = 0; ch < 2; ++ch)
    EXPECT_EQ(vorel_host::FirstDifference(plugin[ch], mono[ch]), total) << "channel " << ch;
  EXPECT_EQ(output.Text(), "");
}

// The output of a fresh instance with the mix set before the first block.
std::vector<float> RunWithMix(float mix, const std::vector<float>& input) {
  ActivePlugin p(true);
  std::vector<float> left = input, right = input;
  float* io[2] = {left.data(), right.data()};
  p.Host.SetParameter(kMix, mix);
  for (std::size_t at = 0; at < input.size(); at += 1000) {
    float* block[2] = {io[0] + at, io[1] + at};
    p.Host.Process(p.Plugin, block, block, std::min<std::size_t>(1000, input.size() - at));
  }
  EXPECT_EQ(std::memcmp(left.data(), right.data(), left.size() * sizeof(float)), 0);
  return left;
}

// The dry signal's weight is a whole number of 4096ths: 20 % asks for
// 3276.8 of them and takes 3277, 99.98 % asks for 0.8192 and takes 1. At 0 %
// the output is the input 1024 samples late, signed zeros and NaN payloads
// as they are.
TEST(ClapPlugin, MixBetweenStepsTakesTheNearestAndAtZeroGivesTheDelayedInputBitForBit) {
  std::vector<float> input = vorel_host::Noise(8000, 15, 0.9f);
  const uint32_t nans[] = {0x7fc00001, 0xffa00002, 0x7f812345};
  for (std::size_t t = 0; t < input.size(); t += 97) input[t] = -0.0f;
  for (std::size_t t = 50; t < input.size(); t += 301) std::memcpy(&input[t], &nans[t % 3], 4);
  const std::vector<float> wet = RunWithMix(100, input), dry = RunWithMix(0, input);
  for (std::size_t t = 0; t < dry.size(); ++t) {
    const std::size_t latency = vorel::Processor::kLatency;
    const float delayed = t < latency ? 0.0f : input[t - latency];
    ASSERT_EQ(std::memcmp(&dry[t], &delayed, sizeof(float)), 0) << t;
  }
  const std::pair<float, int> steps[] = {{20.0f, 3277}, {99.98f, 1}};
  for (const auto& [mix, share] : steps) {
    const std::vector<float> out = RunWithMix(mix, input);
    const double weight = share / 4096.0;
    for (std::size_t t = 0; t < out.size(); ++t) {
      const auto mean = static_cast<float>((1.0 - weight) * wet[t] + weight * dry[t]);
      if (std::isnan(dry[t])) {
        ASSERT_TRUE(std::isnan(out[t])) << t;
      } else {
        ASSERT_EQ(std::memcmp(&out[t], &mean, sizeof(float)), 0) << mix << " % at " << t;
      }
    }
  }
  EXPECT_EQ(RunWithMix(kNaN, input), wet) << "a NaN before the first block keeps 100 %";
}

// The state table of support/state_table.h, through the CLAP state
// extension.
class ClapStatePlugin : public vorel_host::StatePlugin {
 public:
  ClapStatePlugin() : p_(true) {
    state_ = ClapHost::Extension<clap_plugin_state_t>(p_.Plugin, CLAP_EXT_STATE);
    params_ = ClapHost::Extension<clap_plugin_params_t>(p_.Plugin, CLAP_EXT_PARAMS);
  }
  void Set(const vorel_host::StateValues& values) override {
    for (uint32_t i = 0; i < kParameterCount; ++i) p_.Host.SetParameter(i, values[i]);
    float silence[2][16] = {};
    float* io[2] = {silence[0], silence[1]};
    p_.Host.Process(p_.Plugin, io, io, 16);
  }
  vorel_host::StateValues Values() override {
    vorel_host::StateValues values;
    for (uint32_t i = 0; i < kParameterCount; ++i) {
      double value = -1;
      params_->get_value(p_.Plugin, i, &value);
      values[i] = static_cast<float>(value);
    }
    return values;
  }
  bool Save(std::string& bytes, std::size_t chunk, bool broken) override {
    vorel_host::ClapStateBuffer buffer{"", 0, chunk, broken};
    const clap_ostream_t out = buffer.Writer();
    const bool saved = state_->save(p_.Plugin, &out);
    bytes = buffer.Bytes;
    return saved;
  }
  bool Load(const std::string& bytes, std::size_t chunk, bool broken, std::size_t& read) override {
    vorel_host::ClapStateBuffer buffer{bytes, 0, chunk, broken};
    const clap_istream_t in = buffer.Reader();
    const bool loaded = state_->load(p_.Plugin, &in);
    read = buffer.ReadPosition;
    return loaded;
  }

 private:
  ActivePlugin p_;
  const clap_plugin_state_t* state_;
  const clap_plugin_params_t* params_;
};

TEST(ClapPlugin, StateKeepsEveryValueInEveryLocaleAndStreamAndTakesNoHarm) {
  vorel_host::CheckStateTable([] { return std::make_unique<ClapStatePlugin>(); },
                              vorel_host::ReadFile(VOREL_TEST_DATA "/saved-0.2.0-clap.state"));
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
    state.ReadPosition = 0;
    if (round == 0) {
      EXPECT_TRUE(s->save(p.Plugin, &out));
    } else {
      EXPECT_TRUE(s->load(p.Plugin, &in));
    }
    p.Plugin->stop_processing(p.Plugin);
    p.Plugin->deactivate(p.Plugin);
    p.Active = false;
    state.ReadPosition = 0;
    EXPECT_TRUE(s->load(p.Plugin, &in));
  }
}

// DPF's editor needs the host's gui and timer-support extensions and, when
// created without them, fails with an assertion message. A host without
// them, asking for the editor as a host would, learns there is none and
// hears nothing on stderr, whether it offers other extensions or none.
TEST(ClapPlugin, AHostWithoutTimerSupportGetsNoEditorAndNoAssertion) {
  for (const bool offerOthers : {false, true}) {
    ActivePlugin p(offerOthers);
    ASSERT_NE(p.Plugin, nullptr);
    vorel_host::StderrCapture err;
    const auto* gui = ClapHost::Extension<clap_plugin_gui_t>(p.Plugin, CLAP_EXT_GUI);
    if (gui != nullptr && gui->create(p.Plugin, CLAP_WINDOW_API_X11, false)) gui->destroy(p.Plugin);
    EXPECT_EQ(gui, nullptr) << "offering other extensions: " << offerOthers;
    EXPECT_EQ(err.Text(), "");
  }
}

}  // namespace
