// The editor test plug-in as a Linux host meets it: loaded with dlopen, its editor opened into
// the host's X11 window on a private Xvfb, pixels read back and clicks made through XTEST.

// GoogleTest first: Xlib defines macros (None, Bool) that its headers use as names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdint>

#include "tests/editor_window/plugin_window_scenario.h"
#include "tests/editor_window/x11_host.h"

namespace {

[[maybe_unused]] auto* const gPrivateDisplay =
    ::testing::AddGlobalTestEnvironment(new PrivateDisplay);

class X11PluginHost : public PluginWindowHost {
  public:
    bool connected() const { return x11_.display() != nullptr; }
    void* CreateParent(int x, int y, int width, int height) override {
        parent_ = x11_.CreateParent(x, y, width, height);
        return reinterpret_cast<void*>(static_cast<uintptr_t>(parent_));
    }
    void DestroyParent() override { x11_.DestroyParent(parent_); }
    uint32_t Pixel(int x, int y) override { return x11_.Pixel(parent_, x, y); }
    size_t EditorWindows() override { return x11_.Children(parent_).size(); }
    void MoveTo(int x, int y) override { x11_.MoveTo(x, y); }
    void LeftButton(bool press) override { x11_.Button(1, press); }

  private:
    X11Host x11_;
    Window parent_ = 0;
};

TEST(X11PluginWindow, AHostOpensTheEditorThroughTheEntryPointAndClicksItsHalves) {
    X11PluginHost host;
    ASSERT_TRUE(host.connected());
    RunPluginWindowSession(LOTTA_EDITOR_TEST_PLUGIN, host);
}

}  // namespace
