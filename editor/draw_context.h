// The state one paint draws with: offset, pen location, colours, font, draw mode and clip,
// over a platform surface. Every geometry rule of the drawing functions lives here; the
// surface only paints.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/draw_backend.h"
#include "editor/geometry.h"
#include "plugin/base_object.h"

class CFontDesc;

class CDrawContext : public CBaseObject {
  public:
    static constexpr int32_t kAntiAliased = 3;

    // surface may be null: the context then keeps its state but paints nothing. frameSize
    // is the size of the owning frame, null when there is none.
    CDrawContext(std::unique_ptr<DrawSurface> surface, const CRect* frameSize);
    ~CDrawContext() override;

    DrawSurface* surface() const { return surface_.get(); }

    void setFrameColor(const CColor& color);
    void setFillColor(const CColor& color);
    void setFontColor(const CColor& color);
    void setDrawMode(int32_t mode);
    void setLineWidth(double width);
    // Takes a reference to font, which may be null.
    void setFont(CFontDesc* font);
    // Selects base, or a new description derived from it, as the current font.
    void selectFont(CFontDesc* base, int32_t size, int32_t style);
    void setClipRect(const CRect& clip);

    void moveTo(double x, double y);
    void lineTo(double x, double y);
    void drawRect(double left, double top, double right, double bottom, int32_t style);
    void drawEllipse(double left, double top, double right, double bottom, int32_t style);
    void drawArc(double left, double top, double right, double bottom, double startAngle,
                 double endAngle, int32_t style);
    void drawPoint(double x, double y, const CColor& color);

    // Text.
    void drawStringAt(const char* text, double x, double y, bool antialias);
    void drawStringAligned(const char* text, double left, double top, double right, double bottom,
                           int32_t align, bool antialias);
    // -1 when nothing can be measured; 0 for a face that is not installed.
    double stringWidth(const char* text);

    double offsetX = 0.0;
    double offsetY = 0.0;
    double penX = 0.0;  // absolute: the offset is included
    double penY = 0.0;
    CColor frameColor;
    CColor fillColor;
    CColor fontColor;
    CFontDesc* font = nullptr;
    double lineWidth = 1.0;
    int32_t drawMode = 0;
    CRect clip;

  private:
    // The rectangle with the offset added and its corners ordered (x0 <= x1, y0 <= y1).
    struct Box {
        double x0, y0, x1, y1;
    };
    Box orderedBox(double left, double top, double right, double bottom) const;

    std::unique_ptr<DrawSurface> surface_;
};

// Shape styles of the drawing functions.
inline bool StyleFills(int32_t style) {
    return style == 1 || style == 2;
}
inline bool StyleStrokes(int32_t style) {
    return style == 0 || style == 2;
}
