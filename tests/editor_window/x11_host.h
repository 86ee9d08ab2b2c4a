// The host's side of the window tests: its own display connection, parent windows, pixels
// read back, pointer and keys through XTEST, and pumping the editor's idle until something
// shows.
#pragma once

// GoogleTest first: Xlib defines macros (None, Bool) that its headers use as names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

// The window tests move the pointer and press keys through XTEST: only ever on the private
// server that scripts/with-xvfb.sh starts (CTest runs them so), never on someone's desktop.
class PrivateDisplay : public ::testing::Environment {
  public:
    void SetUp() override;
};

class EditorInstance;
class COrbelEditor;
class CFrame;

class X11Host {
  public:
    X11Host();
    ~X11Host();

    Display* display() const { return display_; }
    // A mapped top-level window filled with white, at (x, y) on the screen (no window manager
    // moves it).
    Window CreateParent(int x, int y, int width, int height);
    void DestroyParent(Window window);
    std::vector<Window> Children(Window parent);
    // The 0xRRGGBB colour of a pixel of a window.
    uint32_t Pixel(Window window, int x, int y);

    // XTEST input at screen coordinates.
    void MoveTo(int x, int y);
    void Button(unsigned int button, bool press);
    void Click(unsigned int button);
    void Key(unsigned long keysym, bool press);
    // True when no client holds the pointer grabbed.
    bool PointerFree();

    // Runs effEditIdle on each instance until done() holds; false after 3 s.
    static bool PumpUntil(std::initializer_list<EditorInstance*> instances,
                          const std::function<bool()>& done);
    // Idles a while for events that should have no effect.
    static void Pump(std::initializer_list<EditorInstance*> instances);

  private:
    Display* display_;
};

COrbelEditor* EditorOf(EditorInstance& instance);
CFrame* FrameOf(EditorInstance& instance);
Window EditorWindow(EditorInstance& instance);
