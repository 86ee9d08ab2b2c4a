// A backend without a platform library: the library "starts", but no font, image or surface
// can be made, so every drawing function keeps its state rules and paints nothing. Used only
// by builds that have no real backend yet.
#include "editor/draw_backend.h"

namespace {
class HeadlessBackend : public DrawBackend {
  public:
    bool StartLibrary() override { return true; }
    void StopLibrary() override {}
    std::unique_ptr<PlatformFont> CreateFont(const char*, float, PlatformFontStyle) override {
        return nullptr;
    }
    std::unique_ptr<PlatformImage> LoadImageFile(const char*) override { return nullptr; }
    std::unique_ptr<PlatformImage> DecodeImage(const void*, size_t) override { return nullptr; }
    std::unique_ptr<PlatformImage> LoadImageResource(const char*, uint16_t) override {
        return nullptr;
    }
    std::unique_ptr<DrawSurface> CreateOffscreenSurface(int32_t, int32_t) override {
        return nullptr;
    }
};
}  // namespace

DrawBackend& PlatformDrawBackend() {
    static HeadlessBackend backend;
    return backend;
}
