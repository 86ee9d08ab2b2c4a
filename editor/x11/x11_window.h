// The frame's window on X11: a child of the host's window on a display connection of its
// own, painted from the frame's ARGB pixels, with its events handled from the editor's idle.
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "editor/platform_window.h"
#include "editor/x11/xdnd_target.h"

// The MouseButtons bits for an X11 modifier and button state.
int32_t ButtonsFromX11State(unsigned int state);

class X11Window : public PlatformWindow {
  public:
    // Null when the display cannot be opened or parent is not a window.
    static std::unique_ptr<X11Window> Create(CFrame& frame, Window parent, int32_t width,
                                             int32_t height);
    ~X11Window() override;

    void* handle() const override;
    void invalidate(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void capturePointer() override;
    void releasePointer() override;
    void trackPointerLeave() override {}
    bool queryPointer(CPoint& where, int32_t& buttons) override;
    void setCursor(int32_t kind) override;
    void processEvents() override;
    void paintPending() override;
    void present(const PixelBuffer& pixels, int32_t x, int32_t y, int32_t width,
                 int32_t height) override;
    void resize(int32_t width, int32_t height) override;
    void setDropActive(bool active) override;

    Display* display() const { return display_; }
    Window window() const { return window_; }

  private:
    X11Window(CFrame& frame, Display* display);
    bool createWindow(Window parent, int32_t width, int32_t height);
    void handleEvent(XEvent& event);
    void buttonPress(const XButtonEvent& event);
    void buttonRelease(const XButtonEvent& event);
    void key(const XKeyEvent& event, bool down);

    CFrame& frame_;
    Display* display_;
    Window window_ = None;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    Colormap colormap_ = None;
    GC gc_ = nullptr;
    Cursor cursor_ = None;
    bool destroyed_ = false;
    bool grabbed_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    // The bounding box of everything invalidated since the last paint.
    bool invalid_ = false;
    int32_t invalidLeft_ = 0, invalidTop_ = 0, invalidRight_ = 0, invalidBottom_ = 0;
    // Buttons 8 and 9 (fourth and fifth) have no bit in the X11 state.
    int32_t extraButtons_ = 0;
    // Double clicks: the previous press.
    unsigned int lastButton_ = 0;
    Time lastPressTime_ = 0;
    int lastPressX_ = 0, lastPressY_ = 0;
    bool lastWasDouble_ = false;
    std::unique_ptr<XdndTarget> dnd_;
};
