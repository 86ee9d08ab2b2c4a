// The runtime's graphics state and the router's graphics section: frame start, font
// selection, mouse state, the image table, and the editor entries the plug-in leaves empty.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "../editor/canvas.h"
#include "../editor/image_files.h"
#include "../runtime/test_host.h"
#include "editor/draw_api.h"
#include "editor/editor_services.h"
#include "editor/font_desc.h"
#include "editor/graphics_library.h"
#include "effect/router.h"
#include "plugin/host_services.h"
#include "runtime/callbacks.h"
#include "runtime/graphics_callbacks.h"
#include "tests/process_id.h"

namespace {

// A router opened by a host, with an offscreen context attached to its adapter as the
// editor's view would attach one while it paints.
class Router {
  public:
    Router() : effect_(new TZoltEffect), instance_(effect_) {
        instance_.Dispatch(effOpen);
        context_ = COffscreenContext::Create(6, 5);
        instance_.adapter()->drawContext = context_;
    }
    ~Router() {
        instance_.adapter()->drawContext = nullptr;
        context_->forget();
    }
    TZoltEffect& effect() { return *effect_; }
    COrbel* adapter() { return instance_.adapter(); }
    CDrawContext* context() { return context_; }
    uint32_t Pixel(int32_t x, int32_t y) {
        PixelBuffer pixels;
        context_->readPixels(pixels);
        return pixels.argb[static_cast<size_t>(y) * pixels.width + x];
    }
    int32_t CountLit() {
        PixelBuffer pixels;
        context_->readPixels(pixels);
        int32_t lit = 0;
        for (uint32_t p : pixels.argb) lit += (p >> 24) != 0;
        return lit;
    }

