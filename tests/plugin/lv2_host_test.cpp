// The LV2 plugin as lilv hosts see it, found in the build directory through
// LV2_PATH: its ports say what the shared port table says, it reports its
// latency on every run, it sounds like the LADSPA plugin bit for bit, its
// bypass keeps time, its mix lines dry and wet up, activation starts
// afresh, and its presets are the shared table's.
#include "support/lv2_host.h"
#include "effect/version.h"

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>
#include <lv2/units/units.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "effect/presets.h"
#include "support/ladspa_host.h"
#include "support/signals.h"

namespace {

using vorel_lv2_host::World;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr std::size_t kLatency = 1024;
constexpr std::size_t kFade = 512;  // the longest a switch of "enabled" may take to settle

class Lv2Plugin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(world.Plugin(), nullptr) << vorel::kPluginUri << " not found on LV2_PATH";
  }
  World world;
};

// The port's value of a property, as a node, or null.
const LilvNode* First(const LilvNodes* nodes) {
  return nodes == nullptr ? nullptr : lilv_nodes_get_first(nodes);
}

TEST_F(Lv2Plugin, EveryPortIsWhatThePortTableSays) {
  const LilvPlugin* plugin = world.Plugin();
  ASSERT_EQ(lilv_plugin_get_num_ports(plugin), vorel::Lv2PortCount);
  for (uint32_t index = 0; index < vorel::Lv2PortCount; ++index) {
    SCOPED_TRACE(index);
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
    // The shared table's ports and the mix have an entry; the others a designation.
    const vorel::PortEntry* entry = vorel::Lv2PortEntry(index);
    const bool shared = entry != nullptr;
    const vorel::DesignatedPort* designated = shared ? nullptr : &vorel::DesignatedPortAt(index);
    const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
    EXPECT_EQ(symbol, shared ? entry->Symbol : designated->Symbol);
    EXPECT_TRUE(!symbol.empty() && !std::isdigit(static_cast<unsigned char>(symbol[0])) &&
                symbol.find_first_not_of(
                    "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") ==
                    std::string::npos);
    LilvNode* name = lilv_port_get_name(plugin, port);
    EXPECT_STREQ(lilv_node_as_string(name), shared ? entry->Name : designated->Name);
    lilv_node_free(name);

    const bool audio = shared && entry->Kind != vorel::PortKind::ControlInput;
    const bool output = shared ? entry->Kind == vorel::PortKind::AudioOutput : designated->Output;
    EXPECT_TRUE(lilv_port_is_a(plugin, port, world.Lv2(audio ? "AudioPort" : "ControlPort")));
    EXPECT_TRUE(lilv_port_is_a(plugin, port, world.Lv2(output ? "OutputPort" : "InputPort")));
    if (audio) continue;

    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(plugin, port, &def, &min, &max);
    EXPECT_EQ(lilv_node_as_float(def), shared ? entry->Default : designated->Default);
    EXPECT_EQ(lilv_node_as_float(min), shared ? entry->Minimum : designated->Minimum);
    EXPECT_EQ(lilv_node_as_float(max), shared ? entry->Maximum : designated->Maximum);
    lilv_node_free(def);
    lilv_node_free(min);
    lilv_node_free(max);

    const bool hasPoints = shared && entry->ScalePoints != nullptr;
    EXPECT_EQ(lilv_port_has_property(plugin, port, world.Lv2("integer")),
              shared ? entry->Integer : designated->Integer);
    EXPECT_EQ(lilv_port_has_property(plugin, port, world.Lv2("toggled")),
              shared ? entry->Toggled : designated->Toggled);
    EXPECT_EQ(lilv_port_has_property(plugin, port, world.Lv2("enumeration")), hasPoints);
    EXPECT_EQ(lilv_port_has_property(plugin, port, world.Lv2("reportsLatency")),
              !shared && designated->ReportsLatency);
    // The logarithmic hint belongs to the LADSPA plugin only.
    EXPECT_FALSE(lilv_port_has_property(
        plugin, port, world.Uri("http://lv2plug.in/ns/ext/port-props#logarithmic")));

    LilvNodes* units = lilv_port_get_value(plugin, port, world.Uri(LV2_UNITS__unit));
    const char* expectedUnit = shared
                                   ? (entry->Unit == vorel::PortUnit::Coefficient ? LV2_UNITS__coef
                                      : entry->Unit == vorel::PortUnit::Percent   ? LV2_UNITS__pc
                                                                                  : nullptr)
                                   : (designated->InFrames ? LV2_UNITS__frame : nullptr);
    EXPECT_STREQ(First(units) ? lilv_node_as_uri(First(units)) : nullptr, expectedUnit);
    lilv_nodes_free(units);

    LilvNodes* designation = lilv_port_get_value(plugin, port, world.Lv2("designation"));
    EXPECT_EQ(
        First(designation) ? std::string(lilv_node_as_uri(First(designation))) : std::string(),
        shared ? std::string() : std::string(LILV_NS_LV2) + designated->Designation);
    lilv_nodes_free(designation);

    std::map<float, std::string> points, expectedPoints;
    LilvScalePoints* found = lilv_port_get_scale_points(plugin, port);
    LILV_FOREACH(scale_points, i, found) {
      const LilvScalePoint* point = lilv_scale_points_get(found, i);
      points[lilv_node_as_float(lilv_scale_point_get_value(point))] =
          lilv_node_as_string(lilv_scale_point_get_label(point));
    }
    lilv_scale_points_free(found);
    for (std::size_t i = 0; hasPoints && i < entry->ScalePointCount; ++i) {
      expectedPoints[entry->ScalePoints[i].Value] = entry->ScalePoints[i].Label;
    }
    EXPECT_EQ(points, expectedPoints);
  }
}

