#include "editor/win32/frame_window.h"

#include <ole2.h>

#include <algorithm>
#include <new>

#include "editor/frame.h"
#include "editor/win32/drop_target.h"
#include "editor/win32/frame_window_class.h"
#include "plugin/platform.h"

namespace {
constexpr DWORD kCompositedStyle = 0x2000000;  // WS_EX_COMPOSITED

// Windows 6 (Vista) and later double-buffer a composited window themselves.
bool SystemComposites() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) return true;
    return version.dwMajorVersion >= 6;
}

bool KeyDown(int key) {
    return GetKeyState(key) < 0;
}

bool AsyncKeyDown(int key) {
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

// Client coordinates of mouse messages are signed 16-bit: a captured drag reports negative
// positions left of and above the window.
CPoint ClientPoint(LPARAM lParam) {
    return {static_cast<double>(static_cast<int16_t>(LOWORD(lParam))),
            static_cast<double>(static_cast<int16_t>(HIWORD(lParam)))};
}

UINT CursorResource(int32_t kind) {
    switch (kind) {
        case 1:
            return 32514;  // wait
        case 2:
            return 32644;  // horizontal resize
        case 3:
            return 32645;  // vertical resize
        case 4:
            return 32646;  // move
        case 5:
            return 32643;  // diagonal resize
        case 6:
            return 32642;  // other diagonal resize
        case 8:
            return 32648;  // not allowed
        case 9:
            return 32649;  // hand
        default:
            return 0;
    }
}
}  // namespace

int32_t ButtonsFromKeyState(WPARAM keyState) {
    int32_t buttons = 0;
    if (keyState & MK_LBUTTON) buttons |= kLButton;
    if (keyState & MK_RBUTTON) buttons |= kRButton;
    if (keyState & MK_MBUTTON) buttons |= kMButton;
    if (keyState & MK_XBUTTON1) buttons |= kButton4;
    if (keyState & MK_XBUTTON2) buttons |= kButton5;
    if (keyState & MK_CONTROL) buttons |= kControl;
    if (keyState & MK_SHIFT) buttons |= kShift;
    if (KeyDown(VK_MENU)) buttons |= kAlt;
    return buttons;
}

