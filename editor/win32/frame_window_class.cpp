#include "editor/win32/frame_window_class.h"

#include <cstdint>
#include <string>

#include "editor/win32/frame_window.h"
#include "plugin/platform.h"

namespace {
// Process-wide, used only from the editor's thread (hosts open editors on their UI thread).
int gClassUsers = 0;
bool gButtonsSwapped = false;

// Global (another module's windows may be children of this one's) and double clicks wanted.
constexpr UINT kClassStyle = CS_GLOBALCLASS | CS_DBLCLKS;
static_assert(kClassStyle == 0x4008);
}  // namespace

std::wstring FrameWindowClassName() {
    static const std::wstring name = [] {
        // Formatted by hand: the runtime's "%p" and MinGW's own printf disagree on the
        // prefix and case, and the name must not depend on which one is linked.
        const auto value = reinterpret_cast<uintptr_t>(ModuleInstance());
        std::wstring text = L"Plugin";
        for (int shift = static_cast<int>(sizeof value) * 8 - 4; shift >= 0; shift -= 4) {
            text.push_back(L"0123456789ABCDEF"[(value >> shift) & 0xF]);
        }
        return text;
    }();
    return name;
}

bool AcquireFrameWindowClass() {
    if (gClassUsers == 0) {
        WNDCLASSW windowClass{};
        windowClass.style = kClassStyle;
        windowClass.lpfnWndProc = FrameWindowProc;
        windowClass.hInstance = static_cast<HINSTANCE>(ModuleInstance());
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        // No background brush: every pixel comes from painting.
        const std::wstring name = FrameWindowClassName();
        windowClass.lpszClassName = name.c_str();
        if (!RegisterClassW(&windowClass)) return false;
        gButtonsSwapped = GetSystemMetrics(SM_SWAPBUTTON) > 0;
    }
    ++gClassUsers;
    return true;
}

void ReleaseFrameWindowClass() {
    if (gClassUsers <= 0) return;
    if (--gClassUsers == 0) {
        UnregisterClassW(FrameWindowClassName().c_str(), static_cast<HINSTANCE>(ModuleInstance()));
    }
}

int FrameWindowClassUsers() {
    return gClassUsers;
}

bool FrameMouseButtonsSwapped() {
    return gButtonsSwapped;
}
