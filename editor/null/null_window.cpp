// The window seam of products without a window system: a frame gets no window, so it lives
// on without painting, as when the host gives no parent window.
#include "editor/platform_window.h"

std::unique_ptr<PlatformWindow> CreatePlatformWindow(CFrame&, void*, int32_t, int32_t) {
    return nullptr;
}

void PlatformEditorThreadBegin() {}
void PlatformEditorThreadEnd() {}
