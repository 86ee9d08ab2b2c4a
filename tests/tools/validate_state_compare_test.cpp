// What the state checks count as the same parameters after a restore: another value shown as
// the same text is the same state only where the restore did something.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/vst2host/validate_state_compare.h"

namespace {

using vst2host::Snapshot;

TEST(ValidateStateCompare, TheSameTextExcusesOnlyARestoreThatDidSomething) {
    struct Case {
        const char* what;
        Snapshot want;              // when saved
        Snapshot got;               // after the restore
        std::vector<float> before;  // just before the restore
        bool setByTest;
        const char* fault;  // part of the difference; "" for none
        int same;
    };
    const Case cases[] = {
        {"the same values",
         {{0.5f, 1.0f}, {"a", "b"}},
         {{0.5f, 1.0f}, {"x", "y"}},
         {0.1f, 0.2f},
         true,
         "",
         0},
        {"a float step away", {{0.3f}, {"0.3"}}, {{0.3f + 1e-7f}, {"0.3"}}, {0.9f}, true, "", 1},
        {"a switch kept as off", {{0.3f}, {"off"}}, {{0.0f}, {"off"}}, {1.0f}, true, "", 1},
        {"a restore that left what the test set",
         {{0.5f}, {"on"}},
         {{0.2f}, {"on"}},
         {0.2f},
         true,
         "parameter 0 reads 0.200000003 ('on') after the restore, 0.5 ('on') when saved; the "
         "restore left it as it was",
         0},
        {"the second parameter left as it was, the first restored",
         {{0.5f, 0.75f}, {"on", "on"}},
         {{0.5f, 0.25f}, {"on", "on"}},
         {0.1f, 0.25f},
         true,
         "parameter 1 reads 0.25 ('on') after the restore, 0.75 ('on') when saved; the restore "
         "left it as it was",
         0},
        {"another text",
         {{0.5f}, {"0.5"}},
         {{0.7f}, {"0.7"}},
         {0.1f},
         true,
         "parameter 0 reads 0.699999988 ('0.7') after the restore, 0.5 ('0.5') when saved",
         0},
        {"an empty text excuses nothing",
         {{0.3f}, {""}},
         {{0.0f}, {""}},
         {1.0f},
         true,
         "parameter 0 reads 0 ('') after the restore, 0.300000012 ('') when saved",
         0},
        {"a fresh instance's switch, the restore moving another parameter",
         {{0.3f, 0.8f}, {"off", "0.8"}},
         {{0.0f, 0.8f}, {"off", "0.8"}},
         {0.0f, 0.5f},
         false,
         "",
         1},
        {"a fresh instance the restore left as it was",
         {{0.3f, 0.8f}, {"on", "on"}},
         {{0.5f, 1.0f}, {"on", "on"}},
         {0.5f, 1.0f},
         false,
         "parameter 0 reads 0.5 ('on') after the restore, 0.300000012 ('on') when saved; the "
         "restore left it as it was",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int same = 0;
        const std::string fault =
            vst2host::ParameterDifference(c.want, c.got, c.before, c.setByTest, same);
        EXPECT_EQ(fault, c.fault);
        EXPECT_EQ(same, c.same);
    }
}

}  // namespace