TEST_F(Lv2Plugin, DescribesItselfAsARealTimeSpectralPluginOfThisVersion) {
  const LilvPlugin* plugin = world.Plugin();
  EXPECT_TRUE(lilv_plugin_has_latency(plugin));
  EXPECT_EQ(lilv_plugin_get_latency_port_index(plugin), vorel::LatencyPort);
  LilvNodes* required = lilv_plugin_get_required_features(plugin);
  EXPECT_EQ(lilv_nodes_size(required), 0u);
  lilv_nodes_free(required);
  EXPECT_TRUE(lilv_plugin_has_feature(plugin, world.Lv2("hardRTCapable")));
  EXPECT_FALSE(lilv_plugin_has_feature(plugin, world.Lv2("inPlaceBroken")));
  EXPECT_TRUE(lilv_world_ask(world.Get(), lilv_plugin_get_uri(plugin),
                             world.Uri("http://www.w3.org/1999/02/22-rdf-syntax-ns#type"),
                             world.Lv2("SpectralPlugin")));
  LilvNode* name = lilv_plugin_get_name(plugin);
  EXPECT_STREQ(lilv_node_as_string(name), "Vorel");
  lilv_node_free(name);
  LilvNode* author = lilv_plugin_get_author_name(plugin);
  EXPECT_STREQ(author ? lilv_node_as_string(author) : "", "Vorel developers");
  lilv_node_free(author);
  // LV2 versions: minor even and non-zero, micro even in a release.
  for (const auto& [term, expected] : {std::pair{"minorVersion", VOREL_VERSION_MINOR},
                                       std::pair{"microVersion", VOREL_VERSION_PATCH}}) {
    LilvNodes* value = lilv_plugin_get_value(plugin, world.Lv2(term));
    EXPECT_EQ(First(value) ? lilv_node_as_int(First(value)) : -1, expected) << term;
    lilv_nodes_free(value);
  }
}

TEST_F(Lv2Plugin, LatencyReads1024AfterEveryRunEvenOfNoSamples) {
  vorel_lv2_host::Instance instance(world.Plugin(), 48000);
  ASSERT_TRUE(instance.Valid());
  const std::vector<float> input = vorel_host::Noise(5000, 3, 0.5f);
  std::vector<float> output(input.size());
  for (uint32_t count : {0u, 1u, 1023u, 0u, 3000u, 7u}) {
    instance.enabled = count == 3000 ? 0.0f : 1.0f;
    instance.latency = -1.0f;
    instance.Run(input.data(), output.data(), count);
    EXPECT_EQ(instance.latency, 1024.0f) << "after run(" << count << ")";
  }
}

