// The editor test plug-in as a Windows host meets it: loaded with LoadLibraryA, its editor
// opened into the host's window, pixels read back and clicks made through SendInput.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/editor_window/plugin_window_scenario.h"
#include "tests/editor_window/win32_host.h"

namespace {

class Win32PluginHost : public PluginWindowHost {
  public:
    void* CreateParent(int x, int y, int width, int height) override {
        parent_ = win32host::CreateParent(x, y, width, height);
        return parent_;
    }
    void DestroyParent() override { DestroyWindow(parent_); }
    uint32_t Pixel(int x, int y) override { return win32host::Pixel(parent_, x, y); }
    size_t EditorWindows() override {
        size_t count = 0;
        for (HWND child = GetWindow(parent_, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            count += 1;
        }
        return count;
    }
    void MoveTo(int x, int y) override { win32host::MoveTo(x, y); }
    void LeftButton(bool press) override {
        win32host::Button(press ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    }
    void DispatchEvents() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // Under user-mode emulation of 32-bit x86 everything runs many times slower.
    std::chrono::milliseconds Patience() const override {
        return std::chrono::milliseconds(sizeof(void*) == 4 ? 30000 : 5000);
    }

  private:
    HWND parent_ = nullptr;
};

TEST(Win32PluginWindow, AHostOpensTheEditorThroughTheEntryPointAndClicksItsHalves) {
    Win32PluginHost host;
    RunPluginWindowSession(LOTTA_EDITOR_TEST_PLUGIN, host);
}

}  // namespace
