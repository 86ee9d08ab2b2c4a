// The seam between the portable frame and the operating system's window. The frame (view
// tree, hit testing, pointer tracking, focus, invalidation, idle, drop dispatch) is the same
// everywhere; a platform provides only what follows. Everything here is [main]: editors
// live on the host's user-interface thread.
//
// A platform window is made by CreatePlatformWindow as a child of the host's window and
// delivers what happens to it by calling the frame's public event operations:
//   frame.platformPaint(rect)              when part of the window must be repainted; the
//                                          frame draws its views and calls Present
//   frame.onMouseDown(where, buttons)      answer kMouseHandled: capture the pointer
//   frame.onMouseMoved / onMouseUp         release the capture after every button release
//   frame.onMouseExited(where, buttons)    the pointer left the window
//   frame.onWheel(where, distance, buttons) one notch is distance +1 (away from the user)
//   frame.onDragEnter/Move/Leave, onDrop   a drag with a CDragContainer over the window
//   frame.platformWindowDestroyed()        the window was destroyed from outside
// Positions are pixels relative to the window's top-left corner; buttons are the
// MouseButtons bits of view.h.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/draw_backend.h"
#include "editor/view.h"

class CFrame;

class PlatformWindow {
  public:
    // Destroys the native window unless it was already destroyed from outside, and ends
    // whatever the window started (Win32: revoke the drop target, unregister the window class
    // with the last frame, OleUninitialize).
    virtual ~PlatformWindow() = default;

    // The native handle (HWND, X11 Window id); null when there is none.
    virtual void* handle() const = 0;
    // Marks whole pixels for repainting; the platform calls platformPaint for them later
    // (Win32: InvalidateRect with erase; X11: painted at the end of ProcessEvents).
    virtual void invalidate(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // Win32: SetCapture / ReleaseCapture. X11: XGrabPointer / XUngrabPointer.
    virtual void capturePointer() = 0;
    virtual void releasePointer() = 0;
    // Asks for one notification when the pointer leaves (Win32: TrackMouseEvent with
    // TME_LEAVE). X11 always reports leaving and does nothing here.
    virtual void trackPointerLeave() = 0;
    // The pointer position relative to the window and the held buttons and modifiers
    // (Win32: GetCursorPos minus GetWindowRect's corner, GetAsyncKeyState with the swapped
    // buttons rule). False when it cannot be read.
    virtual bool queryPointer(CPoint& where, int32_t& buttons) = 0;
    // Cursor kinds 1-9 (except 7) show a system cursor; any other kind restores the cursor the
    // window had before the first change.
    virtual void setCursor(int32_t kind) = 0;
    // Handles every event that is waiting, without blocking, then paints what was
    // invalidated. Called from the editor's idle. Win32 does nothing: the host's message loop
    // dispatches to the window procedure.
    virtual void processEvents() = 0;
    // Paints what was invalidated now, if anything (Win32: PeekMessage of one WM_PAINT and
    // DispatchMessage).
    virtual void paintPending() = 0;
    // Shows the rectangle (x, y, width, height) of an ARGB buffer of the window's size at the
    // same place in the window. Win32 may instead paint with a draw context on the paint DC.
    virtual void present(const PixelBuffer& pixels, int32_t x, int32_t y, int32_t width,
                         int32_t height) = 0;
    virtual void resize(int32_t width, int32_t height) = 0;
    // Accepts drops while active (Win32: RegisterDragDrop / RevokeDragDrop with the
    // CDropTarget; X11: the XdndAware property).
    virtual void setDropActive(bool active) = 0;
};

// Makes the window for frame, a child of parent, width x height pixels at (0, 0); null when
// it cannot be made (the frame then lives without a window and never paints).
using PlatformWindowFactory = std::unique_ptr<PlatformWindow> (*)(CFrame& frame, void* parent,
                                                                  int32_t width, int32_t height);
std::unique_ptr<PlatformWindow> CreatePlatformWindow(CFrame& frame, void* parent, int32_t width,
                                                     int32_t height);

// [main] Per-thread set-up an editor needs for its life, made by the editor's construction and
// undone by its destruction. Win32: OleInitialize(nullptr) / OleUninitialize (drop targets
// and shell links need OLE on the editor's thread). X11: nothing.
void PlatformEditorThreadBegin();
void PlatformEditorThreadEnd();
