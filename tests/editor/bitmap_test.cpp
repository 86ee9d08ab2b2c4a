// Bitmaps: loading from files and resources, the slot rules, drawing with and without
// alpha, and the process-wide graphics library that bitmaps keep alive.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "canvas.h"
#include "editor/bitmap.h"
#include "editor/draw_api.h"
#include "editor/font_desc.h"
#include "editor/graphics_library.h"
#include "image_files.h"
#include "plugin/platform.h"
#include "tests/process_id.h"

namespace {

namespace fs = std::filesystem;

// Image files of this test, removed afterwards.
class ImageFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ =
            fs::temp_directory_path() / ("lotta_bitmaps_" + std::to_string(TestProcessId()));
        fs::create_directories(directory_);
        resources_ = PlatformModuleFileName(ModuleInstance()) + ".resources";
    }
    void TearDown() override {
        fs::remove_all(directory_);
        std::error_code ignored;
        for (const std::string& name : resourceFiles_) {
            fs::remove(fs::path(resources_) / name, ignored);
        }
        fs::remove(resources_, ignored);  // only when no other test run still uses it
    }
    std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) {
        const std::string path = (directory_ / name).string();
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    // Test runs may overlap, so resource names carry the process number.
    void WriteResource(const std::string& name, const std::vector<unsigned char>& bytes) {
        fs::create_directories(resources_);
        resourceFiles_.push_back(name);
        EXPECT_TRUE(WriteFile((fs::path(resources_) / name).string(), bytes));
    }
    struct ResourceIds {
        std::string name;  // a PNG of the pattern
        int number;        // a BMP of the pattern
    };
    // The 6 x 4 pattern as a resource by name and one by number.
    ResourceIds PatternResources(const PixelBuffer& pattern) {
        EXPECT_EQ(pattern.width * 10 + pattern.height, 64) << "the compiled-in pattern";
#ifdef _WIN32
        // Compiled into this program (bitmap_test.rc).
        return {"lotta_logo", 7};
#else
        const ResourceIds ids{"logo" + std::to_string(TestProcessId()),
                              1 + TestProcessId() % 60000};
        WriteResource(ids.name, EncodePng(pattern));
        WriteResource(std::to_string(ids.number), EncodeBmp(pattern));
        return ids;
#endif
    }

    fs::path directory_;
    std::string resources_;
    std::vector<std::string> resourceFiles_;
};

// The canvas pixels under a drawn w x h image at (x, y) equal the pattern's area at (sx, sy).
void ExpectDrawn(Canvas& canvas, const PixelBuffer& pattern, int x, int y, int w, int h, int sx,
                 int sy) {
    const PixelBuffer& pixels = canvas.Read();
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            ASSERT_EQ(pixels.argb[static_cast<size_t>(y + j) * pixels.width + x + i],
                      pattern.argb[static_cast<size_t>(sy + j) * pattern.width + sx + i])
                << i << "," << j;
        }
    }
}

