// Mouse input on the editor's Win32 window: window messages sent as the system sends them,
// and real input through SendInput that the system routes (capture, leave tracking, double
// clicks, swapped buttons).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "editor/frame.h"
#include "editor/win32/frame_window.h"
#include "tests/editor_window/editor_effect.h"
#include "tests/editor_window/wheel_probe.h"
#include "tests/editor_window/win32_host.h"

namespace {
using namespace win32host;

void ExpectCall(const std::vector<MouseCall>& calls, size_t index, char kind, double x, double y,
                int32_t buttons) {
    ASSERT_GT(calls.size(), index);
    const MouseCall& c = calls[index];
    EXPECT_EQ(c.kind, kind) << "call " << index;
    EXPECT_EQ(c.x, x) << "call " << index;
    EXPECT_EQ(c.y, y) << "call " << index;
    EXPECT_EQ(c.buttons, buttons) << "call " << index;
}

TEST(Win32Editor, MouseMessagesReachTheEffectWithPositionsAndButtons) {
    HWND parent = CreateParent(100, 100, 200, 100);
    EditorInstance instance;
    instance.Dispatch(effEditOpen, 0, 0, parent);
    HWND editor = EditorWindow(instance);
    ASSERT_NE(editor, nullptr);
    std::vector<MouseCall>& calls = instance.effect().mouse;

    // The first move only makes the view the one under the pointer; the next reaches it.
    SendMessageW(editor, WM_MOUSEMOVE, 0, Client(10, 20));
    SendMessageW(editor, WM_MOUSEMOVE, 0, Client(12, 20));
    ExpectCall(calls, 0, 'm', 12, 20, 0);
    EXPECT_TRUE(FrameOf(instance)->leaveTrackingArmed());

    // Shift + left press captures the mouse; a drag outside still reports; the release ends
    // the capture.
    SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Client(12, 20));
    ExpectCall(calls, 1, 'd', 12, 20, 2 + 16);
    EXPECT_EQ(GetCapture(), editor);
    SendMessageW(editor, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, Client(-60, 200));
    ExpectCall(calls, 2, 'm', -60, 200, 2 + 16);
    SendMessageW(editor, WM_LBUTTONUP, MK_SHIFT, Client(-60, 200));
    ExpectCall(calls, 3, 'u', -60, 200, 16);
    EXPECT_EQ(GetCapture(), nullptr);

    // Each button and modifier, and the double clicks.
    struct Case {
        UINT message;
        WPARAM keys;
        int32_t buttons;
    };
    const Case cases[] = {
        {WM_LBUTTONDBLCLK, MK_LBUTTON, 2 + 1024},
        {WM_RBUTTONDOWN, MK_RBUTTON, 8},
        {WM_RBUTTONDBLCLK, MK_RBUTTON | MK_CONTROL, 8 + 32 + 1024},
        {WM_MBUTTONDOWN, MK_MBUTTON, 4},
        {WM_MBUTTONDBLCLK, MK_MBUTTON, 4 + 1024},
        {WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), 256},
        {WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON2 | MK_SHIFT, XBUTTON2), 512 + 16},
        {WM_XBUTTONDBLCLK, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), 256 + 1024},
    };
    for (const Case& c : cases) {
        calls.clear();
        SendMessageW(editor, c.message, c.keys, Client(30, 50));
        ExpectCall(calls, 0, 'd', 30, 50, c.buttons);
        EXPECT_EQ(GetCapture(), editor) << "message " << c.message;
        SendMessageW(editor, WM_LBUTTONUP, 0, Client(31, 51));
        ExpectCall(calls, 1, 'u', 31, 51, 0);
        EXPECT_EQ(GetCapture(), nullptr);
    }

    // The wheel: control from the keyboard state, position from the screen, whole notches.
    std::vector<std::string> wheel;
    FrameOf(instance)->addView(new WheelProbe({100, 0, 200, 100}, wheel));
    BYTE keys[256] = {};
    ASSERT_TRUE(GetKeyboardState(keys));
    BYTE control[256];
    std::copy(keys, keys + 256, control);
    control[VK_CONTROL] = 0x80;
    SetKeyboardState(control);
    SendMessageW(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(250, 170));
    SetKeyboardState(keys);
    SendMessageW(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                 MAKELPARAM(250, 170));
    SendMessageW(editor, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-3 * WHEEL_DELTA - 40)),
                 MAKELPARAM(260, 101));
    const std::vector<std::string> expectedWheel = {"150,70 1 32", "150,70 -1 0", "160,1 -3 0"};
    EXPECT_EQ(wheel, expectedWheel);

    // Leaving: the view under the pointer is told once and leave tracking is disarmed; the
    // next move arms it again.
    CFrame* frame = FrameOf(instance);
    SendMessageW(editor, WM_MOUSEMOVE, 0, Client(20, 20));
    EXPECT_NE(frame->mouseOverView(), nullptr);
    SendMessageW(editor, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(frame->mouseOverView(), nullptr);
    EXPECT_FALSE(frame->leaveTrackingArmed());
    SendMessageW(editor, WM_MOUSEMOVE, 0, Client(21, 20));
    EXPECT_TRUE(frame->leaveTrackingArmed());

    instance.Dispatch(effEditClose);
    DestroyWindow(parent);
}