LRESULT CALLBACK FrameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* window = reinterpret_cast<Win32FrameWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window) return DefWindowProcW(hwnd, message, wParam, lParam);
    // Nothing may unwind into the system's message dispatch.
    try {
        return window->handleMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

std::unique_ptr<Win32FrameWindow> Win32FrameWindow::Create(CFrame& frame, HWND parent,
                                                           int32_t width, int32_t height) {
    if (!parent) return nullptr;
    std::unique_ptr<Win32FrameWindow> window(new (std::nothrow) Win32FrameWindow(frame));
    if (!window || !window->createWindow(parent, width, height)) return nullptr;
    return window;
}

Win32FrameWindow::Win32FrameWindow(CFrame& frame) : frame_(frame) {
    // Drop targets and shell links need OLE on this thread; undone by the destructor.
    const HRESULT result = OleInitialize(nullptr);
    oleInitialised_ = SUCCEEDED(result);
}

bool Win32FrameWindow::createWindow(HWND parent, int32_t width, int32_t height) {
    if (!AcquireFrameWindowClass()) return false;
    registeredClass_ = true;
    composited_ = SystemComposites();
    hwnd_ = CreateWindowExW(composited_ ? kCompositedStyle : 0, FrameWindowClassName().c_str(),
                            L"Window", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                            0, width, height, parent, nullptr,
                            static_cast<HINSTANCE>(ModuleInstance()), nullptr);
    if (!hwnd_) return false;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

Win32FrameWindow::~Win32FrameWindow() {
    setDropActive(false);
    if (hwnd_ && !destroyed_) {
        // Cleared first: the messages of the destruction get default processing.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        if (GetCapture() == hwnd_) ReleaseCapture();
        DestroyWindow(hwnd_);
    }
    if (registeredClass_) ReleaseFrameWindowClass();
    if (oleInitialised_) OleUninitialize();
}

void Win32FrameWindow::invalidate(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!hwnd_ || destroyed_) return;
    const RECT rect{x, y, x + width, y + height};
    InvalidateRect(hwnd_, &rect, TRUE);
}

void Win32FrameWindow::capturePointer() {
    if (hwnd_ && !destroyed_) SetCapture(hwnd_);
}

void Win32FrameWindow::releasePointer() {
    ReleaseCapture();
}

void Win32FrameWindow::trackPointerLeave() {
    if (!hwnd_ || destroyed_) return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd_;
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
}

bool Win32FrameWindow::queryPointer(CPoint& where, int32_t& buttons) {
    if (!hwnd_ || destroyed_) return false;
    POINT cursor{};
    RECT window{};
    if (!GetCursorPos(&cursor) || !GetWindowRect(hwnd_, &window)) return false;
    where = {static_cast<double>(cursor.x - window.left),
             static_cast<double>(cursor.y - window.top)};
    // The asynchronous state names physical buttons; the messages name logical ones.
    const bool swapped = FrameMouseButtonsSwapped();
    buttons = 0;
    if (AsyncKeyDown(VK_LBUTTON)) buttons |= swapped ? kRButton : kLButton;
    if (AsyncKeyDown(VK_RBUTTON)) buttons |= swapped ? kLButton : kRButton;
    if (AsyncKeyDown(VK_MBUTTON)) buttons |= kMButton;
    if (AsyncKeyDown(VK_SHIFT)) buttons |= kShift;
    if (AsyncKeyDown(VK_CONTROL)) buttons |= kControl;
    if (AsyncKeyDown(VK_MENU)) buttons |= kAlt;
    return true;
}

void Win32FrameWindow::setCursor(int32_t kind) {
    if (!cursorRemembered_) {
        rememberedCursor_ = GetCursor();
        cursorRemembered_ = true;
    }
    const UINT resource = CursorResource(kind);
    SetCursor(resource ? LoadCursorW(nullptr, MAKEINTRESOURCEW(resource)) : rememberedCursor_);
}

void Win32FrameWindow::paintPending() {
    if (!hwnd_ || destroyed_) return;
    // Paints this window now when it has an update region, without waiting for the host's
    // message loop (and without dispatching any other message).
    MSG message;
    if (PeekMessageW(&message, hwnd_, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&message);
}

void Win32FrameWindow::present(const PixelBuffer& pixels, int32_t x, int32_t y, int32_t width,
                               int32_t height) {
    // StretchDIBits reads the bitmap as width x height pixels; on a 32-bit host that product
    // could wrap in a size_t, hence the shared 64-bit check.
    if (!hwnd_ || destroyed_ || !HoldsAllPixels(pixels)) return;
    x = std::max(x, 0);
    y = std::max(y, 0);
    width = std::min(width, pixels.width - x);
    height = std::min(height, pixels.height - y);
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // rows top to bottom, as the buffer holds them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // Outside WM_PAINT (a host that asks the editor to draw now) the window's own DC is used.
    HDC dc = paintDC_ ? paintDC_ : GetDC(hwnd_);
    if (!dc) return;
    StretchDIBits(dc, x, y, width, height, x, y, width, height, pixels.argb.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
    if (!paintDC_) ReleaseDC(hwnd_, dc);
}

void Win32FrameWindow::resize(int32_t width, int32_t height) {
    if (!hwnd_ || destroyed_ || width <= 0 || height <= 0) return;
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32FrameWindow::setDropActive(bool active) {
    if (!active) {
        if (!dropTarget_) return;
        if (hwnd_) RevokeDragDrop(hwnd_);
        // OLE may still hold the target during a drag: it must not reach the frame any more.
        dropTarget_->detach();
        dropTarget_->Release();
        dropTarget_ = nullptr;
        return;
    }
    if (dropTarget_ || !hwnd_ || destroyed_) return;
    auto* target = new (std::nothrow) CDropTarget(frame_, hwnd_);
    if (!target) return;
    if (RegisterDragDrop(hwnd_, target) != S_OK) {
        target->detach();
        target->Release();
        return;
    }
    dropTarget_ = target;
}

LRESULT Win32FrameWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            // The host destroyed its window and this one with it. The drop target goes now:
            // a window that no longer exists cannot be revoked later.
            setDropActive(false);
            destroyed_ = true;
            frame_.platformWindowDestroyed();
            return DefWindowProcW(hwnd_, message, wParam, lParam);
        case WM_PAINT:
            return paint();
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE: {
            CPoint where = ClientPoint(lParam);
            frame_.onMouseMoved(where, ButtonsFromKeyState(wParam));
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP:
            return mouseButton(message, wParam, lParam);
        case WM_MOUSEWHEEL:
            return wheel(wParam, lParam);
        case WM_MOUSELEAVE: {
            CPoint where;
            frame_.getCurrentMouseLocation(where);
            frame_.onMouseExited(where, frame_.getCurrentMouseButtons());
            return 0;
        }
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT Win32FrameWindow::paint() {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    // Without a region to test, paint anyway: an unvalidated window would be sent WM_PAINT
    // for ever.
    const bool empty = region && GetUpdateRgn(hwnd_, region, FALSE) == NULLREGION;
    if (!empty) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(hwnd_, &paint);
        if (dc) {
            paintDC_ = dc;
            frame_.platformPaint({static_cast<double>(paint.rcPaint.left),
                                  static_cast<double>(paint.rcPaint.top),
                                  static_cast<double>(paint.rcPaint.right),
                                  static_cast<double>(paint.rcPaint.bottom)});
            paintDC_ = nullptr;
            EndPaint(hwnd_, &paint);
        }
    }
    if (region) DeleteObject(region);
    return 0;
}

LRESULT Win32FrameWindow::mouseButton(UINT message, WPARAM wParam, LPARAM lParam) {
    CPoint where = ClientPoint(lParam);
    int32_t buttons = ButtonsFromKeyState(wParam);
    switch (message) {
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP:
            frame_.onMouseUp(where, buttons);
            ReleaseCapture();
            return 0;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_XBUTTONDBLCLK:
            buttons |= kDoubleClickBit;
            break;
        default:
            break;
    }
    if (frame_.onMouseDown(where, buttons) == kMouseHandled) capturePointer();
    return 0;
}

LRESULT Win32FrameWindow::wheel(WPARAM wParam, LPARAM lParam) {
    int32_t buttons = 0;
    if (KeyDown(VK_SHIFT)) buttons |= kShift;
    if (KeyDown(VK_CONTROL)) buttons |= kControl;
    if (KeyDown(VK_MENU)) buttons |= kAlt;
    // Screen coordinates, signed: monitors left of or above the primary one are negative.
    RECT window{};
    GetWindowRect(hwnd_, &window);
    const CPoint where{static_cast<double>(static_cast<int16_t>(LOWORD(lParam)) - window.left),
                       static_cast<double>(static_cast<int16_t>(HIWORD(lParam)) - window.top)};
    // Whole notches only: a partial step of a fine-grained wheel counts as none.
    const int delta = static_cast<int16_t>(HIWORD(wParam));
    frame_.onWheel(where, static_cast<float>(delta / WHEEL_DELTA), buttons);
    return DefWindowProcW(hwnd_, WM_MOUSEWHEEL, wParam, lParam);
}

std::unique_ptr<PlatformWindow> CreatePlatformWindow(CFrame& frame, void* parent, int32_t width,
                                                     int32_t height) {
    try {
        return Win32FrameWindow::Create(frame, static_cast<HWND>(parent), width, height);
    } catch (...) {
        return nullptr;
    }
}

namespace {
// Successful OleInitialize calls of editors on this thread. A thread whose COM was already
// set up in another mode refuses OLE; undoing a refused start would end someone else's.
thread_local int tEditorOleStarts = 0;
}  // namespace

void PlatformEditorThreadBegin() {
    if (SUCCEEDED(OleInitialize(nullptr))) ++tEditorOleStarts;
}

void PlatformEditorThreadEnd() {
    if (tEditorOleStarts <= 0) return;
    --tEditorOleStarts;
    OleUninitialize();
}
