#include "editor/win32/gdiplus_surface.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "editor/win32/gdiplus_objects.h"

using namespace Gdiplus;

std::unique_ptr<GdiplusSurface> GdiplusSurface::CreateOffscreen(int32_t width, int32_t height) {
    GpBitmap* bitmap = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(width, height, 0, kArgb32, nullptr, &bitmap) != Ok ||
        !bitmap) {
        return nullptr;
    }
    GpGraphics* graphics = nullptr;
    if (gdip::GdipGetImageGraphicsContext(bitmap, &graphics) != Ok || !graphics) {
        gdip::GdipDisposeImage(bitmap);
        return nullptr;
    }
    auto surface =
        std::unique_ptr<GdiplusSurface>(new (std::nothrow) GdiplusSurface(graphics, bitmap));
    if (!surface) {
        gdip::GdipDeleteGraphics(graphics);
        gdip::GdipDisposeImage(bitmap);
        return nullptr;
    }
    // GDI+ leaves the pixels of a bitmap it allocates unspecified.
    Record(gdip::GdipGraphicsClear(graphics, 0), surface->graphicsStatus_);
    return surface;
}

GdiplusSurface::GdiplusSurface(GpGraphics* graphics, GpBitmap* bitmap)
    : graphics_(graphics), bitmap_(bitmap) {
    Record(gdip::GdipSetInterpolationMode(graphics_, InterpolationModeLowQuality), graphicsStatus_);
    Record(gdip::GdipSetPageUnit(graphics_, UnitPixel), graphicsStatus_);
    Record(gdip::GdipSetPixelOffsetMode(graphics_, PixelOffsetModeNone), graphicsStatus_);
    // Null objects are tolerated below: GDI+ answers InvalidParameter and nothing is drawn.
    Record(gdip::GdipCreatePen1(0xFF000000u, 1.0f, UnitWorld, &pen_), graphicsStatus_);
    Record(gdip::GdipCreateSolidFill(0xFF000000u, &fill_), graphicsStatus_);
    Record(gdip::GdipCreateSolidFill(0xFF000000u, &text_), graphicsStatus_);
}

GdiplusSurface::~GdiplusSurface() {
    if (pen_) gdip::GdipDeletePen(pen_);
    if (fill_) gdip::GdipDeleteBrush(fill_);
    if (text_) gdip::GdipDeleteBrush(text_);
    gdip::GdipDeleteGraphics(graphics_);
    if (bitmap_) gdip::GdipDisposeImage(bitmap_);
}

void GdiplusSurface::SetPenColor(uint32_t argb) {
    Record(gdip::GdipSetPenColor(pen_, argb), penStatus_);
}

void GdiplusSurface::SetPenWidth(float width) {
    Record(gdip::GdipSetPenWidth(pen_, width), penStatus_);
}

void GdiplusSurface::SetFillColor(uint32_t argb) {
    Record(gdip::GdipSetSolidFillColor(fill_, argb), fillStatus_);
}

void GdiplusSurface::SetTextColor(uint32_t argb) {
    Record(gdip::GdipSetSolidFillColor(text_, argb), textStatus_);
}

void GdiplusSurface::SetSmoothing(bool antiAliased) {
    Record(gdip::GdipSetSmoothingMode(graphics_,
                                      antiAliased ? SmoothingModeAntiAlias : SmoothingModeNone),
           graphicsStatus_);
}

void GdiplusSurface::SetTextHint(TextHint hint) {
    Record(gdip::GdipSetTextRenderingHint(graphics_, static_cast<TextRenderingHint>(hint)),
           graphicsStatus_);
}

void GdiplusSurface::SetClip(int32_t x, int32_t y, int32_t width, int32_t height) {
    Record(gdip::GdipSetClipRectI(graphics_, x, y, std::max(width, 0), std::max(height, 0),
                                  CombineModeReplace),
           graphicsStatus_);
}

void GdiplusSurface::FillRect(float x, float y, float width, float height) {
    if (!(width > 0.0f && height > 0.0f)) return;
    Record(gdip::GdipFillRectangle(graphics_, fill_, x, y, width, height), graphicsStatus_);
}

void GdiplusSurface::StrokeRect(float x, float y, float width, float height) {
    if (!(width >= 0.0f && height >= 0.0f)) return;
    Record(gdip::GdipDrawRectangle(graphics_, pen_, x, y, width, height), graphicsStatus_);
}

void GdiplusSurface::Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    Record(gdip::GdipDrawLineI(graphics_, pen_, x0, y0, x1, y1), graphicsStatus_);
}

void GdiplusSurface::FillEllipse(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    Record(gdip::GdipFillEllipseI(graphics_, fill_, x, y, width, height), graphicsStatus_);
}

void GdiplusSurface::StrokeEllipse(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width < 0 || height < 0) return;
    Record(gdip::GdipDrawEllipseI(graphics_, pen_, x, y, width, height), graphicsStatus_);
}

template <typename Paint>
void GdiplusSurface::WithArcPath(float x, float y, float width, float height, float startAngle,
                                 float sweepAngle, Paint paint) {
    if (!(width > 0.0f && height > 0.0f)) return;
    GpPath* path = nullptr;
    Record(gdip::GdipCreatePath(FillModeAlternate, &path), graphicsStatus_);
    if (!path) return;
    // A sweep beyond a full turn would wind over the ellipse again.
    const float sweep = std::min(sweepAngle, 360.0f);
    if (gdip::GdipAddPathArc(path, x, y, width, height, startAngle, sweep) == Ok) paint(path);
    gdip::GdipDeletePath(path);
}

