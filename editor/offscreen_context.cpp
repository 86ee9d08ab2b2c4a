#include "editor/offscreen_context.h"

#include <new>

namespace {
std::unique_ptr<DrawSurface> MakeSurface(bool libraryRunning, int32_t width, int32_t height) {
    if (!libraryRunning || width <= 0 || height <= 0) return nullptr;
    try {
        return PlatformDrawBackend().CreateOffscreenSurface(width, height);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
}  // namespace

COffscreenContext::COffscreenContext(int32_t width, int32_t height)
    : GraphicsLibraryHold(), CDrawContext(MakeSurface(held(), width, height), nullptr) {}

COffscreenContext* COffscreenContext::Create(int32_t width, int32_t height) {
    auto* context = new (std::nothrow) COffscreenContext(width, height);
    if (context && !context->surface()) {
        context->forget();
        return nullptr;
    }
    return context;
}