  private:
    TZoltEffect* effect_;
    TestInstance instance_;
    COffscreenContext* context_;
};

TEST(RuntimeGraphics, BeginFrameClearsOnlyForANonZeroClearColor) {
    struct Case {
        double clearColor;
        uint32_t fill;  // 0: nothing drawn
    };
    const Case cases[] = {
        {0.0, 0},
        {255.0, 0xFFFF0000u},
        {16711680.0, 0xFF0000FFu},
        {-1.0, 0xFFFFFFFFu},
        {0.000005, 0},
        {0.5, 0xFF000000u},
        {0x123456, 0xFF563412u},
        {16777216.0 + 65280.0, 0xFF00FF00u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clearColor);
        Router router;
        StandardVariables& vars = router.effect().vars;
        vars.clearColor = c.clearColor;
        // Without an editor the canvas size is whatever the variables held.
        vars.canvasWidth = 4.7;
        vars.canvasHeight = 3.2;
        vars.colorRed = vars.colorGreen = vars.colorBlue = 0.3;
        vars.colorAlpha = 0.2;
        vars.drawMode = 3;
        router.effect().hostMouseX = 11;
        router.effect().hostMouseY = 12;
        router.effect().hostMouseButtons = 9;
        DrawSetMode(router.adapter(), 3);
        router.effect().BeginFrame(vars);
        if (c.fill) {
            EXPECT_EQ(router.Pixel(0, 0), c.fill);
            EXPECT_EQ(router.Pixel(3, 2), c.fill);
            EXPECT_EQ(router.CountLit(), 12) << "floor(4.7) x floor(3.2)";
            EXPECT_EQ(router.context()->drawMode, 0) << "cleared aliased";
        } else {
            EXPECT_EQ(router.CountLit(), 0);
            EXPECT_EQ(router.context()->drawMode, 3) << "no drawing call at all";
        }
        EXPECT_EQ(vars.colorRed + vars.colorGreen + vars.colorBlue, 0.0);
        EXPECT_EQ(vars.colorAlpha, 1.0);
        EXPECT_EQ(vars.drawMode, 0.0);
        EXPECT_EQ(router.effect().penX, 0.0);
        EXPECT_EQ(router.effect().penY, 0.0);
        EXPECT_EQ(vars.canvasWidth, 4.7);
        EXPECT_EQ((std::vector<double>{vars.mouseX, vars.mouseY, vars.mouseButtons}),
                  (std::vector<double>{11, 12, 9}));
    }
}

TEST(RuntimeGraphics, SetFontNumbersAndTheFallbackFace) {
    Router router;
    TZoltEffect& effect = router.effect();
    effect.SetFont(0, "Courier New", 13, 0);
    EXPECT_EQ(effect.textHeight, 12.999999999999998);
    ASSERT_EQ(effect.fonts.count(0), 1u);
    EXPECT_EQ(effect.fonts[0].face, "Courier New");
    EXPECT_EQ(effect.fonts[0].size, 11.049999999999999);
    EXPECT_EQ(effect.fonts[0].flags, 0);
    EXPECT_EQ(DrawGetFontSize(router.adapter()), 11) << "the drawing API got 11";
    EXPECT_EQ(router.context()->font->name(), "Courier New") << "no fallback with a context";
    ASSERT_EQ(router.adapter()->fontList.size(), 1u);

    // Without a context both calls fail; the record is kept all the same.
    router.adapter()->drawContext = nullptr;
    effect.SetFont(3, "Whatever", 20, 6);
    EXPECT_EQ(effect.fonts[3].size, 17.0);
    EXPECT_EQ(effect.fonts[3].flags, 6);
    EXPECT_EQ(router.adapter()->fontList.size(), 1u);
    effect.SetFont(4, "x", std::numeric_limits<double>::quiet_NaN(), 0);
    EXPECT_EQ(effect.textHeight, 0.0) << "guarded store";
    EXPECT_EQ(effect.fonts[4].size, 0.0);
}

TEST(RuntimeGraphics, MouseButtonsAreRearrangedAndTheFrameRateRaised) {
    struct Case {
        int32_t buttons;
        double expected;
    };
    const Case cases[] = {{2, 1},  {8, 2},  {32, 4}, {16, 8},  {64, 16},
                          {4, 64}, {18, 9}, {1, 0},  {128, 0}, {126, 95}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.buttons);
        TZoltEffect effect;
        effect.OnMouseDown(3.5, -2, c.buttons);
        EXPECT_EQ(effect.hostMouseButtons, c.expected);
        EXPECT_EQ(effect.hostMouseX, 3.5);
        EXPECT_EQ(effect.hostMouseY, -2.0);
    }
    TZoltEffect effect;
    effect.OnMouseDown(1, 1, 2);
    effect.OnMouseMove(5, 6, 8);
    EXPECT_EQ(effect.hostMouseButtons, 1.0) << "a move keeps the buttons";
    EXPECT_EQ(effect.hostMouseX, 5.0);
    effect.OnMouseUp(7, 8, 2);
    EXPECT_EQ(effect.hostMouseButtons, 0.0);
    EXPECT_EQ(effect.hostMouseY, 8.0);

    struct RateCase {
        double before, after;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const RateCase& c :
         {RateCase{0, 30}, RateCase{60, 60}, RateCase{29.9, 30}, RateCase{-5, 30}}) {
        SCOPED_TRACE(c.before);
        for (int kind = 0; kind < 3; ++kind) {
            effect.frameRate = c.before;
            if (kind == 0) effect.OnMouseDown(0, 0, 0);
            if (kind == 1) effect.OnMouseUp(0, 0, 0);
            if (kind == 2) effect.OnMouseMove(0, 0, 0);
            EXPECT_EQ(effect.frameRate, c.after);
        }
    }
    effect.frameRate = nan;
    effect.OnMouseMove(0, 0, 0);
    EXPECT_TRUE(std::isnan(effect.frameRate)) << "a NaN stays";
}