TEST_F(ImageFiles, FilesAndResourcesLoadAndDrawPixelForPixel) {
    const PixelBuffer pattern = Pattern(6, 4, 255);
    const std::string png = Write("pattern.png", EncodePng(pattern));
    const std::string bmp = Write("pattern.bmp", EncodeBmp(pattern));
    const ResourceIds ids = PatternResources(pattern);
    const std::string& name = ids.name;
    const int number = ids.number;
    struct Case {
        const char* what;
        std::function<int(BitmapSlot*)> load;
    };
    const Case cases[] = {
#ifdef _WIN32
        {"bitmap resource where no DATA resource has the number",
         [](BitmapSlot* s) { return BitmapLoadResourceId(s, 8); }},
#endif
        {"PNG file", [&](BitmapSlot* s) { return BitmapLoadFile(s, png.c_str()); }},
        {"BMP file", [&](BitmapSlot* s) { return BitmapLoadFile(s, bmp.c_str()); }},
        {"resource by name",
         [&](BitmapSlot* s) { return BitmapLoadResourceName(s, name.c_str()); }},
        {"resource by number", [&](BitmapSlot* s) { return BitmapLoadResourceId(s, number); }},
        {"numbers are 16-bit",
         [&](BitmapSlot* s) { return BitmapLoadResourceId(s, 65536 + number); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BitmapSlot* slot = BitmapCreateHandle();
        ASSERT_EQ(c.load(slot), 1);
        EXPECT_EQ(BitmapGetWidth(slot), 6.0);
        EXPECT_EQ(BitmapGetHeight(slot), 4.0);
        Canvas canvas(12, 10);
        EXPECT_EQ(BitmapDraw(slot, canvas.adapter(), 3, 2, 9, 6, 0, 0), 1);
        ExpectDrawn(canvas, pattern, 3, 2, 6, 4, 0, 0);
        EXPECT_EQ(canvas.CountLit(), 24);
        Canvas part(12, 10);
        // An area of the source, truncated values, unscaled.
        EXPECT_EQ(BitmapDrawTransparent(slot, part.adapter(), 1.9, 0.5, 4.8, 3.99, 2.7, 1.2), 1);
        ExpectDrawn(part, pattern, 1, 0, 2, 3, 2, 1);
        EXPECT_EQ(part.CountLit(), 6);
        EXPECT_EQ(BitmapFreeHandle(slot), 1);
    }
}

TEST_F(ImageFiles, FailedLoadsLeaveTheSlotEmptyAndReleaseTheOldBitmap) {
    const std::string png = Write("pattern.png", EncodePng(Pattern(3, 3, 255)));
    const std::string junk = Write("junk.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm'});
    struct Case {
        const char* what;
        std::function<int(BitmapSlot*)> load;
    };
    const Case cases[] = {
        {"missing file", [](BitmapSlot* s) { return BitmapLoadFile(s, "/no/such/image.png"); }},
        {"not an image", [&](BitmapSlot* s) { return BitmapLoadFile(s, junk.c_str()); }},
        {"null path", [](BitmapSlot* s) { return BitmapLoadFile(s, nullptr); }},
        {"missing resource", [](BitmapSlot* s) { return BitmapLoadResourceName(s, "nothing"); }},
        {"resource path escape", [](BitmapSlot* s) { return BitmapLoadResourceName(s, "../x"); }},
        {"missing number", [](BitmapSlot* s) { return BitmapLoadResourceId(s, 65000); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BitmapSlot* slot = BitmapCreateHandle();
        ASSERT_EQ(BitmapLoadFile(slot, png.c_str()), 1);
        CBitmap* old = slot->bitmap;
        old->remember();  // keep it observable
        EXPECT_EQ(c.load(slot), 0);
        EXPECT_EQ(slot->bitmap, nullptr);
        EXPECT_EQ(old->referenceCount(), 1) << "the slot's reference was released";
        old->forget();
        EXPECT_EQ(BitmapGetWidth(slot), 0.0);
        Canvas canvas(4, 4);
        EXPECT_EQ(BitmapDraw(slot, canvas.adapter(), 0, 0, 3, 3, 0, 0), 0);
        EXPECT_EQ(BitmapFreeHandle(slot), 1);
    }
}

TEST_F(ImageFiles, AlphaDrawingScalesOpacity) {
    const PixelBuffer pattern = Pattern(5, 5, 255);
    const std::string png = Write("pattern.png", EncodePng(pattern));
    BitmapSlot* slot = BitmapCreateHandle();
    ASSERT_EQ(BitmapLoadFile(slot, png.c_str()), 1);
    Canvas direct(5, 5);
    BitmapDraw(slot, direct.adapter(), 0, 0, 5, 5, 0, 0);
    Canvas full(5, 5);
    EXPECT_EQ(BitmapDrawAlpha(slot, full.adapter(), 0, 0, 5, 5, 0, 0, 255), 1);
    EXPECT_EQ(full.Read().argb, direct.Read().argb) << "alpha 255 is exactly BitmapDraw";
    Canvas none(5, 5);
    EXPECT_EQ(BitmapDrawAlpha(slot, none.adapter(), 0, 0, 5, 5, 0, 0, 256), 1);  // low byte 0
    EXPECT_EQ(none.CountLit(), 0);
    Canvas half(5, 5);
    EXPECT_EQ(BitmapDrawAlpha(slot, half.adapter(), 0, 0, 5, 5, 0, 0, 128), 1);
    const PixelBuffer& pixels = half.Read();
    for (size_t i = 0; i < pixels.argb.size(); ++i) {
        const uint32_t p = pixels.argb[i];
        const uint32_t q = pattern.argb[i];
        EXPECT_NEAR(p >> 24, 128, 1);
        // Colours survive up to the rounding of an 8-bit premultiplied store.
        for (int shift : {0, 8, 16}) EXPECT_NEAR((p >> shift) & 0xFF, (q >> shift) & 0xFF, 2);
    }
    BitmapFreeHandle(slot);
}

TEST_F(ImageFiles, SlotAnswersAndStoredValues) {
    const std::string png = Write("pattern.png", EncodePng(Pattern(2, 2, 255)));
    BitmapSlot* slot = BitmapCreateHandle();
    int r = 9, g = 9, b = 9, a = 9;
    EXPECT_EQ(BitmapGetTransparentColor(slot, &r, &g, &b, &a), 0);
    EXPECT_EQ(r, 9);
    EXPECT_EQ(BitmapSetTransparentColor(slot, 1, 2, 3, 4), 0);
    EXPECT_EQ(BitmapGetNoAlpha(slot), 0);
    EXPECT_EQ(BitmapSetNoAlpha(slot, 0), 0);
    EXPECT_EQ(BitmapGetTransparentColor(nullptr, &r, &g, &b, &a), 0);
    EXPECT_EQ(BitmapFreeHandle(nullptr), 0);
    EXPECT_EQ(BitmapLoadFile(nullptr, png.c_str()), 0);
    ASSERT_EQ(BitmapLoadFile(slot, png.c_str()), 1);
    EXPECT_EQ(BitmapGetTransparentColor(slot, &r, &g, &b, &a), 1);
    EXPECT_EQ((std::vector<int>{r, g, b, a}), (std::vector<int>{255, 255, 255, 0}));
    EXPECT_EQ(BitmapSetTransparentColor(slot, 300, -1, 7, 8), 1);
    BitmapGetTransparentColor(slot, &r, &g, &b, &a);
    EXPECT_EQ((std::vector<int>{r, g, b, a}), (std::vector<int>{44, 255, 7, 8}));
    EXPECT_EQ(BitmapGetNoAlpha(slot), 1);
    EXPECT_EQ(BitmapSetNoAlpha(slot, 0x102), 1);
    EXPECT_EQ(BitmapGetNoAlpha(slot), 2);
    EXPECT_EQ(slot->bitmap->resourceKind, CBitmap::kNoResource);
    EXPECT_EQ(BitmapDraw(slot, nullptr, 0, 0, 1, 1, 0, 0), 0);
    COrbel* bare = MakeBareAdapter();
    EXPECT_EQ(BitmapDraw(slot, bare, 0, 0, 1, 1, 0, 0), 0) << "no draw context";
    delete bare;
    BitmapFreeHandle(slot);
}

TEST_F(ImageFiles, DrawGeometryIsTruncatedValueByValue) {
    const std::string png = Write("pattern.png", EncodePng(Pattern(8, 8, 255)));
    BitmapSlot* slot = BitmapCreateHandle();
    ASSERT_EQ(BitmapLoadFile(slot, png.c_str()), 1);
    RecordingCanvas canvas;
    canvas.context()->offsetX = 10.9;
    canvas.context()->offsetY = 0.5;
    BitmapDraw(slot, canvas.adapter(), 1.9, 2.9, 5.5, 7.99, 1.7, 0.2);
    BitmapDrawAlpha(slot, canvas.adapter(), 0, 0, 2, 2, 0, 0, 0x180);
    EXPECT_EQ(canvas.Take(),
              (std::vector<std::string>{"Image 11 2 3 5 1 0 255", "Image 10 0 2 2 0 0 128"}));
    BitmapFreeHandle(slot);
}

TEST_F(ImageFiles, TheLibraryEndsWithTheLastBitmapAndStartsAgain) {
    ASSERT_FALSE(GraphicsLibrary::Running()) << "no other user in this test";
    const std::string png = Write("pattern.png", EncodePng(Pattern(2, 2, 255)));
    const int32_t starts = GraphicsLibrary::Starts();
    BitmapSlot* first = BitmapCreateHandle();
    BitmapSlot* second = BitmapCreateHandle();
    ASSERT_EQ(BitmapLoadFile(first, png.c_str()), 1);
    ASSERT_EQ(BitmapLoadFile(second, png.c_str()), 1);
    EXPECT_EQ(GraphicsLibrary::Starts(), starts + 1);
    EXPECT_EQ(GraphicsLibrary::Users(), 2);
    BitmapFreeHandle(first);
    EXPECT_TRUE(GraphicsLibrary::Running());
    BitmapFreeHandle(second);
    EXPECT_FALSE(GraphicsLibrary::Running()) << "ended with the last bitmap";
    BitmapSlot* third = BitmapCreateHandle();
    ASSERT_EQ(BitmapLoadFile(third, png.c_str()), 1) << "and started again for the next";
    EXPECT_EQ(GraphicsLibrary::Starts(), starts + 2);
    BitmapFreeHandle(third);
    EXPECT_FALSE(GraphicsLibrary::Running());
}

// A font list entry (or any descriptor) may outlive the library: its platform font must go
// with the library, and come back from the next one.
TEST_F(ImageFiles, PlatformFontsEndWithTheLibrary) {
    ASSERT_FALSE(GraphicsLibrary::Running()) << "no other user in this test";
    const std::string png = Write("pattern.png", EncodePng(Pattern(2, 2, 255)));
    CFontDesc* font = new CFontDesc("DejaVu Sans", 12, 0);
    BitmapSlot* slot = BitmapCreateHandle();
    ASSERT_EQ(BitmapLoadFile(slot, png.c_str()), 1);
    ASSERT_NE(font->platformFont(), nullptr) << "DejaVu Sans must be installed";
    ASSERT_NE(StandardFont(0), nullptr);
    StandardFont(0)->platformFont();
    BitmapFreeHandle(slot);
    ASSERT_FALSE(GraphicsLibrary::Running());
    EXPECT_FALSE(font->holdsPlatformFont());
    EXPECT_FALSE(StandardFont(0)->holdsPlatformFont());
    slot = BitmapCreateHandle();
    ASSERT_EQ(BitmapLoadFile(slot, png.c_str()), 1);
    EXPECT_NE(font->platformFont(), nullptr);
    font->forget();
    BitmapFreeHandle(slot);
}

}  // namespace
