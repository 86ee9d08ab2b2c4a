#include "editor/x11/x11_error_trap.h"

namespace {
// The handler is process-wide; traps nest on the editor's thread only.
X11ErrorTrap* gActiveTrap = nullptr;
}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display_(display), previousHandler_(nullptr), previousTrap_(gActiveTrap) {
    // Errors of earlier requests belong to whoever made them.
    XSync(display_, False);
    previousHandler_ = XSetErrorHandler(Handle);
    gActiveTrap = this;
}

X11ErrorTrap::~X11ErrorTrap() {
    XSync(display_, False);
    gActiveTrap = previousTrap_;
    XSetErrorHandler(previousHandler_);
}

bool X11ErrorTrap::failed() {
    XSync(display_, False);
    return failed_;
}

int X11ErrorTrap::Handle(Display* display, XErrorEvent* error) {
    for (X11ErrorTrap* trap = gActiveTrap; trap; trap = trap->previousTrap_) {
        if (trap->display_ == display) {
            trap->failed_ = true;
            return 0;
        }
    }
    // Another connection of the process (the host's): its own handler decides.
    X11ErrorTrap* outer = gActiveTrap;
    while (outer && outer->previousTrap_) outer = outer->previousTrap_;
    return outer && outer->previousHandler_ ? outer->previousHandler_(display, error) : 0;
}
