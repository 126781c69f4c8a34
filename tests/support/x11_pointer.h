// What a person's pointer does in an editor's X11 window, sent as the X
// server reports it: the editor tests' gestures.
#pragma once

// Last in any file that includes it: Xlib's macros (None, Bool, Status)
// would clash with names declared after it.
#include <X11/Xlib.h>

namespace vorel_host {

// One notch of the wheel (up) at a point of the window.
inline void ScrollUp(Display* display, Window window, double x, double y) {
  for (const int type : {ButtonPress, ButtonRelease}) {
    XEvent event = {};
    event.xbutton.type = type;
    event.xbutton.display = display;
    event.xbutton.window = window;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.button = Button4;
    event.xbutton.x = static_cast<int>(x);
    event.xbutton.y = static_cast<int>(y);
    event.xbutton.same_screen = True;
    XSendEvent(display, window, True, ButtonPressMask | ButtonReleaseMask, &event);
  }
  XFlush(display);
}

// The editor's window: the first child of the host's window.
inline Window FirstChild(Display* display, Window parent) {
  Window root, parentOfParent, *children = nullptr, first = 0;
  unsigned count = 0;
  XQueryTree(display, parent, &root, &parentOfParent, &children, &count);
  if (count > 0) first = children[0];
  if (children != nullptr) XFree(children);
  return first;
}

}  // namespace vorel_host
