// Setting and reading sliders through the runtime's parameter callbacks: quantisation onto the
// step grid, change detection, mirrors and the normalised value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "runtime/parameters.h"
#include "tests/runtime/counting_effect.h"
#include "tests/runtime/test_host.h"

namespace {

// Parameter positions of the sliders below.
enum : int32_t { kSwitch, kOffset, kMirrored, kFine, kFlat };

class SliderEffect : public CountingEffect {
  public:
    SliderEffect() {
        AddSlider(1, nullptr, 0.0, 0.0, 1.0, 1.0, "", "", "", "switch");
        AddSlider(2, nullptr, 0.0, 0.3, 2.3, 1.0, "", "", "", "offset");
        AddSlider(3, &mirror, 4.0, 0.0, 10.0, 0.5, "", "", "dB", "mirrored");
        AddSlider(4, nullptr, 0.0, 0.0, 1.0, 1e-7, "", "", "", "fine");
        AddSlider(5, nullptr, 2.0, 2.0, 2.0, 1.0, "", "", "", "flat");
    }
    double mirror = -1.0;
};

class SliderTest : public ::testing::Test {
  protected:
    void SetUp() override { TestHost::Clear(); }
    SliderEffect* effect = new SliderEffect;
    TestInstance instance{effect};
    COrbel* adapter = instance.adapter();
};

TEST_F(SliderTest, AddSliderStoresDefaultsAndReturnsPositions) {
    ASSERT_EQ(effect->sliderDefs.size(), 5u);
    EXPECT_EQ(instance.record()->numParams, 5);
    EXPECT_EQ(effect->sliderValues[3], 4.0);
    EXPECT_EQ(effect->sliderValues[5], 2.0);
    EXPECT_EQ(effect->sliderDefs[kMirrored].index, 3);
    EXPECT_TRUE(effect->sliderDefs[kMirrored].filesListed);
    EXPECT_EQ(effect->sliderDefs[kMirrored].label, "dB");
    EXPECT_EQ(effect->AddSlider(6, nullptr, 0.5, 0.0, 1.0, 0.1, "", "", "", "late"), 5);
    EXPECT_EQ(effect->sliderValues[6], 0.5);
}

TEST_F(SliderTest, SetParameterQuantisesOntoAGridAnchoredAtZero) {
    struct Case {
        int32_t parameter;
        double x;
        double expected;
    };
    const Case cases[] = {
        {kSwitch, 0.0, 0.0},
        {kSwitch, 0.49, 0.0},
        {kSwitch, 0.5, 1.0},
        {kSwitch, 1.0, 1.0},
        // Range 0.3 ... 2.3 with step 1 reaches 0, 1 and 2, not 0.3, 1.3 and 2.3.
        {kOffset, 0.0, 0.0},
        {kOffset, 0.3, 1.0},
        {kOffset, 0.5, 1.0},
        {kOffset, 1.0, 2.0},
        {kMirrored, 0.0, 0.0},
        {kMirrored, 0.12, 1.0},
        {kMirrored, 0.33, 3.5},
        {kMirrored, 1.0, 10.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "parameter " << c.parameter << " x " << c.x);
        const int32_t slot = effect->sliderDefs[static_cast<size_t>(c.parameter)].index;
        effect->sliderValues[slot] = -77.0;
        effect->calls.clear();
        RuntimeSetParameter(adapter, c.parameter, c.x);
        EXPECT_EQ(effect->sliderValues[slot], c.expected);
        EXPECT_EQ(effect->calls, "S");
    }
}

TEST_F(SliderTest, OffsetRangeOnlyEverHoldsWholeNumbers) {
    for (int i = 0; i <= 100; ++i) {
        const double x = i / 100.0;
        SCOPED_TRACE(x);
        RuntimeSetParameter(adapter, kOffset, x);
        const double v = effect->sliderValues[2];
        EXPECT_TRUE(v == 0.0 || v == 1.0 || v == 2.0) << v;
    }
}

TEST_F(SliderTest, SameValueTwiceRunsTheSliderSectionOnce) {
    RuntimeSetParameter(adapter, kSwitch, 1.0);
    RuntimeSetParameter(adapter, kSwitch, 1.0);
    // 0.7 lands on the same grid value as 1.0.
    RuntimeSetParameter(adapter, kSwitch, 0.7);
    EXPECT_EQ(effect->Count('S'), 1);
    RuntimeSetParameter(adapter, kSwitch, 0.0);
    EXPECT_EQ(effect->Count('S'), 2);
    EXPECT_EQ(effect->sliderValues[1], 0.0);
}

TEST_F(SliderTest, ChangesBelowTheZeroThresholdAreIgnored) {
    RuntimeSetParameter(adapter, kFine, 0.5);
    ASSERT_EQ(effect->Count('S'), 1);
    const double stored = effect->sliderValues[4];
    EXPECT_NEAR(stored, 0.5, 1e-7);
    struct Case {
        double x;
        bool changes;
    };
    const Case cases[] = {{0.500005, false}, {0.499995, false}, {0.50002, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        effect->sliderValues[4] = stored;
        effect->calls.clear();
        RuntimeSetParameter(adapter, kFine, c.x);
        EXPECT_EQ(effect->calls, c.changes ? "S" : "");
        if (c.changes) {
            EXPECT_NEAR(effect->sliderValues[4], c.x, 1e-7);
        } else {
            EXPECT_EQ(effect->sliderValues[4], stored);
        }
    }
}

TEST_F(SliderTest, MirrorReceivesEveryStoredValue) {
    RuntimeSetParameter(adapter, kMirrored, 0.33);
    EXPECT_EQ(effect->mirror, 3.5);
    EXPECT_EQ(effect->sliderValues[3], 3.5);
    effect->mirror = -1.0;
    // An ignored change leaves the mirror alone too.
    RuntimeSetParameter(adapter, kMirrored, 0.33);
    EXPECT_EQ(effect->mirror, -1.0);
}

TEST_F(SliderTest, NaNFromTheHostIsIgnored) {
    effect->sliderValues[1] = 1.0;
    effect->calls.clear();
    RuntimeSetParameter(adapter, kSwitch, std::nan(""));
    RuntimeSetParameter(adapter, kMirrored, std::nan(""));
    EXPECT_EQ(effect->sliderValues[1], 1.0);
    EXPECT_EQ(effect->sliderValues[3], 4.0);
    EXPECT_EQ(effect->mirror, -1.0);
    EXPECT_EQ(effect->calls, "");
}

TEST_F(SliderTest, IndexesOutsideTheSlidersAreIgnored) {
    double before[CZoltSliders::kSliderCount];
    std::memcpy(before, effect->sliderValues, sizeof before);
    const int32_t indexes[] = {-1, 5, 6, 128, INT32_MIN, INT32_MAX};
    for (int32_t index : indexes) {
        SCOPED_TRACE(index);
        effect->calls.clear();
        RuntimeSetParameter(adapter, index, 1.0);
        EXPECT_EQ(effect->calls, "");
        EXPECT_EQ(std::memcmp(before, effect->sliderValues, sizeof before), 0);
        EXPECT_EQ(RuntimeGetParameter(adapter, index), 0.0);
        char text[16];
        for (auto* get :
             {RuntimeGetParameterName, RuntimeGetParameterLabel, RuntimeGetParameterDisplay}) {
            std::memset(text, 'Q', sizeof text);
            get(adapter, index, text);
            EXPECT_EQ(text[0], '\0');
            EXPECT_EQ(text[1], 'Q');
        }
    }
}

TEST_F(SliderTest, GetParameterNormalisesTheValue) {
    struct Case {
        int32_t parameter;
        double value;
        double expected;
    };
    const Case cases[] = {
        {kSwitch, 0.0, 0.0},
        {kSwitch, 1.0, 1.0},
        {kOffset, 0.3, 0.0},
        {kOffset, 1.3, 0.5},
        // Values outside the range read as its nearest end: hosts expect 0..1.
        {kOffset, 0.0, 0.0},
        {kMirrored, 2.5, 0.25},
        {kMirrored, 12.5, 1.0},
        // No range: no division by zero, the answer is 0.
        {kFlat, 2.0, 0.0},
        {kFlat, 7.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "parameter " << c.parameter << " v " << c.value);
        effect->sliderValues[effect->sliderDefs[static_cast<size_t>(c.parameter)].index] = c.value;
        EXPECT_DOUBLE_EQ(RuntimeGetParameter(adapter, c.parameter), c.expected);
    }
}

TEST_F(SliderTest, GetParameterIsComputedInExtendedPrecision) {
    if (sizeof(long double) == sizeof(double)) GTEST_SKIP() << "no extended precision here";
    effect->sliderDefs[kSwitch].minimum = 0.1;
    effect->sliderDefs[kSwitch].maximum = 1.1;
    effect->sliderValues[1] = 1.0;
    // The exact quotient (1 - 0.1) / (1.1 - 0.1) of these doubles rounds to the double just
    // below 0.9; doing the subtractions in double precision would give 0.9 itself.
    EXPECT_EQ(RuntimeGetParameter(adapter, kSwitch), std::nextafter(0.9, 0.0));
}

TEST_F(SliderTest, HostRecordReachesTheSameSliders) {
    AEffect* record = instance.record();
    record->setParameter(record, kOffset, 1.0f);
    EXPECT_EQ(effect->sliderValues[2], 2.0);
    EXPECT_FLOAT_EQ(record->getParameter(record, kOffset), 0.85f);
    EXPECT_EQ(record->getParameter(record, 99), 0.0f);
}

}  // namespace

// A zero step would divide by zero: such a slider takes the value unsnapped. Any other step,
// negative included, keeps the grid formula.
TEST(QuantisedValueTest, ZeroStepTakesTheValueUnsnapped) {
    SliderDef def;
    def.minimum = 0.0;
    def.maximum = 10.0;
    struct Case {
        double step;
        double x;
        double expected;
    };
    const Case cases[] = {
        {0.0, 0.37, 3.7},
        {0.0, 1.0, 10.0},
        {-1.0, 0.37, 4.0},  // floor((3.7 - 0.5) / -1) * -1
        {2.0, 0.37, 4.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "step " << c.step << " x " << c.x);
        def.step = c.step;
        const double value = QuantisedValue(def, c.x);
        EXPECT_TRUE(std::isfinite(value));
        EXPECT_DOUBLE_EQ(value, c.expected);
    }
}
