#include "editor/draw_context.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "editor/font_desc.h"

CDrawContext::CDrawContext(std::unique_ptr<DrawSurface> surface, const CRect* frameSize)
    : surface_(std::move(surface)) {
    // The surface starts with a black pen and brushes; the context's own defaults follow.
    frameColor = {255, 255, 255, 255};
    fillColor = {0, 0, 0, 255};
    fontColor = {255, 255, 255, 255};
    if (surface_) {
        surface_->SetPenColor(PackArgb(frameColor));
        surface_->SetFillColor(PackArgb(fillColor));
        surface_->SetTextColor(PackArgb(fontColor));
        surface_->SetSmoothing(false);
    }
    setFont(StandardFont(0));
    clip = frameSize ? *frameSize : CRect{0.0, 0.0, 1000.0, 1000.0};
}

CDrawContext::~CDrawContext() {
    if (font) font->forget();
}

void CDrawContext::setFrameColor(const CColor& color) {
    if (color == frameColor) return;
    frameColor = color;
    if (surface_) surface_->SetPenColor(PackArgb(color));
}

void CDrawContext::setFillColor(const CColor& color) {
    if (color == fillColor) return;
    fillColor = color;
    if (surface_) surface_->SetFillColor(PackArgb(color));
}

// Text colour is set unconditionally: nothing is saved by comparing it.
void CDrawContext::setFontColor(const CColor& color) {
    fontColor = color;
    if (surface_) surface_->SetTextColor(PackArgb(color));
}

void CDrawContext::setDrawMode(int32_t mode) {
    if (mode == drawMode) return;
    drawMode = mode;
    if (surface_) surface_->SetSmoothing(mode == kAntiAliased);
}

void CDrawContext::setLineWidth(double width) {
    if (width == lineWidth) return;
    lineWidth = width;
    if (surface_) surface_->SetPenWidth(static_cast<float>(width));
}

void CDrawContext::setFont(CFontDesc* newFont) {
    if (newFont) newFont->remember();
    if (font) font->forget();
    font = newFont;
}

void CDrawContext::selectFont(CFontDesc* base, int32_t size, int32_t style) {
    if (font) font->forget();
    font = nullptr;
    if (!base) return;
    const bool sameSize = size <= 0 || static_cast<double>(size) == base->size();
    const bool sameStyle = style == -1 || style == base->style();
    if (sameSize && sameStyle) {
        base->remember();
        font = base;
        return;
    }
    // Owned by the context alone: its one reference is the context's. May throw
    // std::bad_alloc, leaving the context without a font.
    font = new CFontDesc(base->name().c_str(), size > 0 ? size : base->size(),
                         style != -1 ? style : base->style());
}

void CDrawContext::setClipRect(const CRect& newClip) {
    if (newClip == clip) return;
    clip = newClip;
    if (!surface_) return;
    surface_->SetClip(TruncateToInt(clip.left), TruncateToInt(clip.top),
                      TruncateToInt(clip.right - clip.left), TruncateToInt(clip.bottom - clip.top));
}

void CDrawContext::moveTo(double x, double y) {
    penX = x + offsetX;
    penY = y + offsetY;
}

// The pen moves even when nothing can be painted.
void CDrawContext::lineTo(double x, double y) {
    const double endX = x + offsetX;
    const double endY = y + offsetY;
    if (surface_) {
        surface_->Line(TruncateToInt(penX), TruncateToInt(penY), TruncateToInt(endX),
                       TruncateToInt(endY));
    }
    penX = endX;
    penY = endY;
}

CDrawContext::Box CDrawContext::orderedBox(double left, double top, double right,
                                           double bottom) const {
    left += offsetX;
    right += offsetX;
    top += offsetY;
    bottom += offsetY;
    return {std::min(left, right), std::min(top, bottom), std::max(left, right),
            std::max(top, bottom)};
}

void CDrawContext::drawRect(double left, double top, double right, double bottom, int32_t style) {
    if (!surface_) return;
    const auto [x0, y0, x1, y1] = orderedBox(left, top, right, bottom);
    if (StyleFills(style)) {
        surface_->FillRect(static_cast<float>(x0), static_cast<float>(y0),
                           static_cast<float>(x1 - x0), static_cast<float>(y1 - y0));
    }
    // One less than the size: the outline lands on the first and last rows and columns.
    if (StyleStrokes(style)) {
        surface_->StrokeRect(static_cast<float>(x0), static_cast<float>(y0),
                             static_cast<float>((x1 - x0) - 1.0),
                             static_cast<float>((y1 - y0) - 1.0));
    }
}

void CDrawContext::drawEllipse(double left, double top, double right, double bottom,
                               int32_t style) {
    if (!surface_) return;
    const auto [x0, y0, x1, y1] = orderedBox(left, top, right, bottom);
    const int32_t x = TruncateToInt(x0);
    const int32_t y = TruncateToInt(y0);
    // Minus one with the processor's wrap-around: odd extents (NaN, huge) stay defined.
    const auto minusOne = [](int32_t v) {
        return static_cast<int32_t>(static_cast<uint32_t>(v) - 1u);
    };
    const int32_t width = minusOne(TruncateToInt(x1 - x0));
    const int32_t height = minusOne(TruncateToInt(y1 - y0));
    if (StyleFills(style)) surface_->FillEllipse(x, y, width, height);
    if (StyleStrokes(style)) surface_->StrokeEllipse(x, y, width, height);
}

void CDrawContext::drawArc(double left, double top, double right, double bottom, double startAngle,
                           double endAngle, int32_t style) {
    if (!surface_) return;
    const auto x = static_cast<float>(left + offsetX);
    const auto y = static_cast<float>(top + offsetY);
    const auto width = static_cast<float>(right - left);
    const auto height = static_cast<float>(bottom - top);
    const auto start = static_cast<float>(startAngle);
    auto end = static_cast<float>(endAngle);
    // Always clockwise from the start: an end before the start wraps once.
    if (start > end) end += 360.0f;
    const float sweep = std::fabs(end - start);
    if (StyleFills(style)) surface_->FillArc(x, y, width, height, start, sweep);
    if (StyleStrokes(style)) surface_->StrokeArc(x, y, width, height, start, sweep);
}

void CDrawContext::drawPoint(double x, double y, const CColor& color) {
    const double savedWidth = lineWidth;
    if (lineWidth != 1.0) setLineWidth(1.0);
    const CColor savedColor = frameColor;
    setFrameColor(color);
    moveTo(x, y);
    lineTo(x + 1.0, y);
    setFrameColor(savedColor);
    if (savedWidth != lineWidth) setLineWidth(savedWidth);
}

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
