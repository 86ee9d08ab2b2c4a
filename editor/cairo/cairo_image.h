// Decoded images for the Cairo backend: premultiplied ARGB32 image surfaces.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <memory>

#include "editor/draw_backend.h"

class CairoImage : public PlatformImage {
  public:
    explicit CairoImage(cairo_surface_t* surface) : surface_(surface) {}
    ~CairoImage() override { cairo_surface_destroy(surface_); }
    CairoImage(const CairoImage&) = delete;
    CairoImage& operator=(const CairoImage&) = delete;

    int32_t Width() const override { return cairo_image_surface_get_width(surface_); }
    int32_t Height() const override { return cairo_image_surface_get_height(surface_); }
    cairo_surface_t* surface() const { return surface_; }

  private:
    cairo_surface_t* surface_;
};

// PNG, BMP, JPEG and GIF (first frame); null for anything else or a damaged file.
std::unique_ptr<PlatformImage> DecodeImageFile(const char* path);
std::unique_ptr<PlatformImage> DecodeImageBytes(const void* bytes, size_t size);
