// What the CLAP and VST3 editor tests share: the X11 window a host gives
// an editor, in which they send the pointer's events of x11_pointer.h.
#pragma once

// Last in any file that includes it: it brings Xlib's macros.
#include "support/x11_pointer.h"

namespace vorel_host {

// The host's connection and its window, mapped, of the editor's size;
// Ok() is false where there is no X server.
class HostWindow {
 public:
  HostWindow() : Connection(XOpenDisplay(nullptr)) {
    if (Connection == nullptr) return;
    Parent =
        XCreateSimpleWindow(Connection, DefaultRootWindow(Connection), 0, 0, 640, 400, 0, 0, 0);
    XMapWindow(Connection, Parent);
    XSync(Connection, False);
  }
  ~HostWindow() {
    if (Connection == nullptr) return;
    XDestroyWindow(Connection, Parent);
    XCloseDisplay(Connection);
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  bool Ok() const { return Connection != nullptr; }
  Window Editor() const { return FirstChild(Connection, Parent); }

  Display* const Connection;
  Window Parent = 0;
};

}  // namespace vorel_host
