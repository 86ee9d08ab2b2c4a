// The drawing backend of products without a 2-D library: the library never starts, so no
// font, image or surface is ever made and every drawing function behaves as it does when
// there is no context.
#include "editor/draw_backend.h"

namespace {

class NullBackend final : public DrawBackend {
  public:
    bool StartLibrary() override { return false; }
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
    static NullBackend backend;
    return backend;
}