TEST_F(Lv2Plugin, InstantiateRefusesARateNoFloatCanHold) {
  for (double rate : {-1.0, std::nan(""), 1e300, -std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(vorel_lv2_host::Instance(world.Plugin(), rate).Valid()) << rate;
  }
  EXPECT_TRUE(vorel_lv2_host::Instance(world.Plugin(), 0.0).Valid());
}

struct NamedControls {
  const char* Name;
  float Values[vorel::kControlPortCount];
};

// Index of the first sample where the two differ bit for bit, or -1.
long FirstDifference(const std::vector<float>& a, const std::vector<float>& b, std::size_t from = 0,
                     std::size_t to = SIZE_MAX) {
  to = std::min({to, a.size(), b.size()});
  for (std::size_t i = from; i < to; ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) return static_cast<long>(i);
  }
  return a.size() == b.size() ? -1 : static_cast<long>(to);
}

// Runs an LV2 instance over a whole signal in the given blocks, in place or not.
std::vector<float> RunLv2(vorel_lv2_host::Instance& instance, const std::vector<float>& input,
                          const std::vector<uint32_t>& blocks, bool inPlace) {
  std::vector<float> output = inPlace ? input : std::vector<float>(input.size());
  instance.RunBlocks(inPlace ? output.data() : input.data(), output.data(), input.size(), blocks);
  return output;
}

TEST_F(Lv2Plugin, SoundsLikeTheLadspaPluginBitForBit) {
  vorel_host::Library ladspa(VOREL_LIBRARY_PATH);
  ASSERT_NE(ladspa.Descriptor(), nullptr);
  const NamedControls sets[] = {
      {"defaults", {1, 1, 1, 0, 0, 0}},
      {"long hold up", {43, 1, 0, 0, 0, 0}},
      {"ramp", {20, 0.7f, 1, 0, 0, 1}},
      {"mask", {4, 1, 1, 0.5f, 0, 0}},
      {"amp-mod on", {24, 1.5f, 0, 0.01f, 1, 0}},
      {"NaN everywhere", {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN}},
      {"out of range", {1e9f, 3, 5, 7, -2, 2}},
      {"below range", {-5, -1, -1, -0.5f, 0.99f, -3}},
  };
  const std::vector<std::vector<uint32_t>> patterns = {
      {1024}, {1, 7, 256, 0, 1000}, {4099}, {0, 513, 2}};
  const std::vector<float> input = vorel_host::Noise(9000, 11, 0.8f);
  for (double rate : {44100.0, 48000.0, 1.0, 200.0, 96001.0}) {
    for (const NamedControls& set : sets) {
      if (rate != 44100.0 && std::strcmp(set.Name, "mask") != 0) continue;
      for (const std::vector<uint32_t>& blocks : patterns) {
        for (bool inPlace : {false, true}) {
          SCOPED_TRACE(::testing::Message() << set.Name << ", rate " << rate << ", first block "
                                            << blocks[0] << (inPlace ? ", in place" : ""));
          // The first part runs with the previous set's values, then a block
          // of no samples takes over the next set's, so every run also
          // changes the controls on the way (a NaN keeps the value before).
          const std::size_t at = static_cast<std::size_t>(&set - sets), count = std::size(sets);
          const NamedControls& previous = sets[(at + count - 1) % count];
          const NamedControls& next = sets[(at + 1) % count];
          vorel_host::Instance reference(ladspa.Descriptor(), static_cast<unsigned long>(rate));
          vorel_lv2_host::Instance instance(world.Plugin(), rate);
          ASSERT_TRUE(instance.Valid());
          std::vector<float> expected(input.size());
          std::vector<float> output = inPlace ? input : std::vector<float>(input.size());
          const std::vector<unsigned long> ladspaBlocks(blocks.begin(), blocks.end());
          for (auto [values, from, to] : {std::tuple{&previous, 0ul, 2500ul},
                                          {&next, 2500ul, 2500ul},
                                          {&set, 2500ul, input.size()}}) {
            std::copy(std::begin(values->Values), std::end(values->Values),
                      reference.controls.Values);
            std::copy(std::begin(values->Values), std::end(values->Values), instance.controls);
            const float* in = inPlace ? &output[from] : &input[from];
            if (from == to) {
              reference.Run(&input[from], &expected[from], 0);
              instance.Run(in, &output[from], 0);
            }
            reference.RunBlocks(&input[from], &expected[from], to - from, ladspaBlocks.data(),
                                ladspaBlocks.size());
            instance.RunBlocks(in, &output[from], to - from, blocks);
          }
          EXPECT_EQ(FirstDifference(output, expected), -1);
        }
      }
    }
  }
}

