// The rules the portable drawing code decides, observed as the calls a backend receives:
// colour bytes, skipped repeats, coordinate ordering and truncation, arc sweeps, the pen,
// fonts, text placement and clipping. They hold for every backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canvas.h"
#include "editor/draw_api.h"
#include "editor/font_desc.h"

namespace {

using Calls = std::vector<std::string>;

TEST(DrawingRules, WithoutAContextEveryFunctionAnswersZeroAndChangesNothing) {
    RecordingCanvas canvas;
    COrbel* adapter = canvas.adapter();
    DrawMoveTo(adapter, 3, 4);
    canvas.Take();
    adapter->drawContext = nullptr;
    int r = 7, g = 7, b = 7, a = 7;
    for (COrbel* target : {adapter, static_cast<COrbel*>(nullptr)}) {
        EXPECT_EQ(DrawSetMode(target, 3), 0);
        EXPECT_EQ(DrawSetFontColor(target, 1, 2, 3, 4), 0);
        EXPECT_EQ(DrawSetFillColor(target, 1, 2, 3, 4), 0);
        EXPECT_EQ(DrawSetFrameColor(target, 1, 2, 3, 4), 0);
        EXPECT_EQ(DrawSetFont(target, "DejaVu Sans", 12, 0), 0);
        EXPECT_EQ(DrawGetFontSize(target), 0);
        EXPECT_EQ(DrawGetStringWidth(target, "abc"), 0.0);
        EXPECT_EQ(DrawGetStringWidth(target, nullptr), 0.0);
        EXPECT_EQ(DrawMoveTo(target, 50, 60), 0);
        EXPECT_EQ(DrawLineTo(target, 70, 80), 0);
        EXPECT_EQ(DrawRect(target, 0, 0, 5, 5, 2), 0);
        EXPECT_EQ(DrawEllipse(target, 0, 0, 5, 5, 2), 0);
        EXPECT_EQ(DrawArc(target, 0, 0, 5, 5, 0, 90, 2), 0);
        EXPECT_EQ(DrawPoint(target, 1, 1, 255, 0, 0, 255), 0);
        EXPECT_EQ(DrawGetPoint(target, 1, 1, &r, &g, &b, &a), 0);
        EXPECT_EQ(DrawStringAt(target, "x", 1, 1, 1), 0);
        EXPECT_EQ(DrawString(target, "x", 0, 0, 9, 9, 0, 1), 0);
        EXPECT_EQ(DrawStringAligned(target, "x", 0, 0, 9, 9, 1, 1), 0);
    }
    EXPECT_EQ(r + g + b + a, 28) << "outputs untouched";
    EXPECT_TRUE(adapter->fontList.empty());
    adapter->drawContext = canvas.context();
    EXPECT_TRUE(canvas.Take().empty());
    EXPECT_EQ(canvas.context()->penX, 3.0) << "the pen did not move";
    EXPECT_EQ(canvas.context()->penY, 4.0);
    EXPECT_EQ(canvas.context()->drawMode, 0);
}

TEST(DrawingRules, ColoursTakeLowBytesAndSkipUnchangedFrameFillAndMode) {
    RecordingCanvas canvas;
    COrbel* adapter = canvas.adapter();
    EXPECT_EQ(DrawSetFrameColor(adapter, 300, -1, 0, 255), 1);
    EXPECT_EQ(DrawSetFrameColor(adapter, 44, 255, 256, -1), 1);  // the same four bytes
    EXPECT_EQ(DrawSetFillColor(adapter, 0, 0, 0, 255), 1);       // the initial fill colour
    EXPECT_EQ(DrawSetFillColor(adapter, 1, 2, 3, 128), 1);
    EXPECT_EQ(DrawSetFontColor(adapter, 9, 8, 7, 6), 1);
    EXPECT_EQ(DrawSetFontColor(adapter, 9, 8, 7, 6), 1);  // text colour is always set
    EXPECT_EQ(DrawSetMode(adapter, 0), 1);                // the initial mode
    EXPECT_EQ(DrawSetMode(adapter, 3), 1);
    EXPECT_EQ(DrawSetMode(adapter, 3), 1);
    EXPECT_EQ(DrawSetMode(adapter, 5), 1);
    const Calls expected{"PenColor FF2CFF00",  "FillColor 80010203", "TextColor 06090807",
                         "TextColor 06090807", "Smoothing on",       "Smoothing off"};
    EXPECT_EQ(canvas.Take(), expected);
    int r = 1, g = 1, b = 1, a = 1;
    EXPECT_EQ(DrawGetPoint(adapter, 0, 0, &r, &g, &b, &a), 1);
    EXPECT_EQ((std::vector<int>{r, g, b, a}), (std::vector<int>{0, 0, 0, 255}));
}

TEST(DrawingRules, ShapesOrderTruncateAndShrinkTheirCoordinates) {
    struct Case {
        const char* what;
        int (*draw)(COrbel*);
        Calls expected;
    };
    const Case cases[] = {
        {"filled reversed rectangle",
         [](COrbel* o) { return DrawRect(o, 10, 10, 0, 0, 1); },
         {"FillRect 0 0 10 10"}},
        {"stroked rectangle on rows and columns 0 and 9",
         [](COrbel* o) { return DrawRect(o, 0, 0, 10, 10, 0); },
         {"StrokeRect 0 0 9 9"}},
        {"fill then stroke",
         [](COrbel* o) { return DrawRect(o, 2.5, 8, 1, 3, 2); },
         {"FillRect 1 3 1.5 5", "StrokeRect 1 3 0.5 4"}},
        {"unknown style draws nothing", [](COrbel* o) { return DrawRect(o, 0, 0, 4, 4, 3); }, {}},
        {"ellipse in its integer box",
         [](COrbel* o) { return DrawEllipse(o, 0.9, 0.9, 10.9, 10.9, 0); },
         {"StrokeEllipse 0 0 9 9"}},
        {"ellipse fill also shrinks",
         [](COrbel* o) { return DrawEllipse(o, 20, 30, 4, 6, 2); },
         {"FillEllipse 4 6 15 23", "StrokeEllipse 4 6 15 23"}},
        {"arc wrapping past zero",
         [](COrbel* o) { return DrawArc(o, 0, 0, 20, 10, 350, 10, 0); },
         {"StrokeArc 0 0 20 10 350 20"}},
        {"arc the long way",
         [](COrbel* o) { return DrawArc(o, 0, 0, 20, 10, 10, 350, 1); },
         {"FillArc 0 0 20 10 10 340"}},
        {"arc box is not reordered",
         [](COrbel* o) { return DrawArc(o, 10, 10, 0, 4, 0, 90, 2); },
         {"FillArc 10 10 -10 -6 0 90", "StrokeArc 10 10 -10 -6 0 90"}},
        {"arc angles in single precision",
         [](COrbel* o) { return DrawArc(o, 0, 0, 8, 8, 0.1, 0.30000000001, 0); },
         {"StrokeArc 0 0 8 8 0.1 0.2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingCanvas canvas;
        EXPECT_EQ(c.draw(canvas.adapter()), 1);
        EXPECT_EQ(canvas.Take(), c.expected);
    }
}

TEST(DrawingRules, LinesTruncateTheirEndsButThePenKeepsTheExactPoint) {
    RecordingCanvas canvas;
    COrbel* adapter = canvas.adapter();
    canvas.context()->offsetX = 10;
    DrawMoveTo(adapter, 1.7, 2.2);
    DrawLineTo(adapter, -5.9, 3.5);
    EXPECT_EQ(canvas.Take(), Calls{"Line 11 2 4 3"});
    EXPECT_DOUBLE_EQ(canvas.context()->penX, 4.1);
    EXPECT_DOUBLE_EQ(canvas.context()->penY, 3.5);
    canvas.context()->offsetX = 0;
    DrawSetFrameColor(adapter, 1, 2, 3, 255);
    canvas.Take();
    EXPECT_EQ(DrawPoint(adapter, 7.5, 8, 255, 0, 0, 255), 1);
    EXPECT_EQ(canvas.Take(), (Calls{"PenColor FFFF0000", "Line 7 8 8 8", "PenColor FF010203"}));
    EXPECT_EQ(canvas.context()->penX, 8.5) << "DrawPoint leaves the pen after the point";
    // A point in the frame colour changes no colour at all.
    DrawPoint(adapter, 0, 0, 1, 2, 3, 255);
    EXPECT_EQ(canvas.Take(), Calls{"Line 0 0 1 0"});
}

TEST(DrawingRules, FontListCachesFacesOnly) {
    RecordingCanvas canvas;
    COrbel* adapter = canvas.adapter();
    EXPECT_EQ(DrawGetFontSize(adapter), 12) << "first standard font";
    EXPECT_EQ(canvas.context()->font, StandardFont(0));
    EXPECT_EQ(DrawSetFont(adapter, "DejaVu Sans", 12, 0), 1);
    ASSERT_EQ(adapter->fontList.size(), 1u);
    auto* entry = static_cast<CFontDesc*>(adapter->fontList[0]);
    EXPECT_EQ(entry->size(), 0.0);
    EXPECT_NE(canvas.context()->font, entry);
    EXPECT_EQ(DrawGetFontSize(adapter), 12);

    CFontDesc* before = canvas.context()->font;
    before->remember();
    EXPECT_EQ(DrawSetFont(adapter, "dejavu SANS", 12, 0), 1);
    EXPECT_EQ(adapter->fontList.size(), 1u) << "letter case does not make a new entry";
    EXPECT_NE(canvas.context()->font, before) << "a fresh 12-pixel description";
    EXPECT_EQ(canvas.context()->font->name(), "DejaVu Sans");
    before->forget();

    EXPECT_EQ(DrawSetFont(adapter, "DejaVu Sans", 0, -1), 1);
    EXPECT_EQ(canvas.context()->font, entry) << "the list entry itself";
    EXPECT_EQ(DrawGetFontSize(adapter), 0);
    EXPECT_EQ(entry->referenceCount(), 2);

    EXPECT_EQ(DrawSetFont(adapter, "DejaVu Sans", 0, 3), 1);
    EXPECT_EQ(canvas.context()->font->style(), 3);
    EXPECT_EQ(canvas.context()->font->size(), 0.0);
    DrawSetFont(adapter, "Other", 9, -1);
    DrawSetFont(adapter, "DejaVu Sans", 9, 0);
    EXPECT_EQ(adapter->fontList.size(), 2u);
    EXPECT_EQ(PlatformStyleFor(3), PlatformFontStyle::kItalic) << "bold and italic: italic";
    EXPECT_EQ(PlatformStyleFor(7), PlatformFontStyle::kUnderline);
    EXPECT_EQ(PlatformStyleFor(1), PlatformFontStyle::kBold);
}

TEST(DrawingRules, TextSitsOnItsBaselineRowAndAlignedTextIsClipped) {
    RecordingCanvas canvas;
    COrbel* adapter = canvas.adapter();
    DrawSetFont(adapter, "DejaVu Sans", 12, 0);
    canvas.Take();
    // Line height 10: rows y + 1 - 10 .. y.
    EXPECT_EQ(DrawStringAt(adapter, "Hi", 5.5, 20, 0x100), 1);
    EXPECT_EQ(DrawStringAt(adapter, nullptr, 5, 20, 1), 1);
    EXPECT_EQ(canvas.Take(), (Calls{"TextHint 0", "Text 5.5 11 Hi"}));

    struct Case {
        int align;
        Calls expected;
    };
    // Baseline 20 - (20 / 2 - 12 / 2 + 1) = 15, so the layout top is 15 + 1 - 10 = 6.
    const Case cases[] = {
        {0, {"Clip 0 0 100 20", "TextHint 5", "Text 0 6 abc", "Clip 0 0 1000 1000"}},
        {2,
         {"Measure abc", "Clip 0 0 100 20", "TextHint 5", "Text 79 6 abc", "Clip 0 0 1000 1000"}},
        {7,
         {"Measure abc", "Clip 0 0 100 20", "TextHint 5", "Text 39.5 6 abc", "Clip 0 0 1000 1000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.align);
        EXPECT_EQ(DrawStringAligned(adapter, "abc", 0, 0, 100, 20, c.align, 1), 1);
        Calls calls = canvas.Take();
        EXPECT_EQ(calls, c.expected);
    }
    // The clip is the text rectangle within the current clip; a clip equal to the current
    // one makes no call.
    canvas.context()->setClipRect({0, 0, 50, 50});
    canvas.Take();
    DrawString(adapter, "abc", 40.7, 10, 90, 30, 1, 0);
    EXPECT_EQ(canvas.Take(),
              (Calls{"Clip 40 10 9 20", "TextHint 5", "Text 40.7 16 abc", "Clip 0 0 50 50"}));
    DrawStringAligned(adapter, "abc", 60, 60, 90, 70, 0, 0);
    EXPECT_EQ(canvas.Take().front(), "Clip 60 60 0 0") << "no overlap: an empty clip";
}

TEST(DrawingRules, StringWidthAnswers) {
    RecordingCanvas canvas;
    COrbel* adapter = canvas.adapter();
    DrawSetFont(adapter, "DejaVu Sans", 12, 0);
    EXPECT_EQ(DrawGetStringWidth(adapter, nullptr), -1.0);
    EXPECT_EQ(DrawGetStringWidth(adapter, "abcd"), 28.0);
    DrawSetFont(adapter, "No Such Face Anywhere", 12, 0);
    EXPECT_EQ(DrawGetStringWidth(adapter, "abcd"), 0.0) << "a face that is not installed";
    canvas.Take();
    DrawStringAt(adapter, "abcd", 0, 20, 1);
    EXPECT_EQ(canvas.Take(), Calls{"TextHint 5"}) << "and draws nothing";
}

TEST(DrawingRules, AdapterReleasesItsFontListOnce) {
    COrbel* adapter = MakeBareAdapter();
    auto* context = new CDrawContext(nullptr, nullptr);
    adapter->drawContext = context;
    DrawSetFont(adapter, "DejaVu Sans", 0, -1);
    auto* entry = static_cast<CFontDesc*>(adapter->fontList.at(0));
    EXPECT_EQ(entry->referenceCount(), 2);
    adapter->drawContext = nullptr;
    delete adapter;
    EXPECT_EQ(entry->referenceCount(), 1) << "the context's reference is left";
    EXPECT_EQ(context->font, entry);
    context->forget();  // and the description goes with it (the sanitizer run checks)
}

}  // namespace
