// What the CLAP and VST3 editor tests share: the X11 window a host gives
// an editor, in which they send the pointer's events of x11_pointer.h, and
// a host's audio thread running beside it.
#pragma once

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

// Last in any file that includes it: it brings Xlib's macros.
#include "support/x11_pointer.h"

namespace vorel_host {

// The host's connection to the X server, open for the whole program as a
// host keeps it: the server resets when its last client leaves, and for a
// while refuses the next. Null where there is no X server.
inline Display* HostDisplay() {
  static Display* const display = XOpenDisplay(nullptr);
  return display;
}

// A host's window, mapped, of the editor's size; Ok() is false where there
// is no X server.
class HostWindow {
 public:
  HostWindow() : Connection(HostDisplay()) {
    if (Connection == nullptr) return;
    Parent =
        XCreateSimpleWindow(Connection, DefaultRootWindow(Connection), 0, 0, 640, 400, 0, 0, 0);
    XMapWindow(Connection, Parent);
    XSync(Connection, False);
  }
  ~HostWindow() {
    if (Connection == nullptr) return;
    XDestroyWindow(Connection, Parent);
    XSync(Connection, False);
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  bool Ok() const { return Connection != nullptr; }
  Window Editor() const { return FirstChild(Connection, Parent); }

  Display* const Connection;
  Window Parent = 0;
};

// A host's audio thread: calls block about once a millisecond, a block of
// 64 samples' time at 48 kHz, until destroyed.
template <typename Block>
class AudioThread {
 public:
  explicit AudioThread(Block block)
      : Thread([this, block = std::move(block)]() mutable {
          while (!Stop.load(std::memory_order_relaxed)) {
            block();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }
        }) {}
  ~AudioThread() {
    Stop = true;
    Thread.join();
  }

 private:
  std::atomic<bool> Stop{false};
  std::thread Thread;
};

}  // namespace vorel_host
