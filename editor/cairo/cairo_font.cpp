#include "editor/cairo/cairo_font.h"

#include <cairo-ft.h>

namespace {

// fontconfig always answers with some font; only a match whose family carries the asked
// name (any of its family names, ignoring case, as Windows compares them) is the face.
bool MatchIsFamily(FcPattern* match, const char* face) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(face)) == 0) return true;
    }
    return false;
}

}  // namespace

std::unique_ptr<PlatformFont> CreateCairoFont(FcConfig* config, const char* face, float size,
                                              PlatformFontStyle style) {
    if (!config || !face || !*face) return nullptr;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face));
    // Missing bold or italic faces are synthesised by fontconfig and Cairo, as GDI+ does.
    if (style == PlatformFontStyle::kBold) FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
    if (style == PlatformFontStyle::kItalic)
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ITALIC);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, static_cast<double>(size));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return nullptr;
    if (!MatchIsFamily(match, face)) {
        FcPatternDestroy(match);
        return nullptr;
    }
    // The match names its file, so Cairo opens it without consulting any configuration.
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);
    if (cairo_font_face_status(cairoFace) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(cairoFace);
        return nullptr;
    }
    return std::make_unique<CairoFont>(cairoFace, size, style == PlatformFontStyle::kUnderline);
}
