// A host's session with the editor test plug-in, written once for every window system: load
// the library, make an instance through its entry point, open its editor into a window of the
// host's, check the painted halves, click them and read the effect's answer back through the
// VST 2 interface, close everything. Each platform's test supplies the window-system half.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

class PluginWindowHost {
  public:
    virtual ~PluginWindowHost() = default;
    // A visible top-level window filled with white at (x, y) on the screen; its native
    // handle as effEditOpen takes it, or null.
    virtual void* CreateParent(int x, int y, int width, int height) = 0;
    virtual void DestroyParent() = 0;
    // The 0xRRGGBB colour at a point of the parent window.
    virtual uint32_t Pixel(int x, int y) = 0;
    // How many child windows the parent has.
    virtual size_t EditorWindows() = 0;
    // Real pointer input at screen coordinates.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LeftButton(bool press) = 0;
    // Whatever the host's event loop does besides the editor's idle.
    virtual void DispatchEvents() {}
    // How long a wait for the editor may take.
    virtual std::chrono::milliseconds Patience() const { return std::chrono::seconds(3); }
};

// Runs the session with GoogleTest checks.
void RunPluginWindowSession(const std::string& libraryPath, PluginWindowHost& host);
