// One scene with every primitive, kept in the build folder as a PNG for people and as raw
// ARGB for comparing backends. When a scene from another backend lies beside it, the aliased
// band (rectangles, lines, points) must match pixel for pixel.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "canvas.h"
#include "editor/draw_api.h"
#include "image_files.h"

#ifndef LOTTA_SCENE_DIR
#define LOTTA_SCENE_DIR "scenes"
#endif
#ifndef LOTTA_SCENE_NAME
#define LOTTA_SCENE_NAME "scene_cairo"
#endif

namespace {

namespace fs = std::filesystem;

constexpr int32_t kWidth = 240;
constexpr int32_t kHeight = 160;
// Rows 0 .. kAliasedRows - 1 hold only aliased rectangles, lines and points.
constexpr int32_t kAliasedRows = 60;

void DrawScene(COrbel* o, BitmapSlot* image) {
    DrawSetFillColor(o, 24, 28, 36, 255);
    DrawRect(o, 0, 0, kWidth, kHeight, 1);
    // Aliased band.
    DrawSetFrameColor(o, 255, 255, 255, 255);
    DrawRect(o, 4, 4, 40, 30, 0);
    DrawSetFillColor(o, 200, 60, 40, 255);
    DrawRect(o, 50, 4, 90, 30, 2);
    DrawSetFillColor(o, 40, 160, 220, 128);
    DrawRect(o, 70, 20, 110, 50, 1);
    DrawSetFrameColor(o, 250, 220, 60, 255);
    DrawMoveTo(o, 120, 4);
    DrawLineTo(o, 180, 4);
    DrawLineTo(o, 180, 40);
    DrawLineTo(o, 120, 4);
    for (int i = 0; i < 20; ++i) DrawPoint(o, 190 + 2 * i, 10 + i, 255, 8 * i, 0, 255);
    DrawMoveTo(o, 4, 56);
    DrawLineTo(o, 236, 44);
    // Smooth band: ellipses, arcs, text, images.
    DrawSetFillColor(o, 90, 200, 90, 255);
    DrawSetFrameColor(o, 255, 255, 255, 255);
    DrawEllipse(o, 4, 64, 60, 110, 2);
    DrawArc(o, 70, 64, 120, 110, 350, 100, 1);
    DrawArc(o, 70, 64, 120, 110, 120, 300, 0);
    DrawSetMode(o, 3);
    DrawEllipse(o, 130, 64, 180, 110, 0);
    DrawArc(o, 190, 64, 236, 110, 200, 20, 0);
    DrawSetMode(o, 0);
    DrawSetFont(o, "DejaVu Sans", 14, 0);
    DrawSetFontColor(o, 255, 255, 255, 255);
    DrawStringAt(o, "Lotta 123", 4, 132, 1);
    DrawSetFont(o, "DejaVu Sans", 12, 1);
    DrawStringAligned(o, "centred", 100, 116, 236, 134, 1, 1);
    DrawSetFont(o, "DejaVu Sans", 11, 4);
    DrawString(o, "right", 100, 136, 236, 156, 0, 2);
    BitmapDraw(image, o, 4, 138, 24, 158, 0, 0);
    BitmapDrawAlpha(image, o, 30, 138, 50, 158, 0, 0, 128);
}

TEST(Scene, EveryPrimitiveIsKeptForInspection) {
    const fs::path directory = LOTTA_SCENE_DIR;
    fs::create_directories(directory);
    const std::string imagePath =
        (fs::temp_directory_path() / ("lotta_scene_" + std::to_string(getpid()) + ".png")).string();
    ASSERT_TRUE(WriteFile(imagePath, EncodePng(Pattern(20, 20, 255))));
    BitmapSlot* image = BitmapCreateHandle();
    ASSERT_EQ(BitmapLoadFile(image, imagePath.c_str()), 1);
    fs::remove(imagePath);

    Canvas canvas(kWidth, kHeight);
    DrawScene(canvas.adapter(), image);
    BitmapFreeHandle(image);
    const PixelBuffer pixels = canvas.Read();
    ASSERT_EQ(pixels.width, kWidth);
    const std::string stem = (directory / LOTTA_SCENE_NAME).string();
    ASSERT_TRUE(WriteFile(stem + ".png", EncodePng(pixels)));
    ASSERT_TRUE(WriteFile(stem + ".argb", EncodeRawArgb(pixels)));

    // Spot checks of the aliased band.
    EXPECT_EQ(canvas.Pixel(4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(canvas.Pixel(39, 29), 0xFFFFFFFFu);
    EXPECT_EQ(canvas.Pixel(40, 30), 0xFF181C24u);
    EXPECT_EQ(canvas.Pixel(60, 10), 0xFFC83C28u);
    EXPECT_EQ(canvas.Pixel(190, 10), 0xFFFF0000u);

    // Every other backend's scene in the folder.
    for (const auto& entry : fs::directory_iterator(directory)) {
        if (entry.path().extension() != ".argb" || entry.path().stem() == LOTTA_SCENE_NAME) {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        PixelBuffer other;
        ASSERT_TRUE(DecodeRawArgb(ReadFile(entry.path().string()), other));
        ASSERT_EQ(other.width, kWidth);
        ASSERT_EQ(other.height, kHeight);
        int32_t different = 0;
        for (size_t i = 0; i < static_cast<size_t>(kWidth * kAliasedRows); ++i) {
            different += other.argb[i] != pixels.argb[i];
        }
        EXPECT_EQ(different, 0) << "aliased band differs";
    }
}

}  // namespace
