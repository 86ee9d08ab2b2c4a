// An instance's life as hosts drive it, and several instances living side by side.
#include <gtest/gtest.h>

#include <vector>

#include "tests/plugin/routing_model.h"
#include "tests/plugin/scripted_host.h"

namespace {

template <typename Sample>
::testing::AssertionResult RoutesOneBlock(HostedEffect& plugin, const std::vector<int>& buses) {
    AudioBlock<Sample> block(48);
    block.FillDistinctInputs();
    plugin.Process(block);
    return OutputsRouted(block, block, SwitchesFor(buses));
}

TEST(Lifecycle, OpenResumeProcessSuspendCloseOnFreshInstances) {
    for (int instance = 0; instance < 2; ++instance) {
        SCOPED_TRACE(instance);
        ScriptedHost host;
        HostedEffect plugin(host);
        ASSERT_TRUE(plugin.valid());
        plugin.Open();
        plugin.Resume();
        plugin.SetBuses({2, 4});
        EXPECT_TRUE(RoutesOneBlock<float>(plugin, {2, 4}));
        EXPECT_TRUE(RoutesOneBlock<double>(plugin, {2, 4}));
        plugin.Suspend();

        // A sample-rate change: suspend, new rate, resume; the switches stay.
        plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
        plugin.Dispatch(effSetBlockSize, 0, 64);
        host.ClearRequests();
        plugin.Resume();
        EXPECT_EQ(host.RequestsWithOpcode(audioMasterWantMidi).size(), 1u);
        EXPECT_TRUE(RoutesOneBlock<float>(plugin, {2, 4}));
        EXPECT_TRUE(RoutesOneBlock<double>(plugin, {2, 4}));
        plugin.Suspend();
        EXPECT_EQ(plugin.Close(), 1);
    }
}

TEST(Lifecycle, HostsThatOnlyProbeCanClose) {
    struct ProbeCase {
        const char* what;
        bool open;
        bool resume;
    };
    const ProbeCase cases[] = {
        {"closed right after the entry", false, false},
        {"opened, never resumed", true, false},
        {"resumed, never processed nor suspended", true, true},
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedHost host;
        HostedEffect plugin(host);
        ASSERT_TRUE(plugin.valid());
        if (c.open) plugin.Open();
        if (c.resume) plugin.Resume();
        EXPECT_EQ(plugin.Text(effGetEffectName), "Kelvane_Lotta router");
        EXPECT_EQ(plugin.Close(), 1);
    }
}

TEST(Lifecycle, InterleavedInstancesKeepTheirOwnSwitches) {
    ScriptedHost host;
    HostedEffect first(host);
    HostedEffect second(host);
    ASSERT_TRUE(first.valid() && second.valid());
    first.Start();
    second.Start();

    struct Round {
        std::vector<int> first;
        std::vector<int> second;
    };
    const Round rounds[] = {
        {{1}, {2, 8}},
        {{1, 3, 5, 7}, {2, 8}},
        {{}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {{6}, {}},
    };
    for (const Round& round : rounds) {
        SCOPED_TRACE(::testing::PrintToString(round.first) + " / " +
                     ::testing::PrintToString(round.second));
        first.SetBuses(round.first);
        second.SetBuses(round.second);
        for (int block = 0; block < 4; ++block) {
            EXPECT_TRUE(RoutesOneBlock<float>(first, round.first));
            EXPECT_TRUE(RoutesOneBlock<double>(second, round.second));
            EXPECT_TRUE(RoutesOneBlock<double>(first, round.first));
            EXPECT_TRUE(RoutesOneBlock<float>(second, round.second));
        }
    }
}

}  // namespace
