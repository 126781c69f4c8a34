// The LV2 editor as a host opens it through its own descriptor, in an X11
// window of the host's, with the host's touch and without instance access.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/ui/ui.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "effect/identity.h"
#include "effect/port_table.h"
#include "lv2/lv2_ports.h"
#include "ui/layout.h"

#include "support/x11_pointer.h"

namespace {

// What the editor sent the host, in order: a write of a port's value, or a
// touch of a port (grabbed or let go).
struct Sent {
  enum Kind { Write, Grab, Release } What;
  uint32_t Port;
  float Value;
  bool operator==(const Sent& other) const {
    return What == other.What && Port == other.Port && Value == other.Value;
  }
};

void Written(LV2UI_Controller host, uint32_t port, uint32_t size, uint32_t protocol,
             const void* buffer) {
  float value = 0.0f;
  if (protocol == 0 && size == sizeof value) std::memcpy(&value, buffer, sizeof value);
  static_cast<std::vector<Sent>*>(host)->push_back({Sent::Write, port, value});
}

void Touched(LV2UI_Feature_Handle host, uint32_t port, bool grabbed) {
  static_cast<std::vector<Sent>*>(host)->push_back(
      {grabbed ? Sent::Grab : Sent::Release, port, 0.0f});
}

std::ostream& operator<<(std::ostream& out, const Sent& sent) {
  return out << "{" << sent.What << ", port " << sent.Port << ", " << sent.Value << "}";
}

// A wheel notch up on each control after the host set its port: the editor
// takes the host's value (through the LV2 plugin's rule for "enabled", the
// bypass turned over) and writes the next one to the same port, between a
// grab and a release of it. The ports come from the port table: the six
// controls' own numbers and the mix's; the host's value is a quarter up the
// range (whole for a stepped control), and a notch is a step or a hundredth
// of the range. The faults: any two controls' ports swapped, the bypass
// written unturned, a change outside the host's touch, a host value that
// never reached the editor, and no editor at all where the host offers no
// instance access.
TEST(Lv2Editor, SendsEachNotchToItsOwnPortInsideTheHostsTouch) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) GTEST_SKIP() << "no X server";
  void* library = dlopen(VOREL_LV2_EDITOR_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  using Entry = const LV2UI_Descriptor* (*)(uint32_t);
  const auto entry = reinterpret_cast<Entry>(dlsym(library, "lv2ui_descriptor"));
  ASSERT_NE(entry, nullptr);
  const LV2UI_Descriptor* descriptor = entry(0);
  ASSERT_NE(descriptor, nullptr);
  const auto* idle =
      static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
  ASSERT_NE(idle, nullptr);

  struct Case {
    uint32_t Parameter, Port;
    float HostValue, Sent;
  };
  std::vector<Case> cases;
  for (uint32_t p = 0; p <= vorel::kControlPortCount; ++p) {
    const bool mix = p == vorel::kControlPortCount;
    const vorel::PortEntry& port = mix ? vorel::kMixControl : vorel::kPortTable[p];
    const bool stepped = port.Integer || port.Toggled;
    const float range = port.Maximum - port.Minimum;
    const float host = stepped ? std::round(port.Minimum + range / 4) : port.Minimum + range / 4;
    cases.push_back(
        {p, mix ? uint32_t{vorel::MixPort} : p, host, host + (stepped ? 1 : range / 100)});
  }
  cases.push_back({vorel::BypassParameter, vorel::EnabledPort, 1.0f, 0.0f});  // on, then bypassed
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Port);
    const Window parent =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 640, 400, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    std::vector<Sent> sent;
    LV2UI_Touch touch = {&sent, Touched};
    const LV2_Feature parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(parent)};
    const LV2_Feature touchFeature = {LV2_UI__touch, &touch};
    const LV2_Feature* features[] = {&parentFeature, &touchFeature, nullptr};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle editor = descriptor->instantiate(descriptor, vorel::kPluginUri, "", Written, &sent,
                                                  &widget, features);
    ASSERT_NE(editor, nullptr);
    descriptor->port_event(editor, c.Port, sizeof c.HostValue, 0, &c.HostValue);
    const auto runIdle = [&] {
      for (int i = 0; i < 20; ++i) {
        idle->idle(editor);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    };
    runIdle();
    const vorel::Box& box = vorel::kControlBoxes[c.Parameter];
    vorel_host::ScrollUp(display, vorel_host::FirstChild(display, parent), box.X + box.W / 2,
                         box.Y + box.H / 2);
    runIdle();
    const std::vector<Sent> expected = {
        {Sent::Grab, c.Port, 0.0f}, {Sent::Write, c.Port, c.Sent}, {Sent::Release, c.Port, 0.0f}};
    EXPECT_EQ(sent, expected);
    descriptor->cleanup(editor);
    XDestroyWindow(display, parent);
  }
  dlclose(library);
  XCloseDisplay(display);
}

}  // namespace
