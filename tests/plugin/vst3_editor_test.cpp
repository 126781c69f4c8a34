// The VST3 editor as a Linux host opens it: the controller's view attached
// to an X11 window of the host's and driven by the host's run loop, which
// DPF finds through the plug frame; its edits reach the host's component
// handler.
#include <gtest/gtest.h>

#include "effect/port_table.h"
#include "support/vst3_editor_host.h"
#include "support/vst3_host.h"
#include "ui/layout.h"

// Last: it brings Xlib's macros.
#include "support/editor_harness.h"

namespace {

using vorel_host::HostWindow;

// DPF's latency and program parameters come first.
constexpr v3_param_id kGainId = vorel::GainPort + 2;

// An active plugin whose controller has the host's application and
// component handler, as a host sets it up before it asks for the editor.
struct EditedPlugin {
  EditedPlugin() {
    Ok = Plugin.Ok() && Plugin.Activate(48000.0, 4096) &&
         v3_cpp_obj_initialize(Plugin.Controller, Host.Application()) == V3_OK &&
         Controller()->set_component_handler(Plugin.Controller, Host.Handler()) == V3_OK;
  }
  v3_edit_controller* Controller() { return v3_cpp_obj(Plugin.Controller); }

  // The editor's view in the host's window, or null.
  v3_plugin_view** Open(Window parent) {
    v3_plugin_view** view = Controller()->create_view(Plugin.Controller, "editor");
    if (view == nullptr) return nullptr;
    v3_cpp_obj(view)->set_frame(view, Host.Frame());
    const v3_result attached = v3_cpp_obj(view)->attached(view, reinterpret_cast<void*>(parent),
                                                          V3_VIEW_PLATFORM_TYPE_X11);
    if (attached == V3_OK) return view;
    v3_cpp_obj_unref(view);
    return nullptr;
  }
  static void Close(v3_plugin_view** view) {
    v3_cpp_obj(view)->removed(view);
    v3_cpp_obj_unref(view);
  }

  vorel_host::Vst3Module Module{VOREL_VST3_PATH};
  vorel_host::Vst3EditorHost Host;
  vorel_host::Vst3Plugin Plugin{Module.Factory(), Host.Application()};
  bool Ok = false;
};

// The editor shows the value the host's automation set (a drag goes on
// from there, not from the default), and a drag comes to the host as one
// gesture around the new value: the faults of an editor that misses host
// changes, sends values outside a gesture, or never gets the host's timer.
TEST(Vst3Editor, ShowsTheHostsValueAndSendsADragAsOneGesture) {
  HostWindow window;
  if (!window.Ok()) GTEST_SKIP() << "no X server";
  EditedPlugin p;
  ASSERT_TRUE(p.Ok);
  v3_plugin_view** view = p.Open(window.Parent);
  ASSERT_NE(view, nullptr);

  // A gain of 1.5, as a host plays automation: to the processor with a
  // block, and to the controller. The editor learns it from the block: DPF's
  // controller, one object with the processor, passes over the call.
  vorel_host::PointQueue change = vorel_host::MakeChange(kGainId, 0.75);
  vorel_host::ParameterChanges changes = vorel_host::MakeChanges(&change, 1);
  float left[64] = {}, right[64] = {};
  float* io[2] = {left, right};
  ASSERT_EQ(p.Plugin.Process(io, io, 64, &changes), V3_OK);
  p.Controller()->set_parameter_normalised(p.Plugin.Controller, kGainId, 0.75);
  p.Host.Idle(20);

  // Ten pixels right of the 200 that cross the gain's range of 2.
  ASSERT_NE(window.Editor(), 0u);
  const vorel::Box& gain = vorel::kControlBoxes[vorel::GainPort];
  const double x = gain.X + gain.W / 2, y = gain.Y + gain.H / 2;
  vorel_host::SendButton(window.Connection, window.Editor(), ButtonPress, Button1, x, y);
  vorel_host::SendMotion(window.Connection, window.Editor(), x + 10, y);
  vorel_host::SendButton(window.Connection, window.Editor(), ButtonRelease, Button1, x + 10, y);
  p.Host.Idle(20);

  const auto& edits = p.Host.Edits;
  ASSERT_EQ(edits.size(), 3u);
  EXPECT_EQ(edits[0].Kind, 'b');
  EXPECT_EQ(edits[1].Kind, 'p');
  EXPECT_EQ(edits[2].Kind, 'e');
  for (const auto& edit : edits) EXPECT_EQ(edit.Id, kGainId);
  EXPECT_EQ(edits[1].Value, (1.5f + 0.1f) / 2.0);
  EditedPlugin::Close(view);
}

// Opened and closed fifty times while the audio thread runs blocks: the
// faults of a view that leaves its timer with the host, or whose editor
// races or outlives what the audio thread publishes into (the sanitizer
// builds run it).
TEST(Vst3Editor, OpensAndClosesFiftyTimesWhileAudioRuns) {
  HostWindow window;
  if (!window.Ok()) GTEST_SKIP() << "no X server";
  EditedPlugin p;
  ASSERT_TRUE(p.Ok);
  float left[64] = {}, right[64] = {};
  float* io[2] = {left, right};
  vorel_host::AudioThread audio([&] { p.Plugin.Process(io, io, 64); });
  for (int i = 0; i < 50; ++i) {
    v3_plugin_view** view = p.Open(window.Parent);
    ASSERT_NE(view, nullptr);
    p.Host.Idle(3);
    EditedPlugin::Close(view);
    ASSERT_EQ(p.Host.TimerCount(), 0u);
  }
}

}  // namespace
