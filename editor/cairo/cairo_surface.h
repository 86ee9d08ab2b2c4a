// The Cairo drawing surface: an ARGB32 image surface painted with GDI+'s pixel geometry.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>

#include "editor/draw_backend.h"

class CairoSurface : public DrawSurface {
  public:
    // Null when Cairo cannot make the surface.
    static std::unique_ptr<CairoSurface> Create(int32_t width, int32_t height);
    ~CairoSurface() override;
    CairoSurface(const CairoSurface&) = delete;
    CairoSurface& operator=(const CairoSurface&) = delete;

    void SetPenColor(uint32_t argb) override { pen_ = argb; }
    void SetPenWidth(float width) override { penWidth_ = width; }
    void SetFillColor(uint32_t argb) override { fill_ = argb; }
    void SetTextColor(uint32_t argb) override { text_ = argb; }
    void SetSmoothing(bool antiAliased) override;
    void SetTextHint(TextHint hint) override { hint_ = hint; }
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

  private:
    CairoSurface(cairo_surface_t* target, cairo_t* cr);
    // Where GDI+'s integer coordinate lands in Cairo's pixel grid (see the .cpp).
    double Shift() const;
    void UseColor(uint32_t argb);
    void Stroke();
    void Fill();
    // Selects the font into the Cairo context and answers its extents.
    void SelectFont(const PlatformFont& font, cairo_font_extents_t& extents);
    // The text as valid UTF-8: itself, or a copy with bad bytes replaced.
    const char* ValidText(const char* utf8);

    cairo_surface_t* target_;
    cairo_t* cr_;
    cairo_font_options_t* textOptions_[2];
    uint32_t pen_ = 0xFF000000u;
    uint32_t fill_ = 0xFF000000u;
    uint32_t text_ = 0xFF000000u;
    float penWidth_ = 1.0f;
    bool smoothing_ = false;
    TextHint hint_ = TextHint::kSystemDefault;
    std::string textBuffer_;  // reused for repaired text
};
