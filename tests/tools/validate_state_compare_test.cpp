// Another value shown as the same text is the same state only where the restore did something.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/vst2host/validate_state_compare.h"

namespace {

TEST(ValidateStateCompare, TheSameTextExcusesOnlyARestoreThatDidSomething) {
    const std::string left = "; the restore left it as it was";
    struct Case {
        const char* what;
        vst2host::Snapshot want;    // when saved
        vst2host::Snapshot got;     // after the restore
        std::vector<float> before;  // just before it
        bool setByTest;
        std::string fault;
    };
    const Case cases[] = {
        {"a switch kept as off", {{0.3f}, {"off"}}, {{0.0f}, {"off"}}, {1.0f}, true, ""},
        {"left where the test put it",
         {{0.5f}, {"on"}},
         {{0.25f}, {"on"}},
         {0.25f},
         true,
         "parameter 0 reads 0.25 ('on') after the restore, 0.5 ('on') when saved" + left},
        {"an empty text",
         {{0.5f}, {""}},
         {{0.25f}, {""}},
         {1.0f},
         true,
         "parameter 0 reads 0.25 ('') after the restore, 0.5 ('') when saved"},
        {"a fresh instance's switch, another parameter restored",
         {{0.3f, 0.75f}, {"off", "x"}},
         {{0.0f, 0.75f}, {"off", "x"}},
         {0.0f, 0.5f},
         false,
         ""},
        {"a fresh instance left as it was",
         {{0.3f, 0.75f}, {"on", "on"}},
         {{0.5f, 1.0f}, {"on", "on"}},
         {0.5f, 1.0f},
         false,
         "parameter 0 reads 0.5 ('on') after the restore, 0.300000012 ('on') when saved" + left},
    };
    for (const Case& c : cases) {
        int same = 0;
        EXPECT_EQ(vst2host::ParameterDifference(c.want, c.got, c.before, c.setByTest, same),
                  c.fault)
            << c.what;
        EXPECT_EQ(same, c.fault.empty() ? 1 : 0) << c.what;
    }
}

}  // namespace
