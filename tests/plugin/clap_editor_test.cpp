// The CLAP editor as a host opens it: created, given an X11 window of the
// host's as its parent and shown, with the host's timer driving it.
#include <clap/ext/gui.h>
#include <clap/ext/timer-support.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "effect/port_table.h"
#include "support/clap_host.h"
#include "ui/layout.h"

// Last: it brings Xlib's macros.
#include "support/editor_harness.h"

namespace {

using vorel_host::ClapHost;
using vorel_host::HostWindow;

// The host's timer, as a host's event loop fires it, a few times.
void Idle(const clap_plugin_t* plugin, const ClapHost& host, int times) {
  const auto* timer =
      ClapHost::Extension<clap_plugin_timer_support_t>(plugin, CLAP_EXT_TIMER_SUPPORT);
  for (int i = 0; i < times; ++i) {
    if (host.Timer != CLAP_INVALID_ID) timer->on_timer(plugin, host.Timer);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// A host with gui and timer-support, its window, and the plugin active and
// processing, with its gui extension.
class ClapEditor : public testing::Test {
 protected:
  void SetUp() override {
    if (!window.Ok()) GTEST_SKIP() << "no X server";
    plugin = host.Create(module.Factory());
    ASSERT_NE(plugin, nullptr);
    ASSERT_TRUE(plugin->activate(plugin, 48000.0, 1, 4096) && plugin->start_processing(plugin));
    gui = ClapHost::Extension<clap_plugin_gui_t>(plugin, CLAP_EXT_GUI);
    ASSERT_NE(gui, nullptr);
  }
  void TearDown() override {
    if (plugin == nullptr) return;
    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
  }

  HostWindow window;
  vorel_host::ClapModule module{VOREL_CLAP_PATH};
  ClapHost host{true, true};
  const clap_plugin_t* plugin = nullptr;
  const clap_plugin_gui_t* gui = nullptr;
};

// The editor shows the value the host set (a notch of the wheel goes on
// from there, not from the default), and a change made in the editor
// comes to the host as one gesture around the new value: the faults of an
// editor that misses host changes or sends values outside a gesture.
TEST_F(ClapEditor, ShowsTheHostsValueAndSendsAWheelNotchAsOneGesture) {
  ASSERT_TRUE(gui->create(plugin, CLAP_WINDOW_API_X11, false));
  clap_window_t parent = {};
  parent.api = CLAP_WINDOW_API_X11;
  parent.x11 = window.Parent;
  ASSERT_TRUE(gui->set_parent(plugin, &parent));
  ASSERT_TRUE(gui->show(plugin));

  float left[64] = {}, right[64] = {};
  float* io[2] = {left, right};
  host.SetParameter(vorel::GainPort, 1.5);
  host.Process(plugin, io, io, 64);
  Idle(plugin, host, 20);

  ASSERT_NE(window.Editor(), 0u);
  const vorel::Box& gain = vorel::kControlBoxes[vorel::GainPort];
  vorel_host::ScrollUp(window.Connection, window.Editor(), gain.X + gain.W / 2,
                       gain.Y + gain.H / 2);
  Idle(plugin, host, 20);

  host.SentCount = 0;
  host.Process(plugin, io, io, 64);
  ASSERT_EQ(host.SentCount, 3u);
  EXPECT_EQ(host.Sent[0].Type, CLAP_EVENT_PARAM_GESTURE_BEGIN);
  EXPECT_EQ(host.Sent[1].Type, CLAP_EVENT_PARAM_VALUE);
  EXPECT_EQ(host.Sent[2].Type, CLAP_EVENT_PARAM_GESTURE_END);
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(host.Sent[i].Parameter, vorel::GainPort);
  EXPECT_EQ(static_cast<float>(host.Sent[1].Value), 1.5f + 0.02f);

  gui->hide(plugin);
  gui->destroy(plugin);
}

// Created, shown, hidden and destroyed fifty times while the audio thread
// runs blocks: the faults of an editor that leaves its timer with the
// host, or races or outlives what the audio thread publishes into (the
// sanitizer builds run it).
TEST_F(ClapEditor, OpensAndClosesFiftyTimesWhileAudioRuns) {
  clap_window_t parent = {};
  parent.api = CLAP_WINDOW_API_X11;
  parent.x11 = window.Parent;
  float left[64] = {}, right[64] = {};
  float* io[2] = {left, right};
  {
    vorel_host::AudioThread audio([&] { host.Process(plugin, io, io, 64); });
    for (int i = 0; i < 50; ++i) {
      ASSERT_TRUE(gui->create(plugin, CLAP_WINDOW_API_X11, false));
      ASSERT_TRUE(gui->set_parent(plugin, &parent) && gui->show(plugin));
      Idle(plugin, host, 3);
      gui->hide(plugin);
      gui->destroy(plugin);
      ASSERT_EQ(host.Timer, CLAP_INVALID_ID);
    }
  }
}

}  // namespace