// The input as the plugin's output lines it up: 1024 samples late.
float Delayed(const std::vector<float>& input, std::size_t t) {
  return t < kLatency ? 0.0f : input[t - kLatency];
}

// Switches "enabled" off at the first block boundary from offAt and on again
// from onAt; returns the output and where the two switches took effect.
std::vector<float> RunWithBypass(vorel_lv2_host::Instance& instance,
                                 const std::vector<float>& input,
                                 const std::vector<uint32_t>& blocks, bool inPlace,
                                 std::size_t offAt, std::size_t onAt, std::size_t& off,
                                 std::size_t& on) {
  std::vector<float> output = inPlace ? input : std::vector<float>(input.size());
  off = on = input.size();
  std::size_t pos = 0;
  for (std::size_t b = 0; pos < input.size(); ++b) {
    if (pos >= offAt && off == input.size()) off = pos, instance.enabled = 0.0f;
    if (pos >= onAt && on == input.size()) on = pos, instance.enabled = 1.0f;
    const uint32_t n =
        std::min<uint32_t>(blocks[b % blocks.size()], static_cast<uint32_t>(input.size() - pos));
    instance.Run(inPlace ? output.data() + pos : input.data() + pos, output.data() + pos, n);
    pos += n;
  }
  return output;
}

TEST_F(Lv2Plugin, BypassGivesTheInputDelayedByTheLatencyAndCrossfadesEachSwitch) {
  const std::vector<float> input = vorel_host::Noise(20000, 5, 0.9f);
  for (const std::vector<uint32_t>& blocks :
       std::vector<std::vector<uint32_t>>{{256}, {1, 700, 0, 3000, 33}}) {
    for (bool inPlace : {false, true}) {
      SCOPED_TRACE(::testing::Message()
                   << "first block " << blocks[0] << (inPlace ? ", in place" : ""));
      vorel_lv2_host::Instance effect(world.Plugin(), 44100), bypassed(world.Plugin(), 44100);
      for (vorel_lv2_host::Instance* i : {&effect, &bypassed})
        i->controls[vorel::BitMaskPort] = 0.2f;
      const std::vector<float> wet = RunLv2(effect, input, blocks, false);
      std::size_t off, on;
      const std::vector<float> out =
          RunWithBypass(bypassed, input, blocks, inPlace, 4000, 11000, off, on);
      ASSERT_LT(on + kFade, out.size());
      EXPECT_EQ(FirstDifference(out, wet, 0, off), -1) << "before the switch";
      std::vector<float> dry(input.size());
      for (std::size_t t = 0; t < dry.size(); ++t) dry[t] = Delayed(input, t);
      EXPECT_EQ(FirstDifference(out, dry, off + kFade, on), -1) << "bypassed";
      EXPECT_EQ(FirstDifference(out, wet, on + kFade), -1) << "the effect again";
      // During each crossfade every sample lies between the two signals, and
      // its share of the input moves steadily, in small steps, one way.
      for (std::size_t start : {off, on}) {
        double share = start == off ? 0.0 : 1.0;
        for (std::size_t t = start; t < start + kFade; ++t) {
          ASSERT_GE(out[t], std::min(wet[t], dry[t])) << t;
          ASSERT_LE(out[t], std::max(wet[t], dry[t])) << t;
          const double span = static_cast<double>(dry[t]) - wet[t];
          if (std::fabs(span) < 0.05) continue;
          const double now = (out[t] - static_cast<double>(wet[t])) / span;
          ASSERT_LE(std::fabs(now - share), 1.0 / 64) << "a jump at " << t;
          ASSERT_GE((now - share) * (start == off ? 1 : -1), -1e-5) << "a step back at " << t;
          share = now;
        }
      }
    }
  }
}

