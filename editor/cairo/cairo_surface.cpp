#include "editor/cairo/cairo_surface.h"

#include <cairo-ft.h>

#include <algorithm>
#include <cstring>

#include "editor/cairo/cairo_font.h"
#include "editor/cairo/cairo_image.h"
#include "editor/cairo/cairo_paths.h"

namespace {

// GDI+ (pixel offset mode "none") centres pixel i on the integer coordinate i; Cairo centres
// it on i + 0.5. Anti-aliased drawing shifts by exactly half a pixel. Aliased drawing shifts
// a little less, so that a shape edge on an integer coordinate never passes exactly through
// a pixel centre: a left or top edge at i then includes pixel i and a right or bottom edge
// at i excludes it, whatever Cairo's own rule for centres on edges is.
constexpr double kAntiAliasedShift = 0.5;
constexpr double kAliasedShift = 0.5 - 1.0 / 64.0;

// GDI+'s default string format pads the text by a sixth of the em size on each side.
constexpr double kTextPadding = 1.0 / 6.0;

double Channel(uint32_t argb, int shift) {
    return static_cast<double>((argb >> shift) & 0xFF) / 255.0;
}

// Length of the valid UTF-8 sequence at text, or 0 when the byte there starts none.
size_t ValidSequence(const unsigned char* text) {
    const unsigned char c = text[0];
    if (c < 0x80) return 1;
    size_t length = 0;
    uint32_t minimum = 0;
    uint32_t code = 0;
    if ((c & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, code = c & 0x07;
    } else {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 0;  // also stops at the terminating zero
        code = code << 6 | (text[i] & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::unique_ptr<CairoSurface> CairoSurface::Create(int32_t width, int32_t height) {
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(target) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(target);
        return nullptr;
    }
    cairo_t* cr = cairo_create(target);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        cairo_surface_destroy(target);
        return nullptr;
    }
    return std::unique_ptr<CairoSurface>(new CairoSurface(target, cr));
}

CairoSurface::CairoSurface(cairo_surface_t* target, cairo_t* cr) : target_(target), cr_(cr) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    // Unhinted metrics: the line height and advances are the font's design values scaled to
    // the pixel size, as GDI+ reports them.
    for (int i = 0; i < 2; ++i) {
        textOptions_[i] = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(textOptions_[i], CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(textOptions_[i], CAIRO_ANTIALIAS_GRAY);
    }
    cairo_font_options_set_hint_style(textOptions_[0], CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_style(textOptions_[1], CAIRO_HINT_STYLE_FULL);
    textBuffer_.reserve(256);
}

CairoSurface::~CairoSurface() {
    for (cairo_font_options_t* options : textOptions_) cairo_font_options_destroy(options);
    cairo_destroy(cr_);
    cairo_surface_destroy(target_);
}

double CairoSurface::Shift() const {
    return smoothing_ ? kAntiAliasedShift : kAliasedShift;
}

void CairoSurface::SetSmoothing(bool antiAliased) {
    smoothing_ = antiAliased;
    cairo_set_antialias(cr_, antiAliased ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void CairoSurface::SetClip(int32_t x, int32_t y, int32_t width, int32_t height) {
    cairo_reset_clip(cr_);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, x, y, std::max(width, 0), std::max(height, 0));
    cairo_clip(cr_);
}

void CairoSurface::UseColor(uint32_t argb) {
    cairo_set_source_rgba(cr_, Channel(argb, 16), Channel(argb, 8), Channel(argb, 0),
                          Channel(argb, 24));
}

void CairoSurface::Stroke() {
    UseColor(pen_);
    cairo_set_line_width(cr_, penWidth_);
    cairo_stroke(cr_);
}

void CairoSurface::Fill() {
    UseColor(fill_);
    cairo_fill(cr_);
}

void CairoSurface::FillRect(float x, float y, float width, float height) {
    if (!(width > 0.0f && height > 0.0f)) return;
    cairo_rectangle(cr_, x + Shift(), y + Shift(), width, height);
    Fill();
}

void CairoSurface::StrokeRect(float x, float y, float width, float height) {
    if (!(width >= 0.0f && height >= 0.0f)) return;
    cairo_rectangle(cr_, x + Shift(), y + Shift(), width, height);
    Stroke();
}

void CairoSurface::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    cairo_move_to(cr_, x0 + Shift(), y0 + Shift());
    cairo_line_to(cr_, x1 + Shift(), y1 + Shift());
    Stroke();
}

void CairoSurface::FillEllipse(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    AppendEllipse(cr_, x + Shift(), y + Shift(), width, height);
    Fill();
}

void CairoSurface::StrokeEllipse(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width < 0 || height < 0) return;
    AppendEllipse(cr_, x + Shift(), y + Shift(), width, height);
    Stroke();
}

void CairoSurface::FillArc(float x, float y, float width, float height, float startAngle,
                           float sweepAngle) {
    if (!(width > 0.0f && height > 0.0f)) return;
    AppendArc(cr_, x + Shift(), y + Shift(), width, height, startAngle, sweepAngle);
    cairo_close_path(cr_);  // the chord
    Fill();
}

void CairoSurface::StrokeArc(float x, float y, float width, float height, float startAngle,
                             float sweepAngle) {
    if (!(width > 0.0f && height > 0.0f)) return;
    AppendArc(cr_, x + Shift(), y + Shift(), width, height, startAngle, sweepAngle);
    Stroke();
}

void CairoSurface::SelectFont(const PlatformFont& font, cairo_font_extents_t& extents) {
    const auto& cairoFont = static_cast<const CairoFont&>(font);
    cairo_set_font_face(cr_, cairoFont.face());
    cairo_set_font_size(cr_, cairoFont.size());
    cairo_set_font_options(cr_, textOptions_[hint_ == TextHint::kClearTypeGridFit ? 1 : 0]);
    cairo_font_extents(cr_, &extents);
}

float CairoSurface::FontLineHeight(const PlatformFont& font) {
    cairo_font_extents_t extents{};
    SelectFont(font, extents);
    return static_cast<float>(extents.height);
}

const char* CairoSurface::ValidText(const char* utf8) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8);
    size_t i = 0;
    size_t step = 0;
    while (bytes[i] && (step = ValidSequence(bytes + i)) != 0) i += step;
    if (!bytes[i]) return utf8;
    // Cairo refuses invalid UTF-8 for good (its context stays in error); Windows' conversion
    // replaces each bad byte with U+FFFD instead, and so does this copy.
    textBuffer_.assign(utf8, i);
    while (bytes[i]) {
        step = ValidSequence(bytes + i);
        if (step == 0) {
            textBuffer_ += "\xEF\xBF\xBD";
            i += 1;
        } else {
            textBuffer_.append(utf8 + i, step);
            i += step;
        }
    }
    return textBuffer_.c_str();
}

void CairoSurface::Text(const PlatformFont& font, const char* utf8, float left, float top) {
    const char* text = ValidText(utf8);
    if (!*text) return;
    const auto& cairoFont = static_cast<const CairoFont&>(font);
    cairo_font_extents_t extents{};
    SelectFont(font, extents);
    const double x = left + cairoFont.size() * kTextPadding;
    const double baseline = top + extents.ascent;
    UseColor(text_);
    cairo_move_to(cr_, x, baseline);
    cairo_show_text(cr_, text);
    if (!cairoFont.underline()) return;
    double endX = x;
    double endY = baseline;
    cairo_get_current_point(cr_, &endX, &endY);
    cairo_new_path(cr_);
    double position = cairoFont.size() / 10.0;
    double thickness = cairoFont.size() / 14.0;
    cairo_scaled_font_t* scaled = cairo_get_scaled_font(cr_);
    if (FT_Face face = cairo_ft_scaled_font_lock_face(scaled)) {
        if (face->units_per_EM > 0) {
            const double scale = cairoFont.size() / face->units_per_EM;
            position = -face->underline_position * scale;
            thickness = face->underline_thickness * scale;
        }
        cairo_ft_scaled_font_unlock_face(scaled);
    }
    thickness = std::max(thickness, 1.0);
    cairo_rectangle(cr_, x, baseline + position - thickness / 2.0, endX - x, thickness);
    UseColor(text_);
    cairo_fill(cr_);
}

float CairoSurface::MeasureText(const PlatformFont& font, const char* utf8) {
    const char* text = ValidText(utf8);
    if (!*text) return 0.0f;
    const auto& cairoFont = static_cast<const CairoFont&>(font);
    cairo_font_extents_t extents{};
    SelectFont(font, extents);
    cairo_text_extents_t text_extents{};
    cairo_text_extents(cr_, text, &text_extents);
    return static_cast<float>(text_extents.x_advance + 2.0 * cairoFont.size() * kTextPadding);
}

void CairoSurface::Image(const PlatformImage& image, int32_t x, int32_t y, int32_t width,
                         int32_t height, int32_t srcX, int32_t srcY, int32_t alpha) {
    if (width <= 0 || height <= 0 || alpha <= 0) return;
    const auto& cairoImage = static_cast<const CairoImage&>(image);
    cairo_save(cr_);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, x, y, width, height);
    cairo_clip(cr_);
    cairo_set_source_surface(cr_, cairoImage.surface(), static_cast<double>(x) - srcX,
                             static_cast<double>(y) - srcY);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    if (alpha >= 255) {
        cairo_paint(cr_);
    } else {
        cairo_paint_with_alpha(cr_, alpha / 255.0);
    }
    cairo_restore(cr_);
}

bool CairoSurface::ReadPixels(PixelBuffer& pixels) {
    cairo_surface_flush(target_);
    const int width = cairo_image_surface_get_width(target_);
    const int height = cairo_image_surface_get_height(target_);
    const int stride = cairo_image_surface_get_stride(target_);
    const unsigned char* data = cairo_image_surface_get_data(target_);
    if (!data) return false;
    pixels.width = width;
    pixels.height = height;
    pixels.argb.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row[x];
            const uint32_t a = p >> 24;
            auto straight = [a](uint32_t c) { return a ? (c * 255 + a / 2) / a : 0; };
            pixels.argb[static_cast<size_t>(y) * width + x] =
                a << 24 | straight((p >> 16) & 0xFF) << 16 | straight((p >> 8) & 0xFF) << 8 |
                straight(p & 0xFF);
        }
    }
    return true;
}
