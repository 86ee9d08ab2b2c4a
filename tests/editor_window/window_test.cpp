// The editor in real X11 windows on a private Xvfb server: the test plays a Linux host that
// opens the editor into a window of its own, reads back pixels and moves the pointer through
// XTEST.

// GoogleTest first: Xlib defines macros (None, Bool) that its headers use as names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "editor/editor_services.h"
#include "editor/frame.h"
#include "editor/orbel_editor.h"
#include "plugin/host_services.h"
#include "plugin/orbel.h"
#include "tests/editor_window/editor_effect.h"
#include "tests/editor_window/wheel_probe.h"
#include "tests/editor_window/x11_host.h"

namespace {

[[maybe_unused]] auto* const gPrivateDisplay =
    ::testing::AddGlobalTestEnvironment(new PrivateDisplay);

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;

void* AsParent(Window window) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
}

// Opens the editor painting its left half red and its right half blue.
void OpenRedBlue(EditorInstance& instance, Window parent) {
    instance.effect().leftColor = kRed;
    instance.effect().rightColor = kBlue;
    instance.Dispatch(effEditOpen, 0, 0, AsParent(parent));
}

class X11Editor : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(host.display(), nullptr); }
    X11Host host;
};

TEST_F(X11Editor, PaintsBlackWithoutADrawCallbackAndTheEffectsColoursWithOne) {
    const Window plain = host.CreateParent(10, 10, 240, 140);
    EditorInstance silent(false);
    ASSERT_EQ(silent.Dispatch(effEditOpen, 0, 0, AsParent(plain)), 1);
    ASSERT_EQ(host.Children(plain).size(), 1u);
    EXPECT_TRUE(X11Host::PumpUntil({&silent}, [&] {
        return host.Pixel(plain, 0, 0) == kBlack && host.Pixel(plain, 199, 99) == kBlack;
    }));
    EXPECT_EQ(host.Pixel(plain, 200, 50), kWhite) << "the host's window beside the editor";
    EXPECT_EQ(host.Pixel(plain, 50, 100), kWhite);

    const Window parent = host.CreateParent(300, 10, 240, 140);
    EditorInstance painter;
    OpenRedBlue(painter, parent);
    EXPECT_TRUE(X11Host::PumpUntil({&painter}, [&] {
        return host.Pixel(parent, 0, 0) == kRed && host.Pixel(parent, 99, 99) == kRed &&
               host.Pixel(parent, 100, 0) == kBlue && host.Pixel(parent, 199, 99) == kBlue;
    }));
    EXPECT_EQ(painter.effect().drawSizes, (std::vector<double>{200.0, 100.0}));
    EXPECT_TRUE(painter.effect().contextDuringDraw);
    EXPECT_EQ(painter.adapter()->drawContext, nullptr);

    // The runtime's idle asks for a redraw; the new colour reaches the window.
    painter.effect().leftColor = kGreen;
    EXPECT_TRUE(
        X11Host::PumpUntil({&painter}, [&] { return host.Pixel(parent, 10, 10) == kGreen; }));
    EXPECT_EQ(painter.effect().lastRedrawAnswer, 1);

    painter.Dispatch(effEditClose);
    silent.Dispatch(effEditClose);
    EXPECT_EQ(redrawEditor(painter.adapter()), 0);
    EXPECT_TRUE(host.Children(parent).empty()) << "closing destroys the editor's window";
    host.DestroyParent(parent);
    host.DestroyParent(plain);
}

