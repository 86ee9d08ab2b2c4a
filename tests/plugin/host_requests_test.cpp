// The requests the plug-in makes of its host while it is resumed and while it processes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "tests/plugin/routing_model.h"
#include "tests/plugin/scripted_host.h"

namespace {

// The one time request of a block asks with the filter of every time query: tempo,
// position, bars, time signature, playing, recording.
constexpr intptr_t kBlockTimeFilter = kVstTempoValid | kVstPpqPosValid | kVstBarsValid |
                                      kVstTimeSigValid | kVstTransportPlaying |
                                      kVstTransportRecording;

std::vector<intptr_t> SortedValues(const std::vector<HostRequest>& requests) {
    std::vector<intptr_t> values;
    for (const HostRequest& request : requests) values.push_back(request.value);
    std::sort(values.begin(), values.end());
    return values;
}

std::vector<intptr_t> Repeated(const std::vector<intptr_t>& values, int times) {
    std::vector<intptr_t> all;
    for (int i = 0; i < times; ++i) all.insert(all.end(), values.begin(), values.end());
    std::sort(all.begin(), all.end());
    return all;
}

TEST(HostRequests, ResumeAsksForMidiBeforeAnythingElseThenForTheTempo) {
    ScriptedHost host;
    HostedEffect plugin(host);
    ASSERT_TRUE(plugin.valid());
    plugin.Open();
    host.ClearRequests();
    plugin.Resume();

    const auto requests = host.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(requests[0].value, 1);
    bool askedTempo = false;
    for (const HostRequest& request : requests) {
        SCOPED_TRACE(request.opcode);
        EXPECT_EQ(request.effect, plugin.effect());
        EXPECT_TRUE(request.opcode == audioMasterWantMidi || request.opcode == audioMasterGetTime);
        askedTempo |= request.opcode == audioMasterGetTime && request.value == kVstTempoValid;
    }
    EXPECT_TRUE(askedTempo);
}

// The block section asks for time information once per block, whatever the block's length,
// and asks nothing else (no latency report: the router has none).
template <typename Sample>
void ExpectTimeRequestsPerBlock(HostedEffect& plugin, ScriptedHost& host) {
    for (int frames : {1, 64, 4096}) {
        SCOPED_TRACE(frames);
        AudioBlock<Sample> block(frames);
        block.FillDistinctInputs();
        host.ClearRequests();
        for (int i = 0; i < 3; ++i) plugin.Process(block);

        const auto requests = host.Requests();
        for (const HostRequest& request : requests) {
            EXPECT_EQ(request.effect, plugin.effect());
            EXPECT_EQ(request.opcode, audioMasterGetTime);
        }
        EXPECT_EQ(SortedValues(requests), Repeated({kBlockTimeFilter}, 3));
        EXPECT_EQ(plugin.effect()->initialDelay, 0);
    }
}

TEST(HostRequests, EachBlockAsksForTimeInformationOnly) {
    ScriptedHost host;
    HostedEffect plugin(host);
    ASSERT_TRUE(plugin.valid());
    plugin.Start();
    {
        SCOPED_TRACE("float");
        ExpectTimeRequestsPerBlock<float>(plugin, host);
    }
    {
        SCOPED_TRACE("double");
        ExpectTimeRequestsPerBlock<double>(plugin, host);
    }
}

TEST(HostRequests, TimeInformationNeverDisturbsTheRouting) {
    struct TimeCase {
        const char* what;
        bool give;
        double tempo;
        int32_t numerator;
        int32_t denominator;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const TimeCase cases[] = {
        {"usual time record", true, 120.0, 4, 4},
        {"no time record", false, 0.0, 0, 0},
        {"NaN tempo, zero signature", true, nan, 0, 0},
        {"infinite tempo, extreme signature", true, inf, INT32_MIN, INT32_MAX},
    };
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedHost host;
        host.giveTimeInfo = c.give;
        host.timeInfo.tempo = c.tempo;
        host.timeInfo.ppqPos = c.tempo;
        host.timeInfo.timeSigNumerator = c.numerator;
        host.timeInfo.timeSigDenominator = c.denominator;
        HostedEffect plugin(host);
        ASSERT_TRUE(plugin.valid());
        plugin.Start();
        plugin.SetBuses({1, 4});

        AudioBlock<float> floats(32);
        floats.FillDistinctInputs();
        plugin.Process(floats);
        EXPECT_TRUE(OutputsRouted(floats, floats, SwitchesFor({1, 4})));
        AudioBlock<double> doubles(32);
        doubles.FillDistinctInputs();
        plugin.Process(doubles);
        EXPECT_TRUE(OutputsRouted(doubles, doubles, SwitchesFor({1, 4})));
        EXPECT_EQ(plugin.effect()->initialDelay, 0);
    }
}

TEST(HostRequests, HostParameterChangesAreNotEchoedBack) {
    ScriptedHost host;
    HostedEffect plugin(host);
    ASSERT_TRUE(plugin.valid());
    plugin.Start();
    host.ClearRequests();
    for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) {
        plugin.SetParameter(i, 1.0f);
        plugin.GetParameter(i);
        plugin.SetParameter(i, 0.0f);
    }
    EXPECT_TRUE(host.Requests().empty());
}

}  // namespace
