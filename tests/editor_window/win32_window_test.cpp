// The editor in real Win32 windows (under Wine with an X server in the tests): the test plays
// a Windows host that opens the editor into a window of its own, pumps its message loop and
// reads pixels back; the window class, reopening, two editors, a host that destroys its
// window first, cursors, and audio running meanwhile.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "editor/editor_services.h"
#include "editor/frame.h"
#include "editor/orbel_editor.h"
#include "editor/win32/frame_window.h"
#include "editor/win32/frame_window_class.h"
#include "plugin/host_services.h"
#include "plugin/orbel.h"
#include "plugin/platform.h"
#include "tests/editor_window/editor_effect.h"
#include "tests/editor_window/win32_host.h"

namespace {
using namespace win32host;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;

// Written independently of the editor: "Plugin" and the module handle as the runtime's %p
// prints it.
std::wstring ExpectedClassName() {
    const auto value = reinterpret_cast<uintptr_t>(ModuleInstance());
    wchar_t digits[32] = {};
    swprintf(digits, 32, sizeof(void*) == 8 ? L"%016llX" : L"%08llX",
             static_cast<unsigned long long>(value));
    return std::wstring(L"Plugin") + digits;
}

bool ClassRegistered() {
    WNDCLASSW info{};
    return GetClassInfoW(static_cast<HINSTANCE>(ModuleInstance()), ExpectedClassName().c_str(),
                         &info) != 0;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

TEST(Win32Editor, WindowIsAChildOfTheHostsWindowOfTheModulesClass) {
    HWND parent = CreateParent(10, 10, 240, 140);
    ASSERT_NE(parent, nullptr);
    EditorInstance instance;
    ASSERT_EQ(instance.Dispatch(effEditOpen, 0, 0, parent), 1);
    HWND editor = EditorWindow(instance);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(GetParent(editor), parent);
    EXPECT_EQ(ClassOf(editor), ExpectedClassName());
    EXPECT_EQ(GetClassLongW(editor, GCL_STYLE), 0x4008u);
    const LONG style = GetWindowLongW(editor, GWL_STYLE);
    const LONG wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    EXPECT_EQ(style & wanted, wanted);
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExW(&version));
    const LONG composited = GetWindowLongW(editor, GWL_EXSTYLE) & 0x2000000;
    EXPECT_EQ(composited != 0, version.dwMajorVersion >= 6);
    RECT rect{};
    GetClientRect(editor, &rect);
    EXPECT_EQ(rect.right, 200);
    EXPECT_EQ(rect.bottom, 100);
    wchar_t title[16] = {};
    GetWindowTextW(editor, title, 16);
    EXPECT_STREQ(title, L"Window");
    EXPECT_EQ(FrameWindowClassUsers(), 1);
    instance.Dispatch(effEditClose);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
    DestroyWindow(parent);
}

TEST(Win32Editor, PaintsBlackWithoutADrawCallbackAndTheEffectsColoursWithOne) {
    HWND plain = CreateParent(10, 10, 240, 140);
    EditorInstance silent(false);
    ASSERT_EQ(silent.Dispatch(effEditOpen, 0, 0, plain), 1);
    EXPECT_TRUE(PumpUntil(
        {&silent}, [&] { return Pixel(plain, 0, 0) == kBlack && Pixel(plain, 199, 99) == kBlack; }))
        << std::hex << Pixel(plain, 0, 0);
    EXPECT_EQ(Pixel(plain, 200, 50), kWhite) << "the host's window beside the editor";
    EXPECT_EQ(Pixel(plain, 50, 100), kWhite);

    HWND parent = CreateParent(300, 10, 240, 140);
    EditorInstance painter;
    painter.effect().leftColor = kRed;
    painter.effect().rightColor = kBlue;
    painter.Dispatch(effEditOpen, 0, 0, parent);
    EXPECT_TRUE(PumpUntil({&painter},
                          [&] {
                              return Pixel(parent, 0, 0) == kRed && Pixel(parent, 99, 99) == kRed &&
                                     Pixel(parent, 100, 0) == kBlue &&
                                     Pixel(parent, 199, 99) == kBlue;
                          }))
        << std::hex << Pixel(parent, 0, 0) << " " << Pixel(parent, 199, 99);
    EXPECT_EQ(painter.effect().drawSizes, (std::vector<double>{200.0, 100.0}));
    EXPECT_TRUE(painter.effect().contextDuringDraw);
    EXPECT_EQ(painter.adapter()->drawContext, nullptr);

    // The runtime's idle asks for a redraw; the new colour reaches the window.
    painter.effect().leftColor = kGreen;
    EXPECT_TRUE(PumpUntil({&painter}, [&] { return Pixel(parent, 10, 10) == kGreen; }));
    EXPECT_EQ(painter.effect().lastRedrawAnswer, 1);

    // A paint covers only the invalid part, at the same place in the window.
    painter.effect().redrawFromIdle = false;
    painter.effect().leftColor = kBlue;
    painter.effect().rightColor = kRed;
    HWND editor = EditorWindow(painter);
    const RECT part{20, 30, 60, 70};
    InvalidateRect(editor, &part, TRUE);
    UpdateWindow(editor);
    EXPECT_EQ(Pixel(parent, 20, 30), kBlue);
    EXPECT_EQ(Pixel(parent, 59, 69), kBlue);
    EXPECT_EQ(Pixel(parent, 19, 30), kGreen);
    EXPECT_EQ(Pixel(parent, 60, 69), kGreen);
    EXPECT_EQ(Pixel(parent, 59, 70), kGreen);
    EXPECT_EQ(Pixel(parent, 150, 50), kBlue) << "outside the invalid part";
    // A host that asks the editor to draw now gets the whole frame outside WM_PAINT.
    EditorOf(painter)->draw(nullptr);
    EXPECT_EQ(Pixel(parent, 150, 50), kRed);
    EXPECT_EQ(Pixel(parent, 10, 10), kBlue);

    painter.Dispatch(effEditClose);
    silent.Dispatch(effEditClose);
    EXPECT_EQ(redrawEditor(painter.adapter()), 0);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr) << "closing destroys the editor's window";
    DestroyWindow(parent);
    DestroyWindow(plain);
}

