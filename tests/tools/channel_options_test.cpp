// --map and --outputs: what each list means, and what is refused before any audio is read.
#include "tools/vst2host/channel_options.h"

#include <gtest/gtest.h>

#include "tools/vst2host/command_error.h"

namespace vst2host {
namespace {

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const CommandError& e) {
        return e.what();
    }
    return "";
}

TEST(ChannelOptions, ParsesLists) {
    EXPECT_EQ(ParseInputMap("3,4,0,1"), (std::vector<int>{3, 4, 0, 1}));
    EXPECT_EQ(ParseInputMap("0"), (std::vector<int>{0}));
    EXPECT_EQ(ParseOutputList("1-4"), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ParseOutputList("1,2,9-10"), (std::vector<int>{1, 2, 9, 10}));
    EXPECT_EQ(ParseOutputList("10,3-3,1"), (std::vector<int>{10, 3, 1}));
}

TEST(ChannelOptions, RefusesMalformedLists) {
    const struct {
        const char* text;
        bool outputs;
        const char* reason;
    } cases[] = {
        {"", false, "is not a list"},     {"1,,2", false, "is not a list"},
        {"1,2,", false, "is not a list"}, {"-1", false, "is not a list"},
        {"+1", false, "is not a list"},   {"1 2", false, "is not a list"},
        {"a", false, "is not a list"},    {"99999999999", false, "is not a list"},
        {"", true, "is not a list"},      {"0", true, "names channel 0"},
        {"0-2", true, "names channel 0"}, {"4-2", true, "descending range 4-2"},
        {"1-", true, "is not a list"},    {"-3", true, "is not a list"},
        {"1-2-3", true, "is not a list"}, {"1,x", true, "is not a list"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.outputs ? "--outputs " : "--map ") + "'" + c.text + "'");
        const std::string error = ErrorOf([&] {
            if (c.outputs) {
                ParseOutputList(c.text);
            } else {
                ParseInputMap(c.text);
            }
        });
        EXPECT_EQ(error.rfind(c.outputs ? "--outputs: '" : "--map: '", 0), 0u) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(ChannelOptions, PlansAgainstTheFileAndThePlugin) {
    using List = std::optional<std::vector<int>>;
    const struct {
        const char* what;
        List map;
        List outputs;
        int fileChannels, inputs, outputCount;
        std::vector<int> sources;
        std::vector<int> kept;
        const char* error;
    } cases[] = {
        {"defaults, fewer file channels", {}, {}, 2, 4, 3, {1, 2, 0, 0}, {1, 2, 3}, ""},
        {"defaults, more file channels", {}, {}, 6, 2, 2, {1, 2}, {1, 2}, ""},
        {"map shorter than the inputs",
         std::vector<int>{3, 4, 0, 1},
         {},
         4,
         6,
         2,
         {3, 4, 0, 1, 0, 0},
         {1, 2},
         ""},
        {"subset of outputs", {}, std::vector<int>{2, 9, 10}, 1, 1, 16, {1}, {2, 9, 10}, ""},
        {"map beyond the file",
         std::vector<int>{5},
         {},
         4,
         2,
         2,
         {},
         {},
         "--map: the input file has no channel 5 (it has 4)"},
        {"map longer than the inputs",
         std::vector<int>{1, 2, 1},
         {},
         2,
         2,
         2,
         {},
         {},
         "--map lists 3 inputs, but the plug-in has 2"},
        {"output beyond the plug-in",
         {},
         std::vector<int>{1, 17},
         2,
         2,
         16,
         {},
         {},
         "--outputs: the plug-in has no output 17 (it has 16)"},
        {"plug-in without outputs", {}, {}, 2, 2, 0, {}, {}, "the plug-in has no outputs to write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ChannelPlan plan;
        const std::string error = ErrorOf([&] {
            plan = PlanChannels(c.map, c.outputs, c.fileChannels, c.inputs, c.outputCount);
        });
        EXPECT_EQ(error, c.error);
        if (*c.error != '\0') continue;
        EXPECT_EQ(plan.inputSource, c.sources);
        EXPECT_EQ(plan.outputs, c.kept);
    }
}

}  // namespace
}  // namespace vst2host
