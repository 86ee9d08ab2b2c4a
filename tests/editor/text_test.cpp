// Text through the platform backend: an installed face appears on its baseline row, an
// unknown face neither appears nor has a width, and aligned text stays in its rectangle.
#include <gtest/gtest.h>

#include <algorithm>

#include "canvas.h"
#include "editor/draw_api.h"
#include "editor/font_desc.h"
#include "platform_probe.h"

namespace {

constexpr const char* kInstalledFace = "DejaVu Sans";

struct Rows {
    int32_t top = 1 << 30, bottom = -1, left = 1 << 30, right = -1;
};

Rows LitArea(Canvas& canvas) {
    const PixelBuffer& pixels = canvas.Read();
    Rows rows;
    for (int32_t y = 0; y < pixels.height; ++y) {
        for (int32_t x = 0; x < pixels.width; ++x) {
            if (!(pixels.argb[static_cast<size_t>(y) * pixels.width + x] >> 24)) continue;
            rows = {std::min(rows.top, y), std::max(rows.bottom, y), std::min(rows.left, x),
                    std::max(rows.right, x)};
        }
    }
    return rows;
}

TEST(Text, AnInstalledFaceAppearsAboveItsBaselineRow) {
    for (int antialias : {0, 1}) {
        SCOPED_TRACE(antialias);
        Canvas canvas(120, 40);
        COrbel* adapter = canvas.adapter();
        DrawSetFont(adapter, kInstalledFace, 16, 0);
        DrawSetFontColor(adapter, 255, 255, 255, 255);
        EXPECT_EQ(DrawStringAt(adapter, "Hxg", 10, 30, antialias), 1);
        const Rows area = LitArea(canvas);
        ASSERT_GE(area.bottom, 0) << "text was drawn";
        // The line box (about 19 pixels for 16-pixel DejaVu Sans) ends on row 30.
        EXPECT_LE(area.bottom, 30);
        EXPECT_GE(area.bottom, 27) << "the descender of g reaches near the row";
        EXPECT_GE(area.top, 30 + 1 - 19);
        EXPECT_GE(area.left, 10);
    }
}

TEST(Text, AFaceThatIsNotInstalledIsInvisibleAndMeasuresZero) {
    Canvas canvas(120, 40);
    COrbel* adapter = canvas.adapter();
    DrawSetFont(adapter, "Lotta Face That Nobody Installed", 16, 0);
    EXPECT_EQ(DrawStringAt(adapter, "Hello", 10, 30, 1), 1);
    EXPECT_EQ(DrawString(adapter, "Hello", 0, 0, 120, 40, 0, 1), 1);
    EXPECT_EQ(canvas.CountLit(), 0);
    EXPECT_EQ(DrawGetStringWidth(adapter, "Hello"), 0.0);
    EXPECT_EQ(DrawGetStringWidth(adapter, nullptr), -1.0);
}

TEST(Text, WidthsGrowWithTheTextAndTheSize) {
    Canvas canvas(10, 10);
    COrbel* adapter = canvas.adapter();
    DrawSetFont(adapter, kInstalledFace, 12, 0);
    const double one = DrawGetStringWidth(adapter, "Hello");
    const double two = DrawGetStringWidth(adapter, "HelloHello");
    EXPECT_GT(one, 20.0);
    EXPECT_LT(one, 45.0);
    EXPECT_GT(two, one * 1.6);
    EXPECT_EQ(DrawGetStringWidth(adapter, ""), 0.0);
    EXPECT_EQ(static_cast<float>(one), one) << "single precision widened";
    DrawSetFont(adapter, kInstalledFace, 24, 0);
#ifdef _WIN32
    // GDI+ measures grid-fitted advances, rounded at each size, so twice the size is only
    // about twice the width (12 and 24 pixels: 33 and 70 under Wine).
    const double tolerance = 0.08 * 2.0 * one;
#else
    const double tolerance = 2.0;
#endif
    EXPECT_NEAR(DrawGetStringWidth(adapter, "Hello"), 2.0 * one, tolerance);
    // Invalid UTF-8 is drawn and measured with replacement characters, never refused.
    EXPECT_GT(DrawGetStringWidth(adapter, "a\xFF\xC3"), DrawGetStringWidth(adapter, "a"));
    EXPECT_EQ(DrawStringAt(adapter, "\xE2\x82", 0, 9, 1), 1);
    EXPECT_GT(DrawGetStringWidth(adapter, "still fine"), 0.0);
}

TEST(Text, AlignedTextStaysInsideItsRectangle) {
    for (int align : {0, 1, 2}) {
        SCOPED_TRACE(align);
        Canvas canvas(200, 40);
        COrbel* adapter = canvas.adapter();
        DrawSetFont(adapter, kInstalledFace, 14, 0);
        DrawStringAligned(adapter, "WWWWWWWWWWWWWWWWWWWW", 50, 5, 120, 35, align, 1);
        const Rows area = LitArea(canvas);
        ASSERT_GE(area.bottom, 0);
        EXPECT_GE(area.left, 50);
        EXPECT_LE(area.right, 119);
        EXPECT_GE(area.top, 5);
        EXPECT_LE(area.bottom, 34);
    }
    Canvas canvas(200, 40);
    COrbel* adapter = canvas.adapter();
    DrawSetFont(adapter, kInstalledFace, 14, 0);
    const double width = DrawGetStringWidth(adapter, "ab");
    DrawStringAligned(adapter, "ab", 0, 0, 200, 40, 1, 1);
    const Rows centred = LitArea(canvas);
    EXPECT_NEAR((centred.left + centred.right) / 2.0, 100.0, width / 4.0 + 1.0);
    EXPECT_EQ(canvas.context()->clip, (CRect{0, 0, 1000, 1000})) << "clip restored";
}

TEST(Text, UnderlineDrawsALineBelowTheBaseline) {
    Canvas plain(100, 30);
    DrawSetFont(plain.adapter(), kInstalledFace, 16, 0);
    DrawStringAt(plain.adapter(), "ooo", 5, 20, 1);
    Canvas underlined(100, 30);
    DrawSetFont(underlined.adapter(), kInstalledFace, 16, 4);
    DrawStringAt(underlined.adapter(), "ooo", 5, 20, 1);
#ifdef _WIN32
    EXPECT_EQ(GdiplusFontStyle(underlined.context()->font), 4) << "made as an underlined font";
    EXPECT_EQ(GdiplusFontStyle(plain.context()->font), 0);
    // Wine's GDI+ makes the underlined font but draws no underline.
    if (UnderWine()) return;
#endif
    EXPECT_GT(LitArea(underlined).bottom, LitArea(plain).bottom);
}

}  // namespace
