// Builds without a platform window: frames live without a window, paint nothing and receive
// no events. The Win32 frame window replaces this file in the Windows builds.
#include "editor/platform_window.h"

std::unique_ptr<PlatformWindow> CreatePlatformWindow(CFrame& /*frame*/, void* /*parent*/,
                                                     int32_t /*width*/, int32_t /*height*/) {
    return nullptr;
}

void PlatformEditorThreadBegin() {}
void PlatformEditorThreadEnd() {}
