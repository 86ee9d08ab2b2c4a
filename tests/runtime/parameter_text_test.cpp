// The texts a host reads for a parameter: display of enumerated and numeric sliders, and copies
// bounded by the host's buffer sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "plugin/orbel_callbacks.h"
#include "runtime/parameters.h"
#include "tests/runtime/counting_effect.h"
#include "tests/runtime/test_host.h"

namespace {

enum : int32_t { kEnumerated, kPlain, kFlatNamed, kLongTexts, kThree };

const std::string kLongName = "a parameter name far longer than any host buffer";
const std::string kLongLabel = "kilohertz";

class TextEffect : public CountingEffect {
  public:
    TextEffect() {
        AddSlider(1, nullptr, 0.0, 0.0, 1.0, 1.0, "", "", "", "enabled switch");
        sliderDefs.back().valueNames = {"muted", "enabled"};
        AddSlider(2, nullptr, 0.0, -5.0, 5.0, 0.01, "", "", "", "plain");
        AddSlider(3, nullptr, 1.0, 1.0, 1.0, 1.0, "", "", "", "flat");
        sliderDefs.back().valueNames = {"first", "second"};
        AddSlider(4, nullptr, 0.0, 0.0, 1000000.0, 1.0, "", "", kLongLabel, kLongName);
        AddSlider(5, nullptr, 0.0, 0.0, 2.0, 1.0, "", "", "", "three");
        sliderDefs.back().valueNames = {"low", "mid", "high"};
    }
};

class ParameterTextTest : public ::testing::Test {
  protected:
    std::string Display(int32_t parameter, double value) {
        effect->sliderValues[effect->sliderDefs[static_cast<size_t>(parameter)].index] = value;
        char text[64];
        std::memset(text, 'Q', sizeof text);
        RuntimeGetParameterDisplay(adapter, parameter, text);
        return std::string(text, strnlen(text, sizeof text));
    }

    TextEffect* effect = new TextEffect;
    TestInstance instance{effect};
    COrbel* adapter = instance.adapter();
};

TEST_F(ParameterTextTest, EnumeratedSliderShowsTheNameItsValueReaches) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        int32_t parameter;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {kEnumerated, 0.0, "muted"},
        {kEnumerated, 1.0, "enabled"},
        {kEnumerated, 0.99, "muted"},
        {kEnumerated, 5.0, "enabled"},
        {kEnumerated, -3.0, "muted"},
        {kEnumerated, nan, "muted"},
        {kEnumerated, inf, "muted"},
        {kEnumerated, -inf, "muted"},
        {kEnumerated, 1e300, "muted"},
        {kThree, 0.0, "low"},
        {kThree, 0.99, "low"},
        {kThree, 1.0, "mid"},
        {kThree, 1.99, "mid"},
        {kThree, 2.0, "high"},
        {kThree, 40.0, "high"},
        // No range: the first name, and no division by zero.
        {kFlatNamed, 1.0, "first"},
        {kFlatNamed, 9.0, "first"},
        {kFlatNamed, -9.0, "first"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "parameter " << c.parameter << " v " << c.value);
        EXPECT_EQ(Display(c.parameter, c.value), c.expected);
    }
}

TEST_F(ParameterTextTest, PlainSliderShowsTwoDecimals) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {0.126, "0.13"}, {0.0, "0.00"}, {-1.5, "-1.50"}, {3.14159, "3.14"}, {2.0, "2.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(Display(kPlain, c.value), c.expected);
    }
}

TEST_F(ParameterTextTest, FlatSliderReadsZero) {
    effect->sliderValues[3] = 1.0;
    EXPECT_EQ(RuntimeGetParameter(adapter, kFlatNamed), 0.0);
}

// Every copy writes exactly min(length, capacity - 1) bytes and a zero, nothing beyond.
TEST_F(ParameterTextTest, CopiesStayInsideTheHostBuffer) {
    using Get = void (*)(COrbel*, int32_t, char*);
    struct Case {
        const char* what;
        Get get;
        int32_t parameter;
        double value;
        std::string expected;
        int32_t capacity;
    };
    const Case cases[] = {
        {"long name", RuntimeGetParameterName, kLongTexts, 0.0, kLongName, kParamNameCapacity},
        {"short name", RuntimeGetParameterName, kPlain, 0.0, "plain", kParamNameCapacity},
        {"long label", RuntimeGetParameterLabel, kLongTexts, 0.0, kLongLabel, kParamTextCapacity},
        {"empty label", RuntimeGetParameterLabel, kPlain, 0.0, "", kParamTextCapacity},
        {"long display", RuntimeGetParameterDisplay, kLongTexts, 123456.789, "123456.79",
         kParamTextCapacity},
        {"long value name", RuntimeGetParameterDisplay, kEnumerated, 1.0, "enabled",
         kParamTextCapacity},
        {"short display", RuntimeGetParameterDisplay, kPlain, 1.0, "1.00", kParamTextCapacity},
    };
    ASSERT_EQ(kParamNameCapacity, 32);
    ASSERT_EQ(kParamTextCapacity, 8);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        effect->sliderValues[effect->sliderDefs[static_cast<size_t>(c.parameter)].index] = c.value;
        char buffer[96];
        std::memset(buffer, 'Q', sizeof buffer);
        c.get(adapter, c.parameter, buffer);
        const size_t kept = std::min(c.expected.size(), static_cast<size_t>(c.capacity - 1));
        EXPECT_EQ(std::string(buffer, kept), c.expected.substr(0, kept));
        EXPECT_EQ(buffer[kept], '\0');
        for (size_t i = kept + 1; i < sizeof buffer; ++i) {
            ASSERT_EQ(buffer[i], 'Q') << "byte " << i << " written";
        }
    }
}

TEST_F(ParameterTextTest, HostDispatcherUsesTheSameBoundedTexts) {
    char buffer[96];
    std::memset(buffer, 'Q', sizeof buffer);
    instance.Dispatch(effGetParamName, kLongTexts, 0, buffer);
    EXPECT_EQ(std::string(buffer), kLongName.substr(0, kParamNameCapacity - 1));
    EXPECT_EQ(buffer[kParamNameCapacity], 'Q');

    effect->sliderValues[1] = 1.0;
    std::memset(buffer, 'Q', sizeof buffer);
    instance.Dispatch(effGetParamDisplay, kEnumerated, 0, buffer);
    EXPECT_EQ(std::string(buffer), "enabled");
    EXPECT_EQ(buffer[kParamTextCapacity], 'Q');
}

}  // namespace
