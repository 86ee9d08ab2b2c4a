#include "editor/cairo/cairo_image.h"

#include <climits>
#include <cstdint>

#include "editor/cairo/stb_image_decode.h"

namespace {

// RGBA bytes in, Cairo's native-endian premultiplied ARGB out.
std::unique_ptr<PlatformImage> FromRgba(const unsigned char* rgba, int width, int height) {
    if (!rgba || width <= 0 || height <= 0) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        const unsigned char* in = rgba + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
        for (int x = 0; x < width; ++x, in += 4) {
            const uint32_t a = in[3];
            auto premultiply = [a](uint32_t c) { return (c * a + 127) / 255; };
            row[x] =
                a << 24 | premultiply(in[0]) << 16 | premultiply(in[1]) << 8 | premultiply(in[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return std::make_unique<CairoImage>(surface);
}

}  // namespace

std::unique_ptr<PlatformImage> DecodeImageFile(const char* path) {
    if (!path) return nullptr;
    int width = 0;
    int height = 0;
    unsigned char* rgba = StbDecodeFile(path, &width, &height);
    auto image = FromRgba(rgba, width, height);
    StbFree(rgba);
    return image;
}

std::unique_ptr<PlatformImage> DecodeImageBytes(const void* bytes, size_t size) {
    if (!bytes || size == 0 || size > static_cast<size_t>(INT_MAX)) return nullptr;
    int width = 0;
    int height = 0;
    unsigned char* rgba = StbDecodeBytes(bytes, static_cast<int>(size), &width, &height);
    auto image = FromRgba(rgba, width, height);
    StbFree(rgba);
    return image;
}