TEST(Win32Editor, RealInputIsCapturedDuringADragAndLeavingIsReported) {
    // The editor's top-left corner is at (100, 300) on the screen.
    HWND parent = CreateParent(100, 300, 200, 100);
    EditorInstance instance;
    instance.Dispatch(effEditOpen, 0, 0, parent);
    HWND editor = EditorWindow(instance);
    ASSERT_NE(editor, nullptr);
    std::vector<MouseCall>& calls = instance.effect().mouse;
    CFrame* frame = FrameOf(instance);
    auto waitFor = [&](size_t count) {
        return PumpUntil({&instance}, [&] { return calls.size() >= count; });
    };

    MoveTo(600, 600);
    Pump({&instance});
    MoveTo(110, 320);
    ASSERT_TRUE(PumpUntil({&instance}, [&] { return frame->mouseOverView() != nullptr; }));
    calls.clear();
    MoveTo(112, 320);
    ASSERT_TRUE(waitFor(1));
    ExpectCall(calls, 0, 'm', 12, 20, 0);
    CPoint where;
    EXPECT_TRUE(frame->getCurrentMouseLocation(where));
    EXPECT_EQ(where, (CPoint{12, 20}));

    // A press, a drag far outside the window, the release out there: all reach the view.
    Button(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(waitFor(2));
    ExpectCall(calls, 1, 'd', 12, 20, 2);
    EXPECT_EQ(GetCapture(), editor);
    MoveTo(40, 600);
    ASSERT_TRUE(waitFor(3));
    ExpectCall(calls, 2, 'm', -60, 300, 2);
    Button(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(waitFor(4));
    ExpectCall(calls, 3, 'u', -60, 300, 0);
    EXPECT_EQ(GetCapture(), nullptr);

    // In, then out: the system reports the leave the frame asked for.
    MoveTo(120, 330);
    ASSERT_TRUE(PumpUntil({&instance}, [&] { return frame->mouseOverView() != nullptr; }));
    EXPECT_TRUE(frame->leaveTrackingArmed());
    MoveTo(600, 600);
    EXPECT_TRUE(PumpUntil({&instance}, [&] { return !frame->leaveTrackingArmed(); }));
    EXPECT_EQ(frame->mouseOverView(), nullptr);

    // Two clicks in quick succession: the class asks for double clicks.
    MoveTo(130, 350);
    ASSERT_TRUE(PumpUntil({&instance}, [&] { return frame->mouseOverView() != nullptr; }));
    calls.clear();
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(waitFor(4));
    ExpectCall(calls, 0, 'd', 30, 50, 2);
    ExpectCall(calls, 2, 'd', 30, 50, 2 + 1024);

    instance.Dispatch(effEditClose);
    DestroyWindow(parent);
}

TEST(Win32Editor, WithSwappedButtonsThePhysicalLeftButtonCountsAsTheRight) {
    // Restored however the test ends: later tests need the buttons unswapped.
    struct Swap {
        BOOL was = SwapMouseButton(TRUE);
        ~Swap() { SwapMouseButton(was); }
    } swap;
    HWND parent = CreateParent(100, 300, 200, 100);
    EditorInstance instance;
    instance.Dispatch(effEditOpen, 0, 0, parent);
    CFrame* frame = FrameOf(instance);
    ASSERT_NE(frame->window(), nullptr);
    MoveTo(150, 350);
    ASSERT_TRUE(PumpUntil({&instance}, [&] { return frame->mouseOverView() != nullptr; }));
    std::vector<MouseCall>& calls = instance.effect().mouse;
    calls.clear();
    Button(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(PumpUntil({&instance}, [&] { return !calls.empty(); }));
    // The asynchronous key state names the physical button; the frame reports the logical
    // one. (Which message the press becomes is the system's business: Windows sends the
    // right-button one, Wine 8 does not swap injected input.)
    EXPECT_EQ(frame->getCurrentMouseButtons() & (2 | 8), 8);
    Button(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil({&instance}, [&] { return calls.size() >= 2; }));
    EXPECT_EQ(frame->getCurrentMouseButtons() & (2 | 8), 0);
    instance.Dispatch(effEditClose);
    DestroyWindow(parent);
}

}  // namespace