TEST_F(X11Editor, PointerEventsReachTheEffectWithPositionsAndButtons) {
    // The editor's top-left corner is at (100, 100) on the screen.
    const Window parent = host.CreateParent(100, 100, 200, 100);
    EditorInstance instance;
    instance.Dispatch(effEditOpen, 0, 0, AsParent(parent));
    std::vector<MouseCall>& calls = instance.effect().mouse;
    auto waitFor = [&](size_t count) {
        return X11Host::PumpUntil({&instance}, [&] { return calls.size() >= count; });
    };
    auto expectCall = [&](size_t index, char kind, double x, double y, int32_t buttons) {
        ASSERT_GT(calls.size(), index);
        const MouseCall& c = calls[index];
        EXPECT_EQ(c.kind, kind) << "call " << index;
        EXPECT_EQ(c.x, x) << "call " << index;
        EXPECT_EQ(c.y, y) << "call " << index;
        EXPECT_EQ(c.buttons, buttons) << "call " << index;
    };
    host.MoveTo(20, 20);
    X11Host::Pump({&instance});

    // The first move only makes the view the one under the pointer; the next reaches it.
    host.MoveTo(110, 120);
    host.MoveTo(112, 120);
    ASSERT_TRUE(waitFor(1));
    expectCall(0, 'm', 12, 20, 0);

    // Shift + left press, a drag far outside the window, the release out there.
    host.Key(XK_Shift_L, true);
    host.Button(1, true);
    ASSERT_TRUE(waitFor(2));
    expectCall(1, 'd', 12, 20, 2 + 16);
    EXPECT_FALSE(host.PointerFree()) << "the editor holds the pointer while the view tracks it";
    host.MoveTo(40, 300);
    ASSERT_TRUE(waitFor(3));
    expectCall(2, 'm', -60, 200, 2 + 16);
    host.Button(1, false);
    host.Key(XK_Shift_L, false);
    ASSERT_TRUE(waitFor(4));
    expectCall(3, 'u', -60, 200, 16);
    X11Host::Pump({&instance});
    EXPECT_TRUE(host.PointerFree()) << "the release ends the grab";

    // In, out of the window and back: leaving forgets the view under the pointer, so the
    // first move after coming back is not reported.
    calls.clear();
    host.MoveTo(120, 130);
    host.MoveTo(121, 130);
    ASSERT_TRUE(waitFor(1));
    host.MoveTo(20, 20);
    X11Host::Pump({&instance});
    host.MoveTo(122, 130);
    X11Host::Pump({&instance});
    host.MoveTo(123, 130);
    ASSERT_TRUE(waitFor(2));
    X11Host::Pump({&instance});
    ASSERT_EQ(calls.size(), 2u);
    expectCall(0, 'm', 21, 30, 0);
    expectCall(1, 'm', 23, 30, 0);

    // Double click: the second press carries 1024; a third one does not.
    host.MoveTo(130, 150);
    ASSERT_TRUE(waitFor(3));
    calls.clear();
    host.Click(1);
    host.Click(1);
    host.Click(1);
    ASSERT_TRUE(waitFor(6));
    X11Host::Pump({&instance});
    ASSERT_EQ(calls.size(), 6u);
    expectCall(0, 'd', 30, 50, 2);
    expectCall(1, 'u', 30, 50, 0);
    expectCall(2, 'd', 30, 50, 2 + 1024);
    expectCall(4, 'd', 30, 50, 2);
    // The right and middle buttons.
    host.MoveTo(140, 150);
    host.Click(3);
    host.Click(2);
    ASSERT_TRUE(waitFor(10));
    expectCall(6, 'd', 40, 50, 8);
    expectCall(8, 'd', 40, 50, 4);

    // The wheel turns nothing into presses; the frame hands it to the view under the pointer.
    std::vector<std::string> wheel;
    FrameOf(instance)->addView(new WheelProbe({100, 0, 200, 100}, wheel));
    calls.clear();
    host.MoveTo(250, 170);
    host.Key(XK_Control_L, true);
    host.Click(4);
    host.Key(XK_Control_L, false);
    host.Click(5);
    ASSERT_TRUE(X11Host::PumpUntil({&instance}, [&] { return wheel.size() >= 2; }));
    const std::vector<std::string> expectedWheel = {"150,70 1 32", "150,70 -1 0"};
    EXPECT_EQ(wheel, expectedWheel);
    for (const MouseCall& c : calls) EXPECT_EQ(c.kind, 'm') << "a wheel notch is no press";

    instance.Dispatch(effEditClose);
    host.DestroyParent(parent);
}

TEST_F(X11Editor, CloseAndReopenGiveAFreshWindowAndOpeningTwiceMovesTheEditor) {
    const Window first = host.CreateParent(10, 200, 200, 100);
    const Window second = host.CreateParent(300, 200, 200, 100);
    EditorInstance instance;
    instance.effect().leftColor = kRed;
    instance.Dispatch(effEditOpen, 0, 0, AsParent(first));
    ASSERT_NE(EditorWindow(instance), static_cast<Window>(None));
    EXPECT_TRUE(X11Host::PumpUntil({&instance}, [&] { return host.Pixel(first, 5, 5) == kRed; }));
    instance.Dispatch(effEditClose);
    EXPECT_TRUE(host.Children(first).empty());

    instance.effect().leftColor = kBlue;
    instance.Dispatch(effEditOpen, 0, 0, AsParent(first));
    EXPECT_EQ(host.Children(first).size(), 1u);
    EXPECT_TRUE(X11Host::PumpUntil({&instance}, [&] { return host.Pixel(first, 5, 5) == kBlue; }));

    // A host that opens again without closing gets the editor in its new window only.
    instance.Dispatch(effEditOpen, 0, 0, AsParent(second));
    EXPECT_TRUE(host.Children(first).empty());
    EXPECT_EQ(host.Children(second).size(), 1u);
    EXPECT_TRUE(X11Host::PumpUntil({&instance}, [&] { return host.Pixel(second, 5, 5) == kBlue; }));
    instance.Dispatch(effEditClose);
    host.DestroyParent(first);
    host.DestroyParent(second);
}

