// The X11 platform's window factory: hosts on Linux hand effEditOpen an X11 Window id.
#include <cstdint>

#include "editor/x11/x11_window.h"

std::unique_ptr<PlatformWindow> CreatePlatformWindow(CFrame& frame, void* parent, int32_t width,
                                                     int32_t height) {
    try {
        return X11Window::Create(frame, static_cast<Window>(reinterpret_cast<uintptr_t>(parent)),
                                 width, height);
    } catch (...) {
        return nullptr;
    }
}

// X11 needs no per-thread set-up (the frame's own display connection is used on the editor's
// thread only).
void PlatformEditorThreadBegin() {}
void PlatformEditorThreadEnd() {}
