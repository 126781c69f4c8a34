// What a person's pointer does in an editor's X11 window, sent as the X
// server reports it: the editor tests' gestures.
#pragma once

// Last in any file that includes it: Xlib's macros (None, Bool, Status)
// would clash with names declared after it.
#include <X11/Xlib.h>

namespace vorel_host {

// A button pressed or released at a point of the window (Button4 is a
// notch of the wheel up).
inline void SendButton(Display* display, Window window, int type, unsigned button, double x,
                       double y) {
  XEvent event = {};
  event.xbutton.type = type;
  event.xbutton.display = display;
  event.xbutton.window = window;
  event.xbutton.root = DefaultRootWindow(display);
  event.xbutton.button = button;
  event.xbutton.x = static_cast<int>(x);
  event.xbutton.y = static_cast<int>(y);
  event.xbutton.same_screen = True;
  XSendEvent(display, window, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask,
             &event);
  XFlush(display);
}

// The pointer moved to a point of the window with button 1 held.
inline void SendMotion(Display* display, Window window, double x, double y) {
  XEvent event = {};
  event.xmotion.type = MotionNotify;
  event.xmotion.display = display;
  event.xmotion.window = window;
  event.xmotion.root = DefaultRootWindow(display);
  event.xmotion.state = Button1Mask;
  event.xmotion.x = static_cast<int>(x);
  event.xmotion.y = static_cast<int>(y);
  event.xmotion.same_screen = True;
  XSendEvent(display, window, True, PointerMotionMask | Button1MotionMask, &event);
  XFlush(display);
}

// One notch of the wheel (up) at a point of the window.
inline void ScrollUp(Display* display, Window window, double x, double y) {
  SendButton(display, window, ButtonPress, Button4, x, y);
  SendButton(display, window, ButtonRelease, Button4, x, y);
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