TEST_F(X11Editor, TwoEditorsAtOnceWorkIndependently) {
    const Window left = host.CreateParent(10, 400, 200, 100);
    const Window right = host.CreateParent(300, 400, 200, 100);
    EditorInstance a;
    EditorInstance b;
    a.effect().leftColor = kRed;
    b.effect().leftColor = kBlue;
    a.Dispatch(effEditOpen, 0, 0, AsParent(left));
    b.Dispatch(effEditOpen, 0, 0, AsParent(right));
    EXPECT_TRUE(X11Host::PumpUntil({&a, &b}, [&] {
        return host.Pixel(left, 5, 5) == kRed && host.Pixel(right, 5, 5) == kBlue;
    }));
    host.MoveTo(320, 420);
    host.Click(1);
    EXPECT_TRUE(X11Host::PumpUntil({&a, &b}, [&] { return b.effect().mouse.size() >= 2; }));
    X11Host::Pump({&a, &b});
    EXPECT_TRUE(a.effect().mouse.empty());
    ASSERT_GE(b.effect().mouse.size(), 2u);
    EXPECT_EQ(b.effect().mouse[0].x, 20);

    a.Dispatch(effEditClose);
    b.effect().leftColor = kGreen;
    EXPECT_TRUE(X11Host::PumpUntil({&a, &b}, [&] { return host.Pixel(right, 5, 5) == kGreen; }));
    EXPECT_TRUE(host.Children(left).empty());
    b.Dispatch(effEditClose);
    host.DestroyParent(left);
    host.DestroyParent(right);
}

// A pixel buffer shorter than the size it claims is not shown (it would be read past its end);
// a whole one is. No idle runs in between, so only the two presents can change the window.
TEST_F(X11Editor, PresentShowsOnlyAPixelBufferThatHoldsItsSize) {
    const Window parent = host.CreateParent(300, 600, 200, 100);
    EditorInstance instance;
    OpenRedBlue(instance, parent);
    ASSERT_TRUE(X11Host::PumpUntil({&instance}, [&] {
        return host.Pixel(parent, 5, 5) == kRed && host.Pixel(parent, 150, 50) == kBlue;
    }));
    CFrame* frame = FrameOf(instance);
    ASSERT_TRUE(frame && frame->window());
    PlatformWindow* window = frame->window();
    // The right half from a buffer one pixel short, then the left half from a whole one: the
    // window shows them in order, so once the second is there the first would be too.
    const PixelBuffer shortOne{200, 100, std::vector<uint32_t>(200 * 100 - 1, 0xFF00FFFFu)};
    const PixelBuffer whole{200, 100, std::vector<uint32_t>(200 * 100, 0xFF00FF00u)};
    window->present(shortOne, 100, 0, 100, 100);
    window->present(whole, 0, 0, 100, 100);
    // No instances: waits for the server without running the editor's idle.
    X11Host::PumpUntil({}, [&] { return host.Pixel(parent, 5, 5) == kGreen; });
    EXPECT_EQ(host.Pixel(parent, 5, 5), kGreen);
    EXPECT_EQ(host.Pixel(parent, 150, 50), kBlue);
    instance.Dispatch(effEditClose);
    host.DestroyParent(parent);
}

TEST_F(X11Editor, AHostThatDestroysItsWindowFirstOrGivesNoWindowDoesNotLoseTheProcess) {
    const Window parent = host.CreateParent(10, 600, 200, 100);
    EditorInstance instance;
    instance.Dispatch(effEditOpen, 0, 0, AsParent(parent));
    host.DestroyParent(parent);
    EXPECT_TRUE(X11Host::PumpUntil({&instance}, [&] { return !FrameOf(instance)->isOpen(); }));
    EXPECT_EQ(FrameOf(instance)->parentWindow(), nullptr);
    instance.Dispatch(effEditClose);

    // An id that names no window: the editor opens without one.
    EXPECT_EQ(instance.Dispatch(effEditOpen, 0, 0, AsParent(0x3FFFFF)), 1);
    EXPECT_EQ(FrameOf(instance)->window(), nullptr);
    instance.Dispatch(effEditIdle);
    instance.Dispatch(effEditClose);
}

}  // namespace
