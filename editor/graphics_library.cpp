#include "editor/graphics_library.h"

#include <new>

#include "editor/draw_backend.h"
#include "editor/font_desc.h"

namespace {
// The instance exists only while it has users; its absence is what lets the next user start
// the library again.
struct Instance {
    int32_t users = 0;
};
Instance* gInstance = nullptr;
int32_t gStarts = 0;
}  // namespace

bool GraphicsLibrary::Acquire() {
    if (gInstance) {
        gInstance->users += 1;
        return true;
    }
    auto* instance = new (std::nothrow) Instance;
    if (!instance) return false;
    if (!PlatformDrawBackend().StartLibrary()) {
        delete instance;
        return false;
    }
    instance->users = 1;
    gInstance = instance;
    gStarts += 1;
    return true;
}

void GraphicsLibrary::Release() {
    if (!gInstance) return;
    if (--gInstance->users > 0) return;
    // Font descriptors (the standard fonts, adapters' font lists) outlive the instance; their
    // platform fonts must not outlive the library that made them.
    ReleaseAllPlatformFonts();
    PlatformDrawBackend().StopLibrary();
    delete gInstance;
    gInstance = nullptr;
}

bool GraphicsLibrary::Running() {
    return gInstance != nullptr;
}

int32_t GraphicsLibrary::Users() {
    return gInstance ? gInstance->users : 0;
}

int32_t GraphicsLibrary::Starts() {
    return gStarts;
}
