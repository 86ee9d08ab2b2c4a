#include "tests/editor_window/win32_host.h"

#include <chrono>
#include <thread>

#include "editor/frame.h"
#include "editor/orbel_editor.h"
#include "editor/win32/frame_window.h"
#include "plugin/orbel.h"
#include "tests/editor_window/editor_effect.h"

namespace win32host {
namespace {
constexpr wchar_t kParentClass[] = L"LottaTestHost";

ATOM RegisterParentClass() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kParentClass;
    return RegisterClassW(&windowClass);
}

// Under user-mode emulation of 32-bit x86 everything runs many times slower.
std::chrono::milliseconds PumpLimit() {
    return std::chrono::milliseconds(sizeof(void*) == 4 ? 30000 : 5000);
}

void DispatchWaiting() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
}  // namespace

HWND CreateParent(int x, int y, int width, int height) {
    static const ATOM registered = RegisterParentClass();
    if (!registered) return nullptr;
    // No WS_CLIPCHILDREN: reading the parent's DC then shows what the editor painted.
    HWND window = CreateWindowExW(0, kParentClass, L"host", WS_POPUP, x, y, width, height, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;
    // Shown without activation: Wine then leaves the window to no window manager, so it sits
    // exactly where asked and goes without waiting for one.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    UpdateWindow(window);
    DispatchWaiting();
    return window;
}

uint32_t Pixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    if (!dc) return 0xDEADBEEF;
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    if (colour == CLR_INVALID) return 0xDEADBEEF;
    return static_cast<uint32_t>(GetRValue(colour)) << 16 |
           static_cast<uint32_t>(GetGValue(colour)) << 8 | GetBValue(colour);
}

bool PumpUntil(std::initializer_list<EditorInstance*> instances,
               const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + PumpLimit();
    while (std::chrono::steady_clock::now() < end) {
        DispatchWaiting();
        for (EditorInstance* instance : instances) instance->Dispatch(effEditIdle);
        DispatchWaiting();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void Pump(std::initializer_list<EditorInstance*> instances) {
    for (int i = 0; i < 20; ++i) {
        DispatchWaiting();
        for (EditorInstance* instance : instances) instance->Dispatch(effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    DispatchWaiting();
}

LPARAM Client(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<int16_t>(x)),
                      static_cast<WORD>(static_cast<int16_t>(y)));
}

void MoveTo(int screenX, int screenY) {
    // Absolute positions are in 1/65535 of the primary screen.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (screenX * 65535 + width / 2) / (width - 1);
    input.mi.dy = (screenY * 65535 + height / 2) / (height - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

void Button(DWORD flag) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    SendInput(1, &input, sizeof input);
}

COrbelEditor* EditorOf(EditorInstance& instance) {
    return dynamic_cast<COrbelEditor*>(instance.adapter()->getEditor());
}

CFrame* FrameOf(EditorInstance& instance) {
    COrbelEditor* editor = EditorOf(instance);
    return editor ? editor->getFrame() : nullptr;
}

Win32FrameWindow* WindowOf(EditorInstance& instance) {
    CFrame* frame = FrameOf(instance);
    return frame ? dynamic_cast<Win32FrameWindow*>(frame->window()) : nullptr;
}

HWND EditorWindow(EditorInstance& instance) {
    Win32FrameWindow* window = WindowOf(instance);
    return window ? window->hwnd() : nullptr;
}

}  // namespace win32host
