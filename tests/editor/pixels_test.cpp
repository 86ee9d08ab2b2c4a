// What the platform backend paints, read back from an offscreen 32-bit ARGB surface: the
// pixel geometry of rectangles, lines, points, ellipses and arcs, colours and the draw mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "canvas.h"
#include "editor/draw_api.h"
#include "platform_probe.h"

namespace {

struct Box {
    int32_t left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool operator==(const Box&) const = default;
};

Box LitBox(Canvas& canvas) {
    const PixelBuffer& pixels = canvas.Read();
    Box box;
    for (int32_t y = 0; y < pixels.height; ++y) {
        for (int32_t x = 0; x < pixels.width; ++x) {
            if (!(pixels.argb[static_cast<size_t>(y) * pixels.width + x] >> 24)) continue;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                   std::max(box.bottom, y)};
        }
    }
    return box;
}

bool IsLit(Canvas& canvas, int32_t x, int32_t y) {
    return (canvas.Pixel(x, y) >> 24) != 0;
}

TEST(Pixels, RectanglesFillTheirAreaAndOutlineTheirFirstAndLastRowsAndColumns) {
    struct Case {
        const char* what;
        double left, top, right, bottom;
        int style;
        const char* picture;
        // Wine's GDI+ rounds fractional rectangle edges to the nearest integer instead of
        // testing pixel centres; null where it agrees with picture.
        const char* winePicture = nullptr;
    };
    const Case cases[] = {
        {"stroke", 1, 1, 6, 5, 0, "........\n.#####..\n.#...#..\n.#...#..\n.#####..\n........\n"},
        {"fill, reversed corners", 6, 5, 1, 1, 1,
         "........\n.#####..\n.#####..\n.#####..\n.#####..\n........\n"},
        {"one pixel", 2, 2, 3, 3, 2,
         "........\n........\n..#.....\n........\n........\n........\n"},
        {"fractional fill covers the pixels whose centres it holds", 0.5, 0.4, 3.5, 2.6, 1,
         "........\n.###....\n.###....\n........\n........\n........\n",
         ".###....\n.###....\n.###....\n........\n........\n........\n"},
        {"empty rectangle fills nothing", 3, 3, 3, 3, 1,
         "........\n........\n........\n........\n........\n........\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas canvas(8, 6);
        DrawSetFrameColor(canvas.adapter(), 0, 0, 255, 255);
        DrawSetFillColor(canvas.adapter(), 0, 0, 255, 255);
        DrawRect(canvas.adapter(), c.left, c.top, c.right, c.bottom, c.style);
        EXPECT_EQ(canvas.Picture(), UnderWine() && c.winePicture ? c.winePicture : c.picture);
    }
    Canvas canvas(12, 12);
    DrawRect(canvas.adapter(), 0, 0, 10, 10, 0);
    EXPECT_EQ(canvas.CountLit(), 36);
    EXPECT_EQ(LitBox(canvas), (Box{0, 0, 9, 9}));
    EXPECT_EQ(canvas.Pixel(9, 9), 0xFFFFFFFFu) << "the initial frame colour is white";
}

TEST(Pixels, LinesLightTheirStartButNotTheirEndAndPointsOnePixel) {
    struct Case {
        const char* what;
        double x0, y0, x1, y1;
        std::vector<std::string> lit;
    };
    const Case cases[] = {
        {"horizontal", 2, 1, 6, 1, {"2,1", "3,1", "4,1", "5,1"}},
        {"vertical", 3, 0, 3, 3, {"3,0", "3,1", "3,2"}},
        {"backwards", 5, 2, 2, 2, {"2,2", "3,2", "4,2"}},
        {"truncated ends", 1.9, 2.9, 3.99, 2.1, {"1,2", "2,2"}},
        {"diagonal", 0, 0, 3, 3, {"0,0", "1,1", "2,2"}},
        {"zero length", 4, 4, 4.5, 4.9, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas canvas(8, 6);
        DrawMoveTo(canvas.adapter(), c.x0, c.y0);
        DrawLineTo(canvas.adapter(), c.x1, c.y1);
        std::vector<std::string> lit = c.lit;
        if (UnderWine() && !lit.empty()) {
            // Wine's GDI+ draws one-pixel lines with both end pixels; Windows leaves out the
            // last one, as GDI does.
            for (auto [x, y] : {std::pair{c.x0, c.y0}, std::pair{c.x1, c.y1}}) {
                const std::string end =
                    std::to_string(static_cast<int>(x)) + "," + std::to_string(static_cast<int>(y));
                if (std::find(lit.begin(), lit.end(), end) == lit.end()) lit.push_back(end);
            }
            std::sort(lit.begin(), lit.end(), [](const std::string& a, const std::string& b) {
                const auto key = [](const std::string& p) {
                    const size_t comma = p.find(',');
                    return std::make_pair(std::stoi(p.substr(comma + 1)), std::stoi(p));
                };
                return key(a) < key(b);
            });
        }
        EXPECT_EQ(canvas.Lit(), lit);
    }
    Canvas canvas(8, 6);
    DrawSetFrameColor(canvas.adapter(), 0, 255, 0, 255);
    EXPECT_EQ(DrawPoint(canvas.adapter(), 4.7, 3.2, 300, -1, 0, 255), 1);
    // A point is the line to the next pixel, which Wine draws with both ends.
    const std::vector<std::string> point =
        UnderWine() ? std::vector<std::string>{"4,3", "5,3"} : std::vector<std::string>{"4,3"};
    EXPECT_EQ(canvas.Lit(), point);
    EXPECT_EQ(canvas.Pixel(4, 3), 0xFF2CFF00u) << "channels taken modulo 256";
    DrawMoveTo(canvas.adapter(), 0, 0);
    DrawLineTo(canvas.adapter(), 1, 0);
    EXPECT_EQ(canvas.Pixel(0, 0), 0xFF00FF00u) << "the frame colour is back";
}

TEST(Pixels, EllipsesFitTheirIntegerBox) {
    Canvas canvas(14, 14);
    DrawEllipse(canvas.adapter(), 0.9, 0.9, 10.9, 10.9, 0);
    // Box (0, 0) with width and height 9: the outline reaches columns and rows 0 and 9.
    EXPECT_EQ(LitBox(canvas), (Box{0, 0, 9, 9}));
    EXPECT_FALSE(IsLit(canvas, 0, 0)) << "corners stay empty";
    EXPECT_FALSE(IsLit(canvas, 4, 4)) << "an outline has no inside";
    const PixelBuffer pixels = canvas.Read();
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 10; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            EXPECT_EQ(IsLit(canvas, x, y), IsLit(canvas, 9 - x, y)) << "symmetric";
            EXPECT_EQ(IsLit(canvas, x, y), IsLit(canvas, y, x));
        }
    }
    Canvas filled(14, 14);
    DrawEllipse(filled.adapter(), 0, 0, 10, 10, 1);
    const Box box = LitBox(filled);
    EXPECT_GE(box.left, 0);
    EXPECT_LE(box.right, 8) << "the fill uses the reduced width too";
    EXPECT_TRUE(IsLit(filled, 4, 4));
}

