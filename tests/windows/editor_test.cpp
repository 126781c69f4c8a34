// The editors on Windows, run under wine in a virtual X server. The CLAP
// editor as a host without timer-support opens it (DPF runs a timer of its
// own there): floating, it draws; embedded in a window of the host's, it
// becomes that window's child and leaves with destroy. The VST3 editor's
// view attaches to a host's HWND in the same way.
#include <clap/ext/gui.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "support/clap_host.h"
#include "support/vst3_editor_host.h"
#include "support/vst3_host.h"

namespace {

using vorel_host::ClapHost;

// What a host's message loop does between frames, for a while.
void PumpMessages(int milliseconds) {
  for (int elapsed = 0; elapsed < milliseconds; elapsed += 10) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

BOOL CALLBACK KeepVisible(HWND window, LPARAM list) {
  if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// The visible top-level windows of this thread, and the children of one.
std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(GetCurrentThreadId(), KeepVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}
std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, KeepVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The colours on the screen where the window is, as a screenshot has them.
std::size_t ColoursOnScreen(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return 0;
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  std::set<uint32_t> colours(pixels, pixels + static_cast<std::size_t>(width) * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return colours.size();
}

class ClapEditorWindows : public testing::Test {
 protected:
  void SetUp() override {
    plugin = host.Create(module.Factory());
    ASSERT_NE(plugin, nullptr);
    ASSERT_TRUE(plugin->activate(plugin, 48000.0, 1, 4096) && plugin->start_processing(plugin));
    gui = ClapHost::Extension<clap_plugin_gui_t>(plugin, CLAP_EXT_GUI);
    ASSERT_NE(gui, nullptr) << "no editor for a host without timer-support";
  }
  void TearDown() override {
    if (plugin == nullptr) return;
    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
  }

  vorel_host::ClapModule module{VOREL_CLAP_PATH};
  ClapHost host{true, true, false};
  const clap_plugin_t* plugin = nullptr;
  const clap_plugin_gui_t* gui = nullptr;
};

// A blank or one-colour window has a few colours; the editor's spectrum,
// meter, sliders and anti-aliased text have hundreds.
TEST_F(ClapEditorWindows, FloatingDraws) {
  ASSERT_TRUE(gui->is_api_supported(plugin, CLAP_WINDOW_API_WIN32, true));
  const std::vector<HWND> before = ThreadWindows();
  ASSERT_TRUE(gui->create(plugin, CLAP_WINDOW_API_WIN32, true));
  ASSERT_TRUE(gui->show(plugin));
  PumpMessages(1500);
  const std::vector<HWND> after = ThreadWindows();
  ASSERT_EQ(after.size(), before.size() + 1) << "the floating editor's window";
  const std::size_t colours = ColoursOnScreen(after.back());
  EXPECT_GE(colours, 64u);
  std::printf("floating editor: %zu colours\n", colours);
  gui->hide(plugin);
  gui->destroy(plugin);
  EXPECT_EQ(ThreadWindows().size(), before.size());
}

// A host's window for an embedded editor.
HWND HostWindow() {
  return CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST_F(ClapEditorWindows, EmbeddedBecomesTheHostWindowsChild) {
  ASSERT_TRUE(gui->is_api_supported(plugin, CLAP_WINDOW_API_WIN32, false));
  HWND parent = HostWindow();
  ASSERT_NE(parent, nullptr);
  clap_window_t window = {};
  window.api = CLAP_WINDOW_API_WIN32;
  window.win32 = parent;
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(gui->create(plugin, CLAP_WINDOW_API_WIN32, false));
    ASSERT_TRUE(gui->set_parent(plugin, &window) && gui->show(plugin));
    PumpMessages(300);
    EXPECT_EQ(Children(parent).size(), 1u) << round;
    gui->hide(plugin);
    gui->destroy(plugin);
    PumpMessages(50);
    EXPECT_TRUE(Children(parent).empty()) << round;
  }
  DestroyWindow(parent);
}

TEST(Vst3EditorWindows, ViewAttachesToTheHostsHwnd) {
  vorel_host::Vst3Module module{VOREL_VST3_PATH};
  vorel_host::Vst3EditorHost host;
  vorel_host::Vst3Plugin plugin{module.Factory(), host.Application()};
  ASSERT_TRUE(plugin.Ok() && plugin.Activate(48000.0, 4096));
  ASSERT_EQ(v3_cpp_obj_initialize(plugin.Controller, host.Application()), V3_OK);
  HWND parent = HostWindow();
  ASSERT_NE(parent, nullptr);
  for (int round = 0; round < 3; ++round) {
    v3_plugin_view** view = v3_cpp_obj(plugin.Controller)->create_view(plugin.Controller, "editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(v3_cpp_obj(view)->is_platform_type_supported(view, V3_VIEW_PLATFORM_TYPE_HWND),
              V3_OK);
    v3_cpp_obj(view)->set_frame(view, host.Frame());
    ASSERT_EQ(v3_cpp_obj(view)->attached(view, parent, V3_VIEW_PLATFORM_TYPE_HWND), V3_OK);
    PumpMessages(300);
    EXPECT_EQ(Children(parent).size(), 1u) << round;
    v3_cpp_obj(view)->removed(view);
    v3_cpp_obj_unref(view);
    PumpMessages(50);
    EXPECT_TRUE(Children(parent).empty()) << round;
  }
  DestroyWindow(parent);
}

}  // namespace
