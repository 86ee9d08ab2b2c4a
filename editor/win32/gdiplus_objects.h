// The platform objects of the GDI+ backend: a font and a decoded bitmap, each remembering
// the last status of the calls made on it.
#pragma once

#include "editor/draw_backend.h"
#include "editor/win32/gdiplus_api.h"

class GdiplusFont : public PlatformFont {
  public:
    explicit GdiplusFont(Gdiplus::GpFont* font) : font_(font) {}
    ~GdiplusFont() override { gdip::GdipDeleteFont(font_); }
    GdiplusFont(const GdiplusFont&) = delete;
    GdiplusFont& operator=(const GdiplusFont&) = delete;

    Gdiplus::GpFont* font() const { return font_; }
    Gdiplus::Status& lastStatus() const { return status_; }

  private:
    Gdiplus::GpFont* font_;
    mutable Gdiplus::Status status_ = Gdiplus::Ok;
};

class GdiplusImage : public PlatformImage {
  public:
    GdiplusImage(Gdiplus::GpBitmap* bitmap, int32_t width, int32_t height)
        : bitmap_(bitmap), width_(width), height_(height) {}
    ~GdiplusImage() override { gdip::GdipDisposeImage(bitmap_); }
    GdiplusImage(const GdiplusImage&) = delete;
    GdiplusImage& operator=(const GdiplusImage&) = delete;

    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    Gdiplus::GpBitmap* bitmap() const { return bitmap_; }
    Gdiplus::Status& lastStatus() const { return status_; }

  private:
    Gdiplus::GpBitmap* bitmap_;
    int32_t width_;
    int32_t height_;
    mutable Gdiplus::Status status_ = Gdiplus::Ok;
};