TEST(Pixels, ArcsSweepClockwiseAndFillAsSegments) {
    struct Case {
        const char* what;
        double start, end;
        int style;
        Box within;
    };
    const Case cases[] = {
        {"quarter below right", 0, 90, 0, {10, 10, 20, 20}},
        {"20 degrees across zero", 350, 10, 0, {17, 6, 20, 14}},
        {"lower half", 0, 180, 1, {0, 10, 20, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas canvas(24, 24);
        DrawArc(canvas.adapter(), 0, 0, 20, 20, c.start, c.end, c.style);
        const Box box = LitBox(canvas);
        EXPECT_GT(canvas.CountLit(), 0);
        EXPECT_GE(box.left, c.within.left);
        EXPECT_GE(box.top, c.within.top);
        EXPECT_LE(box.right, c.within.right);
        EXPECT_LE(box.bottom, c.within.bottom);
    }
    Canvas longWay(24, 24);
    DrawArc(longWay.adapter(), 0, 0, 20, 20, 10, 350, 0);
    EXPECT_TRUE(IsLit(longWay, 0, 10)) << "340 degrees pass the left side";
    EXPECT_FALSE(IsLit(longWay, 20, 10)) << "but not zero degrees";
    Canvas segment(24, 24);
    DrawSetFillColor(segment.adapter(), 255, 255, 255, 255);
    DrawArc(segment.adapter(), 0, 0, 20, 20, 0, 90, 1);
    EXPECT_TRUE(IsLit(segment, 16, 16));
    EXPECT_FALSE(IsLit(segment, 12, 12)) << "closed by the chord, not a pie";
}

TEST(Pixels, ColoursAndDrawMode) {
    Canvas canvas(10, 10);
    COrbel* adapter = canvas.adapter();
    DrawSetFillColor(adapter, 0x12, 0x34, 0x56, 255);
    DrawRect(adapter, 0, 0, 2, 2, 1);
    EXPECT_EQ(canvas.Pixel(1, 1), 0xFF123456u);
    DrawSetFillColor(adapter, 255, 0, 0, 128);
    DrawRect(adapter, 2, 0, 4, 2, 1);
    EXPECT_EQ(canvas.Pixel(2, 0), 0x80FF0000u);

    auto alphas = [](Canvas& c) {
        std::vector<uint32_t> partial;
        for (uint32_t p : c.Read().argb) {
            if ((p >> 24) != 0 && (p >> 24) != 255) partial.push_back(p >> 24);
        }
        return partial.size();
    };
    Canvas aliased(20, 20);
    DrawMoveTo(aliased.adapter(), 0, 0);
    DrawLineTo(aliased.adapter(), 19, 7);
    DrawEllipse(aliased.adapter(), 2, 8, 18, 19, 2);
    EXPECT_EQ(alphas(aliased), 0u) << "mode 0 paints whole pixels only";
    Canvas smooth(20, 20);
    DrawSetMode(smooth.adapter(), 3);
    DrawMoveTo(smooth.adapter(), 0, 0);
    DrawLineTo(smooth.adapter(), 19, 7);
    DrawEllipse(smooth.adapter(), 2, 8, 18, 19, 2);
    if (UnderWine()) {
        // Wine's GDI+ accepts the smoothing mode but paints aliased all the same: check the
        // setting GDI+ was given instead (4 anti-alias, 3 none).
        EXPECT_EQ(GdiplusSmoothingMode(smooth.context()), 4);
        EXPECT_EQ(GdiplusSmoothingMode(aliased.context()), 3);
    } else {
        EXPECT_GT(alphas(smooth), 10u) << "mode 3 blends the edges";
    }
}

}  // namespace