TEST_F(Lv2Plugin, StartingBypassedGivesTheDelayedInputFromTheFirstSample) {
  vorel_lv2_host::Instance instance(world.Plugin(), 48000);
  instance.enabled = 0.0f;
  const std::vector<float> input = vorel_host::Noise(3000, 9, 1.0f);
  const std::vector<float> out = RunLv2(instance, input, {100}, true);
  for (std::size_t t = 0; t < out.size(); ++t) ASSERT_EQ(out[t], Delayed(input, t)) << t;
}

// Sets "mix" to each value at the first block boundary from its sample;
// returns the output and where each value took effect.
std::vector<float> RunWithMix(vorel_lv2_host::Instance& instance, const std::vector<float>& input,
                              const std::vector<uint32_t>& blocks,
                              const std::vector<std::pair<std::size_t, float>>& changes,
                              std::vector<std::size_t>& at) {
  std::vector<float> output(input.size());
  at.clear();
  std::size_t pos = 0;
  for (std::size_t b = 0; pos < input.size(); ++b) {
    if (at.size() < changes.size() && pos >= changes[at.size()].first) {
      instance.mix = changes[at.size()].second;
      at.push_back(pos);
    }
    const uint32_t n =
        std::min<uint32_t>(blocks[b % blocks.size()], static_cast<uint32_t>(input.size() - pos));
    instance.Run(input.data() + pos, output.data() + pos, n);
    pos += n;
  }
  return output;
}

TEST_F(Lv2Plugin, MixGivesTheEffectAtFullTheDelayedInputAtZeroAndAMeanBetween) {
  constexpr std::size_t kRamp = 512;  // the samples a change across the whole range takes
  const std::vector<float> input = vorel_host::Noise(20000, 7, 0.9f);
  std::vector<float> dry(input.size());
  for (std::size_t t = 0; t < dry.size(); ++t) dry[t] = Delayed(input, t);
  // Each value and the input's share of the output it asks for: out of
  // range counts as the nearer end, a NaN keeps the value before (neither
  // end nor the default), and the first value holds from the first sample.
  const std::vector<std::pair<std::size_t, float>> changes = {
      {0, 50.0f}, {3000, 150.0f}, {6000, -20.0f}, {8000, 12.5f}, {12000, kNaN}, {16000, 100.0f}};
  const double shares[] = {0.5, 0.0, 1.0, 0.875, 0.875, 0.0};
  for (const std::vector<uint32_t>& blocks :
       std::vector<std::vector<uint32_t>>{{256}, {1, 700, 0, 3000, 33}}) {
    SCOPED_TRACE(::testing::Message() << "first block " << blocks[0]);
    vorel_lv2_host::Instance effect(world.Plugin(), 44100), mixed(world.Plugin(), 44100);
    for (vorel_lv2_host::Instance* i : {&effect, &mixed}) i->controls[vorel::BitMaskPort] = 0.2f;
    const std::vector<float> wet = RunLv2(effect, input, blocks, false);
    std::vector<std::size_t> at;
    const std::vector<float> out = RunWithMix(mixed, input, blocks, changes, at);
    // The model: after each change the share moves in a straight line to
    // the new one, by 1/kRamp a sample.
    double share = shares[0], target = shares[0];
    for (std::size_t t = 0, next = 0; t < out.size(); ++t) {
      if (next < at.size() && t == at[next]) target = shares[next++];
      share = target > share ? std::min(target, share + 1.0 / kRamp)
                             : std::max(target, share - 1.0 / kRamp);
      if (share == 0.0 || share == 1.0) {
        ASSERT_EQ(FirstDifference(out, share == 0.0 ? wet : dry, t, t + 1), -1) << t;
        continue;
      }
      ASSERT_GE(out[t], std::min(wet[t], dry[t])) << t;
      ASSERT_LE(out[t], std::max(wet[t], dry[t])) << t;
      const double span = static_cast<double>(dry[t]) - wet[t];
      if (std::fabs(span) < 0.05) continue;
      ASSERT_NEAR((out[t] - static_cast<double>(wet[t])) / span, share, 1e-4) << t;
    }
  }
}

