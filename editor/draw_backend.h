// The one seam between the drawing rules and a platform's 2-D library. Everything above it
// (colour bytes, coordinate ordering and truncation, the arc sweep, text placement, font
// selection, bitmap slots) is decided by the portable code; a backend only paints what it is
// told, where it is told, and must paint the same pixels on every platform.
//
// Coordinate model shared by all backends: pixel (i, j) is the unit square whose centre sits
// at the integer point (i, j) (GDI+'s pixel offset mode "none"). An aliased fill covers the
// pixels whose centres lie inside the shape, a centre on a left or top edge counting as
// inside and one on a right or bottom edge as outside. An aliased stroke is a fill of the band
// of the pen's width centred on the path. So, with a 1-pixel pen:
//   Line(x0, y, x1, y) with x0 < x1   lights columns x0 .. x1 - 1 of row y (and likewise
//                                      for vertical lines), so Line(x, y, x + 1, y) lights
//                                      exactly pixel (x, y);
//   StrokeRect(x, y, w, h)             lights columns x .. x + w and rows y .. y + h;
//   FillRect(x, y, w, h)               lights columns x .. x + w - 1 and rows y .. y + h - 1.
// Anti-aliased drawing uses the same geometry with coverage-weighted edges. Images and clip
// rectangles are whole pixels: an image drawn at (x, y) puts its pixel (0, 0) on pixel (x, y).
// Text is the exception: its layout box is placed in edge coordinates (a box from top t of
// height h covers rows t .. t + h - 1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A platform font made for one face, size and style. "Not installed" is represented by no
// object at all (see DrawBackend::CreateFont).
class PlatformFont {
  public:
    virtual ~PlatformFont() = default;
};

// A decoded image held in 32-bit ARGB, ready to be drawn.
class PlatformImage {
  public:
    virtual ~PlatformImage() = default;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
};

// The single style a platform font is made with (bold and italic together are not offered).
enum class PlatformFontStyle { kRegular = 0, kBold = 1, kItalic = 2, kUnderline = 4 };

// Text rendering hints, numbered as GDI+ numbers them.
enum class TextHint { kSystemDefault = 0, kClearTypeGridFit = 5 };

// The pixel buffer of an offscreen surface: width x height ARGB values (alpha in the top
// byte, not premultiplied), rows top to bottom.
struct PixelBuffer {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> argb;
};

// [any] Whether the buffer holds the width x height pixels it claims, so that a window may read
// any of them; false for a zero or negative size.
inline bool HoldsAllPixels(const PixelBuffer& pixels) {
    return pixels.width > 0 && pixels.height > 0 &&
           static_cast<uint64_t>(pixels.width) * static_cast<uint64_t>(pixels.height) <=
               pixels.argb.size();
}

// One drawing target with its pen (lines and outlines), fill brush and text brush. Colours
// are packed alpha << 24 | red << 16 | green << 8 | blue. A new surface has interpolation
// "low quality", pixel units, pixel offset mode "none", an opaque black pen of width 1,
// opaque black brushes, smoothing off, no clip, text hint "system default".
class DrawSurface {
  public:
    virtual ~DrawSurface() = default;

    virtual void SetPenColor(uint32_t argb) = 0;
    virtual void SetPenWidth(float width) = 0;
    virtual void SetFillColor(uint32_t argb) = 0;
    virtual void SetTextColor(uint32_t argb) = 0;
    // Smoothing of lines, outlines, ellipses, arcs and fills (not text): GDI+ smoothing mode
    // 4 (anti-alias) when true, 3 (none) when false.
    virtual void SetSmoothing(bool antiAliased) = 0;
    // Applies to the following text draws only.
    virtual void SetTextHint(TextHint hint) = 0;
    // Replaces the clip with the pixels x .. x + width - 1, y .. y + height - 1; a
    // non-positive width or height clips everything away.
    virtual void SetClip(int32_t x, int32_t y, int32_t width, int32_t height) = 0;

