#include <cstdlib>

#include "editor/draw_backend.h"
#include "editor/win32/gdiplus_api.h"
#include "editor/win32/gdiplus_images.h"
#include "editor/win32/gdiplus_objects.h"
#include "editor/win32/gdiplus_surface.h"
#include "plugin/platform.h"

using namespace Gdiplus;

namespace {

// Face names are handed to GDI+ through the C library's multibyte conversion, cut at this
// many wide characters.
constexpr size_t kMaxFaceChars = 200;

GdiplusStartupInput StartupInput() {
    GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    return input;
}

class GdiplusBackend : public DrawBackend {
  public:
    bool StartLibrary() override {
        const GdiplusStartupInput input = StartupInput();
        ULONG_PTR token = 0;
        if (GdiplusStartup(&token, &input, nullptr) != Ok) return false;
        token_ = token;
        running_ = true;
        return true;
    }

    void StopLibrary() override {
        if (!running_) return;
        GdiplusShutdown(token_);
        running_ = false;
        token_ = 0;
    }

    std::unique_ptr<PlatformFont> CreateFont(const char* face, float size,
                                             PlatformFontStyle style) override {
        if (!running_ || !face) return nullptr;
        wchar_t name[kMaxFaceChars + 1] = {};
        if (std::mbstowcs(name, face, kMaxFaceChars) == static_cast<size_t>(-1)) return nullptr;
        name[kMaxFaceChars] = 0;
        // Only installed families: GDI+ answers FontFamilyNotFound for any other name.
        GpFontFamily* family = nullptr;
        if (gdip::GdipCreateFontFamilyFromName(name, nullptr, &family) != Ok || !family) {
            return nullptr;
        }
        GpFont* font = nullptr;
        const Status status =
            gdip::GdipCreateFont(family, size, static_cast<INT>(style), UnitPixel, &font);
        gdip::GdipDeleteFontFamily(family);
        if (status != Ok || !font) return nullptr;
        try {
            return std::make_unique<GdiplusFont>(font);
        } catch (...) {
            gdip::GdipDeleteFont(font);
            throw;
        }
    }

    std::unique_ptr<PlatformImage> LoadImageFile(const char* path) override {
        return running_ ? GdiplusLoadFile(path) : nullptr;
    }

    std::unique_ptr<PlatformImage> DecodeImage(const void* bytes, size_t size) override {
        return running_ ? GdiplusDecodeBytes(bytes, size) : nullptr;
    }

    std::unique_ptr<PlatformImage> LoadImageResource(const char* name, uint16_t number) override {
        return running_ ? GdiplusLoadResource(ModuleInstance(), name, number) : nullptr;
    }

    std::unique_ptr<DrawSurface> CreateOffscreenSurface(int32_t width, int32_t height) override {
        if (!running_ || width <= 0 || height <= 0) return nullptr;
        return GdiplusSurface::CreateOffscreen(width, height);
    }

  private:
    ULONG_PTR token_ = 0;
    bool running_ = false;
};

}  // namespace

DrawBackend& PlatformDrawBackend() {
    static GdiplusBackend backend;
    return backend;
}
