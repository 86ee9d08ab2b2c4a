#include <algorithm>

#include "editor/draw_context.h"
#include "editor/font_desc.h"

void CDrawContext::drawStringAt(const char* text, double x, double y, bool antialias) {
    if (!text || !font || !surface_) return;
    PlatformFont* platform = font->platformFont();
    surface_->SetTextHint(antialias ? TextHint::kClearTypeGridFit : TextHint::kSystemDefault);
    // A face that is not installed has no platform font: nothing appears.
    if (!platform) return;
    const float lineHeight = surface_->FontLineHeight(*platform);
    // y is the row just below the line box: a line of height h covers rows y + 1 - h .. y.
    const auto left = static_cast<float>(x + offsetX);
    const float top = static_cast<float>(y + offsetY) + 1.0f - lineHeight;
    surface_->Text(*platform, text, left, top);
}

void CDrawContext::drawStringAligned(const char* text, double left, double top, double right,
                                     double bottom, int32_t align, bool antialias) {
    if (!text) return;
    const double size = font ? font->size() : 0.0;
    // Centred vertically for the nominal size, not the platform's line height.
    const double baseline = bottom - ((bottom - top) / 2.0 - size / 2.0 + 1.0);
    double x = left;
    if (align != 0) {
        const double width = stringWidth(text);
        x = align == 2 ? right - width : left + (right - left) / 2.0 - width / 2.0;
    }
    const CRect saved = clip;
    CRect bounded{left + offsetX, top + offsetY, right + offsetX, bottom + offsetY};
    bounded.left = std::max(bounded.left, saved.left);
    bounded.top = std::max(bounded.top, saved.top);
    bounded.right = std::min(bounded.right, saved.right);
    bounded.bottom = std::min(bounded.bottom, saved.bottom);
    // Rectangles that do not overlap leave an empty clip, not an inverted one.
    bounded.right = std::max(bounded.right, bounded.left);
    bounded.bottom = std::max(bounded.bottom, bounded.top);
    setClipRect(bounded);
    drawStringAt(text, x, baseline, antialias);
    setClipRect(saved);
}

double CDrawContext::stringWidth(const char* text) {
    if (!text || !font || !surface_) return -1.0;
    PlatformFont* platform = font->platformFont();
    if (!platform) return 0.0;
    return static_cast<double>(surface_->MeasureText(*platform, text));
}