TEST(RuntimeGraphics, RouterGraphicsAfterResetSelectsItsFontAndDrawsNothing) {
    Router router;
    TZoltEffect& effect = router.effect();
    effect.frameRate = 30;
    RuntimeDraw(router.adapter(), 500, 400);
    EXPECT_EQ(router.CountLit(), 0) << "clearColor is 0 after Reset";
    ASSERT_EQ(effect.fonts.count(0), 1u);
    EXPECT_EQ(effect.fonts[0].face, "Courier New");
    EXPECT_EQ(effect.fonts[0].size, 11.049999999999999);
    EXPECT_EQ(effect.textHeight, 12.999999999999998);
    EXPECT_EQ(DrawGetFontSize(router.adapter()), 11);
    EXPECT_EQ(effect.vars.colorAlpha, 1.0);
    EXPECT_EQ(effect.vars.canvasWidth, 0.0) << "no editor, no canvas size";
    EXPECT_EQ(effect.frameRate, 30.0);

    // An emptied face slot is recreated empty and selected as it is.
    effect.strings.clear();
    RuntimeDraw(router.adapter(), 0, 0);
    EXPECT_EQ(effect.fonts[0].face, "");
    EXPECT_EQ(effect.stringCount, 1.0);
    // Reset zeroes the script variables but keeps the runtime's graphics state.
    router.effect().Reset();
    EXPECT_EQ(effect.vars.colorAlpha, 0.0);
    EXPECT_EQ(effect.textHeight, 12.999999999999998);
    EXPECT_EQ(effect.StringAt(TZoltEffect::kFontFaceSlot), "Courier New");
}

TEST(RuntimeGraphics, EditorEntriesStayEmptyAndTheRuntimeOperationsExist) {
    OrbelCallbacks table{};
    FillRuntimeCallbacks(table);
    EXPECT_EQ(table.draw, nullptr);
    EXPECT_EQ(table.mouseDown, nullptr);
    EXPECT_EQ(table.mouseUp, nullptr);
    EXPECT_EQ(table.mouseMoved, nullptr);
    EXPECT_EQ(table.keyDown, nullptr);
    EXPECT_EQ(table.keyUp, nullptr);
    FillGraphicsCallbacks(table);
    EXPECT_EQ(table.draw, &RuntimeDraw);
    EXPECT_EQ(table.mouseDown, &RuntimeMouseDown);
    EXPECT_EQ(table.mouseUp, &RuntimeMouseUp);
    EXPECT_EQ(table.mouseMoved, &RuntimeMouseMoved);
    // Without a runtime object they do nothing.
    RuntimeDraw(nullptr, 1, 1);
    RuntimeMouseDown(nullptr, 1, 1, 2);
    COrbel* bare = MakeBareAdapter();
    RuntimeMouseUp(bare, 1, 1, 2);
    RuntimeMouseMoved(bare, 1, 1, 2);

    Router router;
    RuntimeMouseDown(router.adapter(), 4, 5, 18);
    EXPECT_EQ(router.effect().hostMouseButtons, 9.0);
    EXPECT_EQ(router.effect().frameRate, 30.0);

    int32_t width = 77, height = 88;
    EXPECT_EQ(getEditorSize(bare, &width, &height), 0);
    EXPECT_EQ(getEditorSize(nullptr, &width, &height), 0);
    EXPECT_EQ(width + height, 165) << "outputs untouched";
    delete bare;
}

TEST(RuntimeGraphics, ImagesAreReleasedWhenTheRuntimeGoes) {
    ASSERT_FALSE(GraphicsLibrary::Running());
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("lotta_images_" + std::to_string(TestProcessId()) + ".png"))
                                 .string();
    ASSERT_TRUE(WriteFile(path, EncodePng(Pattern(3, 3, 255))));
    auto* effect = new TZoltEffect;
    for (int32_t slot : {1, 5}) {
        effect->images[slot] = BitmapCreateHandle();
        ASSERT_EQ(BitmapLoadFile(effect->images[slot], path.c_str()), 1);
    }
    effect->images[9] = BitmapCreateHandle();  // empty
    effect->images[10] = nullptr;
    std::filesystem::remove(path);
    EXPECT_EQ(GraphicsLibrary::Users(), 2);
    delete effect;
    EXPECT_FALSE(GraphicsLibrary::Running()) << "every bitmap released";
}

}  // namespace
