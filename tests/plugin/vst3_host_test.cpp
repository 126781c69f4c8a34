// The VST3 module as a host meets it, driven by the small host in
// support/vst3_host.h: the state table, each channel against the mono
// effect bit for bit through checked parameter changes, blocks without
// audio and a program change, and the presets as the host's program list.
#include <gtest/gtest.h>
#include <travesty/unit.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "effect/effect_channel.h"
#include "effect/port_table.h"
#include "effect/presets.h"
#include "support/first_difference.h"
#include "support/signals.h"
#include "support/state_table.h"
#include "support/stderr_capture.h"
#include "support/vst3_host.h"

namespace {

constexpr uint32_t kMix = vorel::kControlPortCount;
constexpr uint32_t kBypass = kMix + 1;
constexpr uint32_t kParameterCount = kBypass + 1;
constexpr uint32_t kProgram = 100;  // in the tables below: a program change
constexpr double kRate = 48000.0;
constexpr int32_t kMaxBlock = 4096;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One module for the whole test program, as a host keeps it.
const vorel_host::Vst3Module& Module() {
  static const vorel_host::Vst3Module module(VOREL_VST3_PATH);
  return module;
}

// One active plugin with the IDs of its parameters: those the host sees,
// in order, and DPF's program change.
struct ActivePlugin {
  ActivePlugin() {
    Active = Plugin.Ok() && Plugin.Activate(kRate, kMaxBlock);
    v3_edit_controller** c = Plugin.Controller;
    for (int32_t i = 0, n = 0; Active && i < v3_cpp_obj(c)->get_parameter_count(c); ++i) {
      v3_param_info info = {};
      v3_cpp_obj(c)->get_parameter_info(c, i, &info);
      if (info.flags & V3_PARAM_PROGRAM_CHANGE) ProgramId = info.param_id;
      if (!(info.flags & V3_PARAM_IS_HIDDEN) && n < int32_t{kParameterCount})
        Ids[n++] = info.param_id;
    }
  }
  v3_edit_controller* Controller() { return v3_cpp_obj(Plugin.Controller); }
  // The normalised value of a parameter's plain value, as the controller converts it.
  double Normalised(uint32_t parameter, double plain) {
    if (std::isnan(plain) || parameter >= kParameterCount) return plain;
    return Controller()->plain_parameter_to_normalised(Plugin.Controller, Ids[parameter], plain);
  }
  // A parameter's value as the host reads it back.
  float Value(uint32_t parameter) {
    const double normalised =
        Controller()->get_parameter_normalised(Plugin.Controller, Ids[parameter]);
    return static_cast<float>(
        Controller()->normalised_parameter_to_plain(Plugin.Controller, Ids[parameter], normalised));
  }
  v3_param_id Id(uint32_t parameter) const {
    return parameter < kParameterCount ? Ids[parameter] : 999;
  }

  vorel_host::Vst3Plugin Plugin{Module().Factory()};
  bool Active = false;
  v3_param_id Ids[kParameterCount] = {};
  v3_param_id ProgramId = 0;
};

// The state table of support/state_table.h, through the component's state
// calls.
class Vst3StatePlugin : public vorel_host::StatePlugin {
 public:
  // DPF passes over a change within 1e-7 of the normalised value it holds,
  // so each value comes after one far from it.
  void Set(const vorel_host::StateValues& values) override {
    vorel_host::PointQueue queues[kParameterCount];
    for (const bool far : {true, false}) {
      for (uint32_t i = 0; i < kParameterCount; ++i) {
        const double normalised = p_.Normalised(i, values[i]);
        queues[i] = vorel_host::MakeChange(p_.Ids[i], far ? normalised < 0.5 : normalised);
      }
      vorel_host::ParameterChanges changes = vorel_host::MakeChanges(queues, kParameterCount);
      float silence[2][16] = {};
      float* io[2] = {silence[0], silence[1]};
      p_.Plugin.Process(io, io, 16, &changes);
    }
  }
  vorel_host::StateValues Values() override {
    vorel_host::StateValues values;
    for (uint32_t i = 0; i < kParameterCount; ++i) values[i] = p_.Value(i);
    return values;
  }
  bool Save(std::string& bytes, std::size_t chunk, bool broken) override {
    vorel_host::Vst3StateStream stream("", chunk, broken);
    const v3_result saved =
        v3_cpp_obj(p_.Plugin.Component)->get_state(p_.Plugin.Component, stream.Face());
    bytes = stream.Bytes;
    return saved == V3_OK;
  }
  bool Load(const std::string& bytes, std::size_t chunk, bool broken, std::size_t& read) override {
    vorel_host::Vst3StateStream stream(bytes, chunk, broken);
    const v3_result loaded =
        v3_cpp_obj(p_.Plugin.Component)->set_state(p_.Plugin.Component, stream.Face());
    read = stream.ReadPosition;
    return loaded == V3_OK;
  }