TEST_F(Lv2Plugin, ActivatingAgainGivesAFreshInstancesOutput) {
  const std::vector<float> before = vorel_host::Noise(7000, 21, 1.0f);
  const std::vector<float> after = vorel_host::Noise(9000, 22, 0.7f);
  const std::vector<uint32_t> blocks = {300, 1, 2048};
  vorel_lv2_host::Instance used(world.Plugin(), 44100), fresh(world.Plugin(), 44100);
  used.controls[vorel::SampleHoldPort] = 30;
  used.controls[vorel::BitMaskPort] = 0.7f;
  used.mix = 30.0f;
  std::size_t off, on;
  // Stopped in the middle of a crossfade, with sound in every buffer.
  RunWithBypass(used, before, blocks, false, 2000, 6800, off, on);
  used.Reactivate();
  for (vorel_lv2_host::Instance* i : {&used, &fresh}) {
    const float controls[] = {12, 1, 0, 0.05f, 1, 1};
    std::copy(std::begin(controls), std::end(controls), i->controls);
    i->enabled = 1.0f;
    i->mix = kNaN;  // keeps the value before, which activation forgets
  }
  std::size_t off1, on1, off2, on2;
  const std::vector<float> a = RunWithBypass(used, after, blocks, false, 3000, 6000, off1, on1);
  const std::vector<float> b = RunWithBypass(fresh, after, blocks, false, 3000, 6000, off2, on2);
  EXPECT_EQ(FirstDifference(a, b), -1);
}

// Collects the port values a preset's state sets, by symbol.
void CollectValue(const char* symbol, void* values, const void* value, uint32_t size,
                  uint32_t type) {
  auto* collected = static_cast<std::map<std::string, std::vector<float>>*>(values);
  (*collected)[symbol].push_back(size == sizeof(float) ? *static_cast<const float*>(value) : kNaN);
  (*collected)["(type)"].push_back(static_cast<float>(type));
}

TEST_F(Lv2Plugin, EachPresetSetsTheSixControlsOfItsTableEntry) {
  std::map<std::string, const vorel::Preset*> expected;
  for (const vorel::Preset& preset : vorel::kPresets) expected[preset.Name] = &preset;

  LilvNodes* presets = lilv_plugin_get_related(world.Plugin(), world.Uri(LV2_PRESETS__Preset));
  EXPECT_EQ(lilv_nodes_size(presets), expected.size());
  const float floatType = static_cast<float>(world.urids.Map(LV2_ATOM__Float));
  LILV_FOREACH(nodes, i, presets) {
    const LilvNode* uri = lilv_nodes_get(presets, i);
    lilv_world_load_resource(world.Get(), uri);
    LilvNodes* labels =
        lilv_world_find_nodes(world.Get(), uri, world.Uri(LILV_NS_RDFS "label"), nullptr);
    const std::string label = First(labels) ? lilv_node_as_string(First(labels)) : "";
    lilv_nodes_free(labels);
    SCOPED_TRACE(label);
    ASSERT_EQ(expected.count(label), 1u);
    LilvNodes* comment =
        lilv_world_find_nodes(world.Get(), uri, world.Uri(LILV_NS_RDFS "comment"), nullptr);
    EXPECT_EQ(First(comment) ? lilv_node_as_string(First(comment)) : "",
              std::string(expected[label]->Comment));
    lilv_nodes_free(comment);

    LilvState* state = lilv_state_new_from_world(world.Get(), world.urids.Lv2Map(), uri);
    ASSERT_NE(state, nullptr);
    std::map<std::string, std::vector<float>> values;
    lilv_state_emit_port_values(state, CollectValue, &values);
    lilv_state_free(state);
    EXPECT_EQ(values["(type)"], std::vector<float>(vorel::kControlPortCount, floatType));
    EXPECT_EQ(values.size(), vorel::kControlPortCount + 1);
    for (unsigned long port = 0; port < vorel::kControlPortCount; ++port) {
      EXPECT_EQ(values[vorel::kPortTable[port].Symbol],
                std::vector<float>{expected[label]->Values[port]})
          << vorel::kPortTable[port].Symbol;
    }
    expected.erase(label);
  }
  lilv_nodes_free(presets);
}

}  // namespace
