#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstring>
#include <string>

#include "editor/cairo/cairo_font.h"
#include "editor/cairo/cairo_image.h"
#include "editor/cairo/cairo_surface.h"
#include "editor/draw_backend.h"
#include "plugin/platform.h"

namespace {

// A resource name is one file name inside the resource folder, never a path out of it.
bool IsPlainFileName(const char* name) {
    if (!name || !*name || std::strchr(name, '/')) return false;
    return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

// The library is a fontconfig configuration of its own: started, it knows the installed
// fonts; stopped, no font can be made, as with an unstarted GDI+.
class CairoBackend : public DrawBackend {
  public:
    bool StartLibrary() override {
        config_ = FcInitLoadConfigAndFonts();
        return config_ != nullptr;
    }

    void StopLibrary() override {
        if (config_) FcConfigDestroy(config_);
        config_ = nullptr;
    }

    std::unique_ptr<PlatformFont> CreateFont(const char* face, float size,
                                             PlatformFontStyle style) override {
        return CreateCairoFont(config_, face, size, style);
    }

    std::unique_ptr<PlatformImage> LoadImageFile(const char* path) override {
        return DecodeImageFile(path);
    }

    std::unique_ptr<PlatformImage> DecodeImage(const void* bytes, size_t size) override {
        return DecodeImageBytes(bytes, size);
    }

    // Resources live in "<module file name>.resources/", one file per resource.
    std::unique_ptr<PlatformImage> LoadImageResource(const char* name, uint16_t number) override {
        const std::string module = PlatformModuleFileName(ModuleInstance());
        if (module.empty()) return nullptr;
        std::string file = name ? std::string(name) : std::to_string(number);
        if (!IsPlainFileName(file.c_str())) return nullptr;
        return DecodeImageFile((module + ".resources/" + file).c_str());
    }

    std::unique_ptr<DrawSurface> CreateOffscreenSurface(int32_t width, int32_t height) override {
        return CairoSurface::Create(width, height);
    }

  private:
    FcConfig* config_ = nullptr;
};

}  // namespace

DrawBackend& PlatformDrawBackend() {
    static CairoBackend backend;
    return backend;
}
