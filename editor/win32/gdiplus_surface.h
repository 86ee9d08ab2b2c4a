// The GDI+ drawing surface: one graphics object with its pen, fill brush and text brush.
#pragma once

#include <memory>

#include "editor/draw_backend.h"
#include "editor/win32/gdiplus_api.h"
#include "editor/win32/wide_text.h"

class GdiplusSurface : public DrawSurface {
  public:
    // A width x height 32-bit ARGB bitmap of transparent black with a graphics object on it;
    // null when GDI+ cannot make either.
    static std::unique_ptr<GdiplusSurface> CreateOffscreen(int32_t width, int32_t height);
    ~GdiplusSurface() override;
    GdiplusSurface(const GdiplusSurface&) = delete;
    GdiplusSurface& operator=(const GdiplusSurface&) = delete;

    void SetPenColor(uint32_t argb) override;
    void SetPenWidth(float width) override;
    void SetFillColor(uint32_t argb) override;
    void SetTextColor(uint32_t argb) override;
    void SetSmoothing(bool antiAliased) override;
    void SetTextHint(TextHint hint) override;
    void SetClip(int32_t x, int32_t y, int32_t width, int32_t height) override;

    void FillRect(float x, float y, float width, float height) override;
    void StrokeRect(float x, float y, float width, float height) override;
    void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) override;
    void FillEllipse(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void StrokeEllipse(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void FillArc(float x, float y, float width, float height, float startAngle,
                 float sweepAngle) override;
    void StrokeArc(float x, float y, float width, float height, float startAngle,
                   float sweepAngle) override;

    float FontLineHeight(const PlatformFont& font) override;
    void Text(const PlatformFont& font, const char* utf8, float left, float top) override;
    float MeasureText(const PlatformFont& font, const char* utf8) override;
    void Image(const PlatformImage& image, int32_t x, int32_t y, int32_t width, int32_t height,
               int32_t srcX, int32_t srcY, int32_t alpha) override;

    bool ReadPixels(PixelBuffer& pixels) override;

    Gdiplus::GpGraphics* graphics() const { return graphics_; }
    // The last failure status of the graphics object (Ok when every call succeeded).
    Gdiplus::Status lastStatus() const { return graphicsStatus_; }

  private:
    // Takes ownership of graphics and of bitmap (null when the target is not a bitmap of
    // its own).
    GdiplusSurface(Gdiplus::GpGraphics* graphics, Gdiplus::GpBitmap* bitmap);
    // The arc as a path, drawn by paint and deleted again.
    template <typename Paint>
    void WithArcPath(float x, float y, float width, float height, float startAngle,
                     float sweepAngle, Paint paint);

    Gdiplus::GpGraphics* graphics_;
    Gdiplus::GpBitmap* bitmap_;
    Gdiplus::GpPen* pen_ = nullptr;
    Gdiplus::GpSolidFill* fill_ = nullptr;
    Gdiplus::GpSolidFill* text_ = nullptr;
    Gdiplus::Status graphicsStatus_ = Gdiplus::Ok;
    Gdiplus::Status penStatus_ = Gdiplus::Ok;
    Gdiplus::Status fillStatus_ = Gdiplus::Ok;
    Gdiplus::Status textStatus_ = Gdiplus::Ok;
    Gdiplus::Status bitmapStatus_ = Gdiplus::Ok;
    WideText wide_;
};