TEST(Win32Editor, CloseAndReopenGiveAFreshWindowAndOpeningTwiceMovesTheEditor) {
    HWND first = CreateParent(10, 200, 200, 100);
    HWND second = CreateParent(300, 200, 200, 100);
    EditorInstance instance;
    instance.effect().leftColor = kRed;
    instance.Dispatch(effEditOpen, 0, 0, first);
    HWND old = EditorWindow(instance);
    ASSERT_NE(old, nullptr);
    EXPECT_TRUE(PumpUntil({&instance}, [&] { return Pixel(first, 5, 5) == kRed; }));
    instance.Dispatch(effEditClose);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_FALSE(ClassRegistered()) << "the last frame unregisters the class";

    instance.effect().leftColor = kBlue;
    instance.Dispatch(effEditOpen, 0, 0, first);
    EXPECT_NE(GetWindow(first, GW_CHILD), nullptr);
    EXPECT_TRUE(ClassRegistered());
    EXPECT_TRUE(PumpUntil({&instance}, [&] { return Pixel(first, 5, 5) == kBlue; }));

    // A host that opens again without closing gets the editor in its new window only.
    instance.Dispatch(effEditOpen, 0, 0, second);
    EXPECT_EQ(GetWindow(first, GW_CHILD), nullptr);
    EXPECT_NE(GetWindow(second, GW_CHILD), nullptr);
    EXPECT_EQ(FrameWindowClassUsers(), 1);
    EXPECT_TRUE(PumpUntil({&instance}, [&] { return Pixel(second, 5, 5) == kBlue; }));
    instance.Dispatch(effEditClose);
    DestroyWindow(first);
    DestroyWindow(second);
}

TEST(Win32Editor, TwoEditorsShareOneClassThatTheLastOneUnregisters) {
    HWND left = CreateParent(10, 400, 200, 100);
    HWND right = CreateParent(300, 400, 200, 100);
    EditorInstance a;
    EditorInstance b;
    a.effect().leftColor = kRed;
    b.effect().leftColor = kBlue;
    EXPECT_FALSE(ClassRegistered());
    a.Dispatch(effEditOpen, 0, 0, left);
    b.Dispatch(effEditOpen, 0, 0, right);
    EXPECT_EQ(ClassOf(EditorWindow(a)), ClassOf(EditorWindow(b)));
    EXPECT_EQ(FrameWindowClassUsers(), 2);
    EXPECT_TRUE(PumpUntil(
        {&a, &b}, [&] { return Pixel(left, 5, 5) == kRed && Pixel(right, 5, 5) == kBlue; }));
    SendMessageW(EditorWindow(b), WM_LBUTTONDOWN, MK_LBUTTON, Client(20, 30));
    SendMessageW(EditorWindow(b), WM_LBUTTONUP, 0, Client(20, 30));
    EXPECT_TRUE(a.effect().mouse.empty());
    ASSERT_EQ(b.effect().mouse.size(), 2u);
    EXPECT_EQ(b.effect().mouse[0].x, 20);

    a.Dispatch(effEditClose);
    EXPECT_TRUE(ClassRegistered()) << "the second editor still uses the class";
    b.effect().leftColor = kGreen;
    EXPECT_TRUE(PumpUntil({&a, &b}, [&] { return Pixel(right, 5, 5) == kGreen; }));
    b.Dispatch(effEditClose);
    EXPECT_FALSE(ClassRegistered());
    EXPECT_EQ(FrameWindowClassUsers(), 0);
    DestroyWindow(left);
    DestroyWindow(right);
}

