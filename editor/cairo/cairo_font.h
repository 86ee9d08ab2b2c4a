// Fonts for the Cairo backend: families found through fontconfig, drawn by Cairo.
#pragma once

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <memory>

#include "editor/draw_backend.h"

class CairoFont : public PlatformFont {
  public:
    CairoFont(cairo_font_face_t* face, float size, bool underline)
        : face_(face), size_(size), underline_(underline) {}
    ~CairoFont() override { cairo_font_face_destroy(face_); }
    CairoFont(const CairoFont&) = delete;
    CairoFont& operator=(const CairoFont&) = delete;

    cairo_font_face_t* face() const { return face_; }
    float size() const { return size_; }
    bool underline() const { return underline_; }

  private:
    cairo_font_face_t* face_;
    float size_;
    bool underline_;
};

// The installed family named face (ignoring case) in config, or null when fontconfig's best
// match for the name is another family.
std::unique_ptr<PlatformFont> CreateCairoFont(FcConfig* config, const char* face, float size,
                                              PlatformFontStyle style);