    // Fill brush; nothing for a non-positive width or height (GdipFillRectangle).
    virtual void FillRect(float x, float y, float width, float height) = 0;
    // Pen; nothing for a negative width or height (GdipDrawRectangle).
    virtual void StrokeRect(float x, float y, float width, float height) = 0;
    // Pen, integer end points (GdipDrawLineI); a zero-length line lights nothing.
    virtual void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) = 0;
    // The ellipse inscribed in the box (GdipFillEllipseI / GdipDrawEllipseI); fills draw
    // nothing for a non-positive width or height, strokes nothing for a negative one.
    virtual void FillEllipse(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void StrokeEllipse(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // One arc of the ellipse inscribed in the box, as a path (GdipAddPathArc, then
    // GdipFillPath / GdipDrawPath). Angles in degrees, clockwise on screen from the positive
    // x axis, measured as true angles of the ellipse (the ray from its centre), not as the
    // parametric angle; sweep >= 0, 360 or more is the whole ellipse. A fill closes the arc
    // with its chord. A non-positive width or height draws nothing.
    virtual void FillArc(float x, float y, float width, float height, float startAngle,
                         float sweepAngle) = 0;
    virtual void StrokeArc(float x, float y, float width, float height, float startAngle,
                           float sweepAngle) = 0;

    // The font's line spacing in pixels at this surface's vertical resolution
    // (GdipGetDpiY, GdipGetFontHeightGivenDPI).
    virtual float FontLineHeight(const PlatformFont& font) = 0;
    // Draws UTF-8 text with the text brush, its line box's top-left corner at (left, top),
    // no wrapping and no layout clipping, with the platform's default string format
    // (GdipDrawString with a zero-sized layout rectangle and no format). Text that is not
    // valid UTF-8 has its bad bytes replaced, never rejected.
    virtual void Text(const PlatformFont& font, const char* utf8, float left, float top) = 0;
    // The width of the box GdipMeasureString reports for the text (default format, zero
    // layout rectangle).
    virtual float MeasureText(const PlatformFont& font, const char* utf8) = 0;
    // Copies the width x height area of the image starting at (srcX, srcY) unscaled to
    // (x, y), blending over the target. alpha < 255 scales the image's opacity by alpha / 255
    // (a colour matrix on GDI+), 255 draws the image directly. Nothing for a non-positive
    // width or height.
    virtual void Image(const PlatformImage& image, int32_t x, int32_t y, int32_t width,
                       int32_t height, int32_t srcX, int32_t srcY, int32_t alpha) = 0;

    // Offscreen surfaces only: copies the pixels out. False for surfaces that cannot.
    virtual bool ReadPixels(PixelBuffer& pixels) = 0;
};

// The process-wide entry to a platform library.
class DrawBackend {
  public:
    virtual ~DrawBackend() = default;

    // Brings the library up (GdiplusStartup) or down (GdiplusShutdown). The portable code
    // counts the users and calls these once per start and end.
    virtual bool StartLibrary() = 0;
    virtual void StopLibrary() = 0;

    // A font of an installed family whose name equals face ignoring case, at size pixels
    // (single precision, unit pixels), or null when no such family is installed (a
    // substitute family does not count). Null also while the library is not started.
    virtual std::unique_ptr<PlatformFont> CreateFont(const char* face, float size,
                                                     PlatformFontStyle style) = 0;
    // Images decoded into 32-bit ARGB; null on any failure. A path is handed to the file
    // system as it is, except that on Windows each byte is widened to one UTF-16 unit with
    // sign extension.
    virtual std::unique_ptr<PlatformImage> LoadImageFile(const char* path) = 0;
    virtual std::unique_ptr<PlatformImage> DecodeImage(const void* bytes, size_t size) = 0;
    // An image resource of this module by name (name non-null) or by 16-bit number: a "DATA"
    // resource, else a bitmap resource, on Windows; the file named by the name or the decimal
    // number in the folder "<module file name>.resources" beside the module elsewhere.
    virtual std::unique_ptr<PlatformImage> LoadImageResource(const char* name, uint16_t number) = 0;
    // A width x height 32-bit ARGB surface, fully transparent black, or null.
    virtual std::unique_ptr<DrawSurface> CreateOffscreenSurface(int32_t width, int32_t height) = 0;
};

// The backend this build was made with.
DrawBackend& PlatformDrawBackend();