void GdiplusSurface::FillArc(float x, float y, float width, float height, float startAngle,
                             float sweepAngle) {
    WithArcPath(x, y, width, height, startAngle, sweepAngle, [this](GpPath* path) {
        Record(gdip::GdipFillPath(graphics_, fill_, path), graphicsStatus_);
    });
}

void GdiplusSurface::StrokeArc(float x, float y, float width, float height, float startAngle,
                               float sweepAngle) {
    WithArcPath(x, y, width, height, startAngle, sweepAngle, [this](GpPath* path) {
        Record(gdip::GdipDrawPath(graphics_, pen_, path), graphicsStatus_);
    });
}

float GdiplusSurface::FontLineHeight(const PlatformFont& font) {
    const auto& gdiplusFont = static_cast<const GdiplusFont&>(font);
    REAL dpi = 96.0f;
    Record(gdip::GdipGetDpiY(graphics_, &dpi), graphicsStatus_);
    REAL height = 0.0f;
    Record(gdip::GdipGetFontHeightGivenDPI(gdiplusFont.font(), dpi, &height),
           gdiplusFont.lastStatus());
    return height;
}

void GdiplusSurface::Text(const PlatformFont& font, const char* utf8, float left, float top) {
    const auto& gdiplusFont = static_cast<const GdiplusFont&>(font);
    // A zero-sized layout rectangle: no wrapping and no clipping by the layout.
    const RectF layout(left, top, 0.0f, 0.0f);
    Record(gdip::GdipDrawString(graphics_, wide_.Convert(utf8), -1, gdiplusFont.font(), &layout,
                                nullptr, text_),
           graphicsStatus_);
}

float GdiplusSurface::MeasureText(const PlatformFont& font, const char* utf8) {
    const auto& gdiplusFont = static_cast<const GdiplusFont&>(font);
    const RectF layout(0.0f, 0.0f, 0.0f, 0.0f);
    RectF bounds(0.0f, 0.0f, 0.0f, 0.0f);
    Record(gdip::GdipMeasureString(graphics_, wide_.Convert(utf8), -1, gdiplusFont.font(), &layout,
                                   nullptr, &bounds, nullptr, nullptr),
           graphicsStatus_);
    return bounds.Width;
}

void GdiplusSurface::Image(const PlatformImage& image, int32_t x, int32_t y, int32_t width,
                           int32_t height, int32_t srcX, int32_t srcY, int32_t alpha) {
    if (width <= 0 || height <= 0) return;
    const auto& source = static_cast<const GdiplusImage&>(image);
    if (alpha >= 255) {
        Record(
            gdip::GdipDrawImageRectRectI(graphics_, source.bitmap(), x, y, width, height, srcX,
                                         srcY, width, height, UnitPixel, nullptr, nullptr, nullptr),
            graphicsStatus_);
        return;
    }
    // The colour matrix scales alpha only; it applies to the whole drawn image, so the
    // source area is first copied unscaled into an image of its own.
    GpImageAttributes* attributes = nullptr;
    if (gdip::GdipCreateImageAttributes(&attributes) != Ok || !attributes) return;
    ColorMatrix matrix;
    std::memset(&matrix, 0, sizeof matrix);
    matrix.m[0][0] = matrix.m[1][1] = matrix.m[2][2] = 1.0f;
    matrix.m[3][3] = static_cast<REAL>(alpha) / 255.0f;
    gdip::GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeBitmap, TRUE, &matrix,
                                            nullptr, ColorMatrixFlagsDefault);
    GpBitmap* intermediate = nullptr;
    GpGraphics* copier = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(width, height, 0, kArgb32, nullptr, &intermediate) == Ok &&
        gdip::GdipGetImageGraphicsContext(intermediate, &copier) == Ok) {
        Record(
            gdip::GdipDrawImageRectRectI(copier, source.bitmap(), 0, 0, width, height, srcX, srcY,
                                         width, height, UnitPixel, nullptr, nullptr, nullptr),
            source.lastStatus());
        Record(gdip::GdipDrawImageRectRectI(graphics_, intermediate, x, y, width, height, 0, 0,
                                            width, height, UnitPixel, attributes, nullptr, nullptr),
               graphicsStatus_);
    }
    if (copier) gdip::GdipDeleteGraphics(copier);
    if (intermediate) gdip::GdipDisposeImage(intermediate);
    gdip::GdipDisposeImageAttributes(attributes);
}

bool GdiplusSurface::ReadPixels(PixelBuffer& pixels) {
    if (!bitmap_) return false;
    Record(gdip::GdipFlush(graphics_, FlushIntentionSync), graphicsStatus_);
    UINT width = 0;
    UINT height = 0;
    gdip::GdipGetImageWidth(bitmap_, &width);
    gdip::GdipGetImageHeight(bitmap_, &height);
    const Rect area(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    BitmapData data;
    std::memset(&data, 0, sizeof data);
    const Status status =
        gdip::GdipBitmapLockBits(bitmap_, &area, ImageLockModeRead, kArgb32, &data);
    Record(status, bitmapStatus_);
    if (status != Ok) return false;
    pixels.width = static_cast<int32_t>(width);
    pixels.height = static_cast<int32_t>(height);
    pixels.argb.assign(static_cast<size_t>(width) * height, 0);
    const auto* scan0 = static_cast<const unsigned char*>(data.Scan0);
    for (UINT row = 0; row < height; ++row) {
        // A negative stride means the rows are stored bottom-up.
        std::memcpy(pixels.argb.data() + static_cast<size_t>(row) * width,
                    scan0 + static_cast<ptrdiff_t>(row) * data.Stride, width * sizeof(uint32_t));
    }
    gdip::GdipBitmapUnlockBits(bitmap_, &data);
    return true;
}
