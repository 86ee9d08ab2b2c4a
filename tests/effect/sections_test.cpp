// The router's sections run directly on the effect object: construction, reset, routing and
// the state layout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "effect/router.h"

namespace {

constexpr int kChannels = 16;

TEST(RouterConstruction, EightSwitchesOnTheOddSliders) {
    TZoltEffect effect;
    ASSERT_EQ(effect.sliderDefs.size(), 8u);
    for (int bus = 1; bus <= 8; ++bus) {
        SCOPED_TRACE(bus);
        const SliderDef& def = effect.sliderDefs[static_cast<size_t>(bus - 1)];
        EXPECT_EQ(def.name, "enable item bus " + std::to_string(bus));
        EXPECT_EQ(def.index, 2 * bus - 1);
        EXPECT_EQ(def.valueNames, std::vector<std::string>({"muted", "enabled"}));
        EXPECT_EQ(def.minimum, 0.0);
        EXPECT_EQ(def.maximum, 1.0);
        EXPECT_EQ(def.step, 1.0);
        EXPECT_EQ(def.defaultValue, 0.0);
        EXPECT_EQ(def.mirror, nullptr);
        EXPECT_TRUE(def.path.empty());
    }
    for (double value : effect.sliderValues) EXPECT_EQ(value, 0.0);
    EXPECT_EQ(effect.channelCount, 16);
    EXPECT_EQ(effect.effectName, "Kelvane_Lotta router");
    EXPECT_EQ(effect.productString, "Kelvane_Lotta router");
    EXPECT_EQ(effect.programName, "Kelvane_Lotta router");
    EXPECT_EQ(effect.vendorString, "Kelvane");
    EXPECT_EQ(effect.vendorVersion, 1000);
    EXPECT_EQ(effect.uniqueId, 0);
}

TEST(RouterReset, ClearsScriptStateAndRegistersTheFontFace) {
    TZoltEffect effect;
    effect.MemoryAt(5) = 1.0;
    effect.StringAt(3) = "scratch";
    effect.vars.tempo = 120.0;
    effect.vars.delaySamples = 64.0;
    effect.vars.lastTickTime = 99.0;
    effect.vars.colorRed = 0.5;
    effect.inputLeft = 0.3;
    effect.slotIndex = 65.0;
    effect.frameRate = 30.0;
    effect.lastRedrawTicks = 1234;
    effect.sliderValues[1] = 1.0;
    effect.Reset();
    EXPECT_TRUE(effect.blocks.empty());
    ASSERT_EQ(effect.strings.size(), 1u);
    EXPECT_EQ(effect.strings.at(TZoltEffect::kFontFaceSlot), "Courier New");
    EXPECT_EQ(effect.stringCount, 1.0);
    EXPECT_EQ(effect.vars.tempo, 0.0);
    EXPECT_EQ(effect.vars.delaySamples, 0.0);
    EXPECT_EQ(effect.vars.lastTickTime, 0.0);
    EXPECT_EQ(effect.vars.colorRed, 0.0);
    EXPECT_EQ(effect.inputLeft, 0.0);
    EXPECT_EQ(effect.slotIndex, 0.0);
    EXPECT_EQ(effect.lastRedrawTicks, 0);
    // Not script variables: kept.
    EXPECT_EQ(effect.frameRate, 30.0);
    EXPECT_EQ(effect.sliderValues[1], 1.0);
}

TEST(RouterStrings, SlotAccessorCreatesEmptyTextsAndCounts) {
    TZoltEffect effect;
    effect.Reset();
    EXPECT_EQ(effect.StringAt(-7), "");
    EXPECT_EQ(effect.stringCount, 2.0);
    effect.StringAt(-7) = "kept";
    EXPECT_EQ(effect.StringAt(-7), "kept");
    EXPECT_EQ(effect.stringCount, 2.0);
}

// Inputs are the channel numbers 1 ... 16, so each expected output names its source channel
// and 0 means silence.
TEST(RouterSample, CopiesInputPairToEveryEnabledBus) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        std::vector<double> switches;  // buses 1 ... 8
        std::vector<double> inputs;    // channels 1 and 2 when not the channel numbers
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"all off",
         {0, 0, 0, 0, 0, 0, 0, 0},
         {},
         {0, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"all on", {1, 1, 1, 1, 1, 1, 1, 1}, {}, {1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2}},
        {"bus 5 only",
         {0, 0, 0, 0, 1, 0, 0, 0},
         {},
         {0, 0, 3, 4, 5, 6, 7, 8, 1, 2, 11, 12, 13, 14, 15, 16}},
        {"bus 1 only",
         {1, 0, 0, 0, 0, 0, 0, 0},
         {},
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"NaN on input 1, buses 1 and 3",
         {1, 0, 1, 0, 0, 0, 0, 0},
         {nan, 2},
         {0, 2, 3, 4, 0, 2, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"infinity on input 2, bus 8",
         {0, 0, 0, 0, 0, 0, 0, 1},
         {1, -inf},
         {0, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 1, 0}},
        {"switches near 1 are off",
         {0.999, 1.001, 0.5, -1, 2, nan, 1, 1e-9},
         {},
         {0, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 15, 16}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TZoltEffect effect;
        effect.Reset();
        for (int bus = 1; bus <= 8; ++bus) {
            effect.sliderValues[2 * bus - 1] = c.switches[static_cast<size_t>(bus - 1)];
        }
        for (int ch = 0; ch < kChannels; ++ch) effect.samples[ch] = ch + 1;
        if (!c.inputs.empty()) {
            effect.samples[0] = c.inputs[0];
            effect.samples[1] = c.inputs[1];
        }
        effect.samples[kChannels] = 77.0;
        effect.RunSample();
        for (int ch = 0; ch < kChannels; ++ch) {
            SCOPED_TRACE(::testing::Message() << "output channel " << ch + 1);
            EXPECT_EQ(effect.samples[ch], c.expected[static_cast<size_t>(ch)]);
        }
        EXPECT_EQ(effect.samples[kChannels], 77.0);
    }
}

TEST(RouterSample, SwitchTakesEffectOnTheNextFrame) {
    TZoltEffect effect;
    effect.Reset();
    effect.samples[0] = 0.5;
    effect.samples[1] = -0.5;
    effect.samples[2] = 9.0;
    effect.RunSample();
    EXPECT_EQ(effect.samples[2], 9.0);
    effect.sliderValues[3] = 1.0;
    effect.samples[0] = 0.25;
    effect.samples[1] = -0.25;
    effect.RunSample();
    EXPECT_EQ(effect.samples[2], 0.25);
    EXPECT_EQ(effect.samples[3], -0.25);
}

std::vector<float> Floats(const void* data, int32_t size) {
    std::vector<float> floats(static_cast<size_t>(size) / sizeof(float));
    std::memcpy(floats.data(), data, floats.size() * sizeof(float));
    return floats;
}

TEST(RouterState, SavesSliders1To64AfterTheMarker) {
    TZoltEffect effect;
    effect.Reset();
    effect.sliderValues[1] = 1.0;
    effect.sliderValues[15] = 1.0;
    effect.sliderValues[0] = 5.0;   // before the saved range
    effect.sliderValues[65] = 5.0;  // after it
    void* data = nullptr;
    ASSERT_EQ(effect.GetState(&data), 260);
    const unsigned char marker[] = {0x00, 0x00, 0x7A, 0xC4};
    EXPECT_EQ(std::memcmp(data, marker, 4), 0);
    const std::vector<float> floats = Floats(data, 260);
    for (size_t k = 1; k <= 64; ++k) {
        SCOPED_TRACE(::testing::Message() << "byte offset " << 4 * k);
        EXPECT_EQ(floats[k], k == 1 || k == 15 ? 1.0f : 0.0f);
    }
}

TEST(RouterState, ShortChunkRestoresOnlyTheSlidersItHolds) {
    TZoltEffect effect;
    effect.Reset();
    for (int bus = 1; bus <= 8; ++bus) effect.sliderValues[2 * bus - 1] = 1.0;
    effect.sliderValues[20] = 3.0;
    const float chunk[] = {-1000.0f, 0.0f, 2.0f, 1.0f, 4.0f, 0.0f, 6.0f, 0.5f, 8.0f};
    ASSERT_EQ(sizeof chunk, 36u);
    EXPECT_EQ(effect.SetState(chunk, 36), 36);
    // The other sliders as stored; the switches (1, 3, 5, 7) as exactly 1 or 0.
    for (int k = 1; k <= 8; ++k) {
        SCOPED_TRACE(k);
        const double stored = chunk[k];
        EXPECT_EQ(effect.sliderValues[k], k % 2 ? (stored == 1.0 ? 1.0 : 0.0) : stored);
    }
    for (int k : {9, 11, 13, 15}) EXPECT_EQ(effect.sliderValues[k], 1.0);
    EXPECT_EQ(effect.sliderValues[20], 3.0);
    // The restored 1 on bus 2 counts as on, the 0.5 on bus 4 as off.
    for (int ch = 0; ch < kChannels; ++ch) effect.samples[ch] = ch + 1;
    effect.RunSample();
    EXPECT_EQ(effect.samples[2], 1.0);
    EXPECT_EQ(effect.samples[6], 7.0);
}

TEST(RouterState, SaveThenRestoreKeepsEverySwitch) {
    TZoltEffect source;
    source.Reset();
    const double switches[] = {1, 0, 1, 1, 0, 0, 1, 0};
    for (int bus = 1; bus <= 8; ++bus) source.sliderValues[2 * bus - 1] = switches[bus - 1];
    void* data = nullptr;
    const int32_t size = source.GetState(&data);
    ASSERT_EQ(size, 260);
    TZoltEffect target;
    target.Reset();
    EXPECT_EQ(target.SetState(data, size), size);
    for (int k = 0; k < CZoltSliders::kSliderCount; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(target.sliderValues[k], source.sliderValues[k]);
    }
    // The first load ran the initialisation section.
    EXPECT_EQ(target.frameRate, 30.0);
}

TEST(RouterState, ChunkWithoutMarkerChangesNothing) {
    TZoltEffect effect;
    effect.Reset();
    effect.sliderValues[1] = 1.0;
    std::vector<float> chunk(65, 0.0f);
    chunk[0] = 1000.0f;
    EXPECT_EQ(effect.SetState(chunk.data(), 260), 260);
    EXPECT_EQ(effect.sliderValues[1], 1.0);
    EXPECT_EQ(effect.frameRate, 0.0);
    EXPECT_EQ(effect.stateLoadCount, 0);
}

}  // namespace