TEST(Win32Editor, AHostThatDestroysItsWindowFirstOrGivesNoWindowDoesNotLoseTheProcess) {
    HWND parent = CreateParent(10, 600, 200, 100);
    EditorInstance instance;
    instance.Dispatch(effEditOpen, 0, 0, parent);
    HWND editor = EditorWindow(instance);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(GetPropW(editor, L"OleDropTargetInterface"), nullptr);
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_FALSE(FrameOf(instance)->isOpen());
    EXPECT_EQ(FrameOf(instance)->parentWindow(), nullptr);
    EXPECT_EQ(WindowOf(instance)->dropTarget(), nullptr);
    instance.Dispatch(effEditIdle);
    EXPECT_EQ(redrawEditor(instance.adapter()), 1);
    instance.Dispatch(effEditClose);
    EXPECT_FALSE(ClassRegistered());

    // No window, or a handle that names none: the editor opens without a window.
    EXPECT_EQ(instance.Dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_EQ(FrameOf(instance)->window(), nullptr);
    instance.Dispatch(effEditClose);
    EXPECT_EQ(instance.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x3FFFC)), 1);
    EXPECT_EQ(FrameOf(instance)->window(), nullptr);
    instance.Dispatch(effEditIdle);
    instance.Dispatch(effEditClose);
    EXPECT_FALSE(ClassRegistered());
}

TEST(Win32Editor, CursorKindsShowSystemCursorsAndOthersRestoreTheFirst) {
    HWND parent = CreateParent(10, 10, 200, 100);
    EditorInstance instance;
    instance.Dispatch(effEditOpen, 0, 0, parent);
    CFrame* frame = FrameOf(instance);
    const HCURSOR before = GetCursor();
    const struct {
        int32_t kind;
        int resource;
    } cases[] = {{1, 32514}, {2, 32644}, {3, 32645}, {4, 32646}, {5, 32643},
                 {6, 32642}, {8, 32648}, {9, 32649}, {7, 0},     {0, 0}};
    for (const auto& c : cases) {
        frame->setCursor(9);
        frame->setCursor(c.kind);
        const HCURSOR expected =
            c.resource ? LoadCursorW(nullptr, MAKEINTRESOURCEW(c.resource)) : before;
        EXPECT_EQ(GetCursor(), expected) << "kind " << c.kind;
    }
    frame->setCursor(2);
    instance.Dispatch(effEditClose);
    EXPECT_EQ(GetCursor(), before) << "closing restores the cursor";
    DestroyWindow(parent);
}

TEST(Win32Editor, OpeningPaintingAndClosingTheWindowWhileAudioRunsIsSafe) {
    HWND parent = CreateParent(10, 10, 200, 100);
    EditorInstance instance;
    std::atomic<bool> stop{false};
    float buffer[64] = {};
    float* channels[16];
    for (float*& c : channels) c = buffer;
    std::thread audio([&] {
        while (!stop.load())
            instance.record()->processReplacing(instance.record(), channels, channels, 64);
    });
    // Each opening paints the colour of its turn, so no turn can pass on the previous one's
    // pixels.
    int painted = 0;
    for (int i = 0; i < 20; ++i) {
        const uint32_t colour = i % 2 ? kBlue : kRed;
        instance.effect().leftColor = colour;
        instance.Dispatch(effEditOpen, 0, 0, parent);
        if (PumpUntil({&instance}, [&] { return Pixel(parent, 5, 5) == colour; })) ++painted;
        instance.Dispatch(effEditClose);
    }
    stop = true;
    audio.join();
    EXPECT_EQ(painted, 20);
    EXPECT_FALSE(ClassRegistered());
    DestroyWindow(parent);
}

}  // namespace
