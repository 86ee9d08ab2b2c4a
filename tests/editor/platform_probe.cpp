#include "platform_probe.h"

#ifdef _WIN32
#include "editor/draw_context.h"
#include "editor/font_desc.h"
#include "editor/win32/gdiplus_objects.h"
#include "editor/win32/gdiplus_surface.h"

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

int32_t GdiplusSmoothingMode(CDrawContext* context) {
    auto* surface = context ? dynamic_cast<GdiplusSurface*>(context->surface()) : nullptr;
    if (!surface) return -1;
    Gdiplus::SmoothingMode mode = Gdiplus::SmoothingModeInvalid;
    if (gdip::GdipGetSmoothingMode(surface->graphics(), &mode) != Gdiplus::Ok) return -1;
    return static_cast<int32_t>(mode);
}

int32_t GdiplusFontStyle(CFontDesc* font) {
    auto* platform = font ? dynamic_cast<GdiplusFont*>(font->platformFont()) : nullptr;
    if (!platform) return -1;
    INT style = -1;
    if (gdip::GdipGetFontStyle(platform->font(), &style) != Gdiplus::Ok) return -1;
    return style;
}

#else

bool UnderWine() {
    return false;
}

int32_t GdiplusSmoothingMode(CDrawContext*) {
    return -1;
}

int32_t GdiplusFontStyle(CFontDesc*) {
    return -1;
}

#endif
