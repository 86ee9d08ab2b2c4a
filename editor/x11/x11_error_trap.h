// Catches the protocol errors of one display while it lives. Xlib's default error handler
// ends the process, which must never happen to a host because a window id it gave us (or a
// drag source's window) has gone away.
#pragma once

#include <X11/Xlib.h>

class X11ErrorTrap {
  public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits for the server to answer every request made so far, then reports whether any
    // of them failed since the trap was set.
    bool failed();

  private:
    static int Handle(Display* display, XErrorEvent* error);

    Display* display_;
    XErrorHandler previousHandler_;
    X11ErrorTrap* previousTrap_;
    bool failed_ = false;
};