 private:
  ActivePlugin p_;
};

TEST(Vst3Plugin, StateKeepsEveryValueInEveryLocaleAndStreamAndTakesNoHarm) {
  vorel_host::CheckStateTable([] { return std::make_unique<Vst3StatePlugin>(); },
                              vorel_host::ReadFile(VOREL_TEST_DATA "/saved-0.2.0-vst3.state"));
}

// A change sent with a block, in plain values; Taken is the value the
// parameter then has. A program change goes to the edit controller before
// the block. Changes of one parameter in one block are the points of one
// queue, 100 samples apart: the block runs with the first, and the last
// holds after it.
struct Change {
  std::size_t Block;
  uint32_t Parameter;
  double Value;
  float Taken;
};

TEST(Vst3Plugin, EachChannelIsTheMonoEffectBitForBitThroughCheckedChangesAndEmptyBlocks) {
  const int32_t blocks[] = {512, 0, 1000, 700, 0, 300, 0, 0, 2048, 333};
  const Change changes[] = {
      {1, vorel::SampleHoldPort, 8, 8},
      {1, vorel::BitMaskPort, 0.3, 0.3f},
      {2, kMix, 30, 30},
      {3, kProgram, 4, 0},
      {4, 99, 0.5, 0},
      {4, vorel::DirectionPort, kNaN, 1},
      {4, vorel::SampleHoldPort, kNaN, 4},
      {4, vorel::GainPort, 0.25, 0.25f},
      {5, kBypass, 0.5, 1},
      {6, kBypass, 0, 0},
      {6, vorel::AmpModPort, 0.5, 1},
      {7, kMix, 100, 100},
      {7, vorel::SampleHoldPort, 43, 43},
      {8, vorel::GainPort, 0.5, 0.5f},
      {8, vorel::GainPort, 1.75, 1.75f},
      {8, vorel::GainPort, 0.75, 0.75f},
      {9, 99, 0.5, 0},
      {9, vorel::ProcessTypePort, 0.5, 1},
  };
  std::size_t total = 0;
  for (int32_t n : blocks) total += n;
  std::vector<float> input[2] = {vorel_host::Noise(total, 7, 0.8f),
                                 vorel_host::Noise(total, 8, 0.6f)};
  std::vector<float> plugin[2] = {std::vector<float>(total), std::vector<float>(total)};
  std::vector<float> mono[2] = {std::vector<float>(total), std::vector<float>(total)};

  vorel_host::StderrCapture output;
  ActivePlugin p;
  ASSERT_TRUE(p.Active);
  vorel::EffectChannel channels[2] = {vorel::EffectChannel(kRate), vorel::EffectChannel(kRate)};
  float values[kParameterCount];
  const vorel::DefaultControls defaults = vorel::MakeDefaultControls();
  std::copy(defaults.Values, std::end(defaults.Values), values);
  values[kMix] = vorel::kMixControl.Default;
  values[kBypass] = 0;
  std::size_t at = 0;
  for (std::size_t b = 0; b < std::size(blocks); ++b) {
    std::vector<vorel_host::PointQueue> queues;
    float after[kParameterCount];
    std::copy(values, std::end(values), after);
    for (const Change& c : changes) {
      if (c.Block != b) continue;
      if (c.Parameter == kProgram) {
        const auto& preset = vorel::kPresets[static_cast<std::size_t>(c.Value)];
        p.Controller()->set_parameter_normalised(p.Plugin.Controller, p.ProgramId,
                                                 c.Value / (std::size(vorel::kPresets) - 1));
        std::copy(preset.Values, std::end(preset.Values), values);
        std::copy(preset.Values, std::end(preset.Values), after);
        continue;
      }
      const v3_param_id id = p.Id(c.Parameter);
      const double normalised = p.Normalised(c.Parameter, c.Value);
      const auto queue = std::find_if(queues.begin(), queues.end(),
                                      [&](const vorel_host::PointQueue& q) { return q.Id == id; });
      if (queue != queues.end()) {
        ASSERT_TRUE(queue->Add(100 * queue->Count, normalised));
      } else {
        queues.push_back(vorel_host::MakeChange(id, normalised));
        if (c.Parameter < kParameterCount) values[c.Parameter] = c.Taken;
      }
      if (c.Parameter < kParameterCount) after[c.Parameter] = c.Taken;
    }
    vorel_host::ParameterChanges changeList =
        vorel_host::MakeChanges(queues.data(), static_cast<int32_t>(queues.size()));
    float* in[2] = {&input[0][at], &input[1][at]};
    float* out[2] = {&plugin[0][at], &plugin[1][at]};
    ASSERT_EQ(p.Plugin.Process(in, out, blocks[b], &changeList), V3_OK);
    for (int ch = 0; ch < 2 && blocks[b] > 0; ++ch)
      channels[ch].Run(values, values[kMix], values[kBypass] == 0, in[ch], &mono[ch][at],
                       blocks[b]);
    std::copy(after, std::end(after), values);
    if (blocks[b] == 0) continue;
    for (uint32_t i = 0; i < kParameterCount; ++i)
      EXPECT_EQ(p.Value(i), values[i]) << "block " << b << ", parameter " << i;
    at += blocks[b];
  }
  for (int ch = 0; ch < 2; ++ch)
    EXPECT_EQ(vorel_host::FirstDifference(plugin[ch], mono[ch]), total) << "channel " << ch;
  EXPECT_EQ(output.Text(), "");
}

// Hosts keep automation and saved sessions by parameter ID, and read the
// list in order. The list is written out, hidden and program-change entries
// included: the editor's build must not move an ID (DPF's split controller
// puts two hidden parameters first), nor a change to the port table.
TEST(Vst3Plugin, ListsEveryParameterUnderTheIdsHostsSaved) {
  struct Entry {
    v3_param_id Id;
    int32_t Flags;
  };
  constexpr int32_t kAutomate = V3_PARAM_CAN_AUTOMATE, kChoice = V3_PARAM_IS_LIST;
  constexpr Entry kList[] = {
      {0, V3_PARAM_READ_ONLY | V3_PARAM_IS_HIDDEN},  // DPF's latency
      {1, V3_PARAM_PROGRAM_CHANGE | V3_PARAM_IS_HIDDEN | kChoice | kAutomate},
      {2, kAutomate},            // s&h
      {3, kAutomate},            // gain
      {4, kAutomate | kChoice},  // direction
      {5, kAutomate},            // bitmask
      {6, kAutomate},            // amp-mod amt
      {7, kAutomate | kChoice},  // process-typ
      {8, kAutomate},            // mix
      {9, kAutomate | V3_PARAM_IS_BYPASS},
  };
  vorel_host::Vst3Plugin plugin{Module().Factory()};
  ASSERT_TRUE(plugin.Ok());
  v3_edit_controller** c = plugin.Controller;
  const int32_t count = v3_cpp_obj(c)->get_parameter_count(c);
  EXPECT_EQ(count, int32_t{sizeof(kList) / sizeof(kList[0])});
  for (int32_t i = 0; i < count && i < int32_t{sizeof(kList) / sizeof(kList[0])}; ++i) {
    v3_param_info info = {};
    ASSERT_EQ(v3_cpp_obj(c)->get_parameter_info(c, i, &info), V3_OK);
    EXPECT_EQ(info.param_id, kList[i].Id) << "entry " << i;
    EXPECT_EQ(info.flags, kList[i].Flags) << "entry " << i;
  }
}

// A host fills its preset menu from the unit information, asked of the
// component or of the controller: the root unit's program list, in order,
// by name, and sets the program change parameter of that unit to choose
// one. Names off by one, a list the root unit does not name, or a program
// that does not load all show here.
TEST(Vst3Plugin, ListsThePresetsAsTheRootUnitsProgramsAndLoadsTheOneChosen) {
  ActivePlugin p;
  ASSERT_TRUE(p.Active);
  for (void** asked : {reinterpret_cast<void**>(p.Plugin.Component),
                       reinterpret_cast<void**>(p.Plugin.Controller)}) {
    v3_unit_information** units = nullptr;
    ASSERT_EQ(v3_cpp_obj_query_interface(asked, v3_unit_information_iid, &units), V3_OK);
    v3_unit_information* u = v3_cpp_obj(units);
    v3_unit_info unit = {};
    v3_program_list_info list = {};
    ASSERT_EQ(u->get_unit_count(units), 1);
    ASSERT_EQ(u->get_unit_info(units, 0, &unit), V3_OK);
    ASSERT_EQ(u->get_program_list_count(units), 1);
    ASSERT_EQ(u->get_program_list_info(units, 0, &list), V3_OK);
    EXPECT_EQ(unit.id, 0);
    EXPECT_EQ(list.id, unit.program_list_id);
    ASSERT_EQ(list.programCount, int32_t{std::size(vorel::kPresets)});
    for (int32_t i = 0; i <= list.programCount; ++i) {
      v3_str_128 name = {};
      const bool listed = u->get_program_name(units, list.id, i, name) == V3_OK;
      ASSERT_EQ(listed, i < list.programCount) << "program " << i;
      std::string text;
      for (int k = 0; k < 128 && name[k] != 0; ++k) text += static_cast<char>(name[k]);
      EXPECT_EQ(text, listed ? vorel::kPresets[i].Name : "") << "program " << i;
    }
    v3_cpp_obj_unref(units);
  }

  v3_param_info program = {};
  v3_edit_controller** c = p.Plugin.Controller;
  for (int32_t i = 0; i < p.Controller()->get_parameter_count(c); ++i) {
    p.Controller()->get_parameter_info(c, i, &program);
    if (program.flags & V3_PARAM_PROGRAM_CHANGE) break;
  }
  ASSERT_TRUE(program.flags & V3_PARAM_PROGRAM_CHANGE);
  EXPECT_EQ(program.unit_id, 0);
  EXPECT_EQ(program.step_count + 1, int32_t{std::size(vorel::kPresets)});
  ASSERT_EQ(p.Controller()->set_parameter_normalised(c, program.param_id, 3.0 / program.step_count),
            V3_OK);
  for (uint32_t i = 0; i < vorel::kControlPortCount; ++i)
    EXPECT_EQ(p.Value(i), vorel::kPresets[3].Values[i]) << "parameter " << i;
}

}  // namespace
