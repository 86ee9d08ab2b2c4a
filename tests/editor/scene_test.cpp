// One scene with every primitive, kept in the build folder as a PNG for people and as raw
// ARGB for comparing backends, and compared with the scene another backend wrote when the
// build names that backend's folder.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "canvas.h"
#include "editor/draw_api.h"
#include "image_files.h"
#include "scene_compare.h"
#include "tests/process_id.h"

#ifndef LOTTA_SCENE_DIR
#define LOTTA_SCENE_DIR "scenes"
#endif
#ifndef LOTTA_SCENE_NAME
#define LOTTA_SCENE_NAME "scene_cairo"
#endif
#ifndef LOTTA_REFERENCE_SCENE_DIR
#define LOTTA_REFERENCE_SCENE_DIR ""
#endif

namespace {

namespace fs = std::filesystem;

constexpr int32_t kWidth = kSceneWidth;
constexpr int32_t kHeight = kSceneHeight;

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

// The scene as this backend paints it.
PixelBuffer PaintScene() {
    const std::string imagePath =
        (fs::temp_directory_path() / ("lotta_scene_" + std::to_string(TestProcessId()) + ".png"))
            .string();
    EXPECT_TRUE(WriteFile(imagePath, EncodePng(Pattern(20, 20, 255))));
    BitmapSlot* image = BitmapCreateHandle();
    EXPECT_EQ(BitmapLoadFile(image, imagePath.c_str()), 1);
    fs::remove(imagePath);
    Canvas canvas(kWidth, kHeight);
    DrawScene(canvas.adapter(), image);
    BitmapFreeHandle(image);
    return canvas.Read();
}

uint32_t At(const PixelBuffer& pixels, int32_t x, int32_t y) {
    return pixels.argb[static_cast<size_t>(y) * pixels.width + x];
}

TEST(Scene, EveryPrimitiveIsKeptForInspection) {
    const fs::path directory = LOTTA_SCENE_DIR;
    fs::create_directories(directory);
    const PixelBuffer pixels = PaintScene();
    ASSERT_EQ(pixels.width, kWidth);
    ASSERT_EQ(pixels.height, kHeight);
    const std::string stem = (directory / LOTTA_SCENE_NAME).string();
    ASSERT_TRUE(WriteFile(stem + ".png", EncodePng(pixels)));
    ASSERT_TRUE(WriteFile(stem + ".argb", EncodeRawArgb(pixels)));

    // Spot checks of the aliased band.
    EXPECT_EQ(At(pixels, 4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(At(pixels, 39, 29), 0xFFFFFFFFu);
    EXPECT_EQ(At(pixels, 40, 30), 0xFF181C24u);
    EXPECT_EQ(At(pixels, 60, 10), 0xFFC83C28u);
    EXPECT_EQ(At(pixels, 190, 10), 0xFFFF0000u);
}

// The comparison is only worth its tolerances if it still sees real faults: a scene whose
// aliased band sits two pixels off, or whose shapes are missing, must not pass.
TEST(Scene, TheComparisonCatchesMisplacedAndMissingPixels) {
    const PixelBuffer pixels = PaintScene();
    ExpectScenesAgree(pixels, pixels);
    PixelBuffer shifted = pixels;
    for (int32_t y = 0; y < 60; ++y) {
        for (int32_t x = kWidth - 1; x >= 2; --x) {
            shifted.argb[static_cast<size_t>(y) * kWidth + x] = At(pixels, x - 2, y);
        }
    }
    EXPECT_NONFATAL_FAILURE(ExpectScenesAgree(shifted, pixels), "aliased rectangles");
    PixelBuffer erased = pixels;
    for (int32_t y = 62; y < 112; ++y) {
        for (int32_t x = 0; x < 62; ++x) {
            erased.argb[static_cast<size_t>(y) * kWidth + x] = kSceneBackground;
        }
    }
    EXPECT_NONFATAL_FAILURE(ExpectScenesAgree(erased, pixels), "aliased ellipse");
}

TEST(Scene, MatchesTheSceneOfTheReferenceBackend) {
    const std::string referenceDir = LOTTA_REFERENCE_SCENE_DIR;
    if (referenceDir.empty()) {
        GTEST_SKIP() << "no reference scene to compare with: configure with "
                        "-DLOTTA_REFERENCE_SCENE_DIR=<another build>/scenes";
    }
    const PixelBuffer pixels = PaintScene();
    int32_t compared = 0;
    for (const auto& entry : fs::directory_iterator(referenceDir)) {
        if (entry.path().extension() != ".argb" || entry.path().stem() == LOTTA_SCENE_NAME) {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        PixelBuffer reference;
        ASSERT_TRUE(DecodeRawArgb(ReadFile(entry.path().string()), reference));
        ASSERT_EQ(reference.width, kWidth);
        ASSERT_EQ(reference.height, kHeight);
        ExpectScenesAgree(pixels, reference);
        compared += 1;
    }
    EXPECT_GT(compared, 0) << "no other backend's scene in " << referenceDir;
}

}  // namespace
