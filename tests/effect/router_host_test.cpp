// The router inside an instance made by the runtime's factory, talking to a scripted host:
// the block section's host queries, resume, and the timed editor redraw.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

#include "effect/router.h"
#include "plugin/platform.h"
#include "tests/runtime/test_host.h"

namespace {

class RouterHostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestHost::Clear();
        time = VstTimeInfo{};
        time.tempo = 128.5;
        time.timeSigNumerator = 7;
        time.timeSigDenominator = 8;
        time.ppqPos = 12.25;
        time.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid;
        TestHost::timeInfo = &time;
        instance.Dispatch(effOpen);
    }
    void TearDown() override { TestHost::Clear(); }

    VstTimeInfo time{};
    TZoltEffect* effect = new TZoltEffect;
    TestInstance instance{effect};
};

TEST_F(RouterHostTest, InstanceAnnouncesTheRouter) {
    AEffect* record = instance.record();
    EXPECT_EQ(record->numInputs, 16);
    EXPECT_EQ(record->numOutputs, 16);
    EXPECT_EQ(record->numParams, 8);
    EXPECT_EQ(record->numPrograms, 1);
    EXPECT_EQ(record->uniqueID, 0);
    EXPECT_NE(record->flags & effFlagsProgramChunks, 0);
    EXPECT_EQ(effect->strings.at(TZoltEffect::kFontFaceSlot), "Courier New");
}

TEST_F(RouterHostTest, BlockSectionCopiesTheHostsTimeRecord) {
    struct Case {
        int32_t flags;
        double playState;
    };
    const Case cases[] = {{0, 0.0},
                          {kVstTransportPlaying, 1.0},
                          {kVstTransportRecording, 4.0},
                          {kVstTransportPlaying | kVstTransportRecording, 5.0},
                          {kVstTransportChanged | kVstTransportCycleActive, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        time.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid | c.flags;
        time.ppqPos += 1.0;
        effect->RunBlock();
        EXPECT_EQ(effect->vars.hostTempo, 128.5);
        EXPECT_EQ(effect->vars.tempo, 128.5);
        EXPECT_EQ(effect->vars.timeSigNumerator, 7.0);
        EXPECT_EQ(effect->vars.timeSigDenominator, 8.0);
        EXPECT_EQ(effect->vars.playState, c.playState);
        EXPECT_EQ(effect->vars.beatPosition, time.ppqPos);
    }
}

TEST_F(RouterHostTest, WithoutATimeRecordTheLastTempoAndSignatureStay) {
    time.flags |= kVstTransportPlaying;
    effect->RunBlock();
    ASSERT_EQ(effect->vars.playState, 1.0);
    TestHost::timeInfo = nullptr;
    effect->RunBlock();
    EXPECT_EQ(effect->vars.tempo, 128.5);
    EXPECT_EQ(effect->vars.timeSigNumerator, 7.0);
    EXPECT_EQ(effect->vars.timeSigDenominator, 8.0);
    EXPECT_EQ(effect->vars.playState, 0.0);
    EXPECT_EQ(effect->vars.beatPosition, 0.0);
}

TEST_F(RouterHostTest, HostileTimeValuesNeverReachTheScript) {
    time.tempo = std::numeric_limits<double>::quiet_NaN();
    time.ppqPos = std::numeric_limits<double>::infinity();
    effect->RunBlock();
    EXPECT_EQ(effect->vars.tempo, 0.0);
    EXPECT_EQ(effect->vars.hostTempo, 0.0);
    EXPECT_EQ(effect->vars.beatPosition, 0.0);
}

TEST_F(RouterHostTest, FirstBlockAfterOpenTicksAndTheNextDoesNot) {
    ASSERT_EQ(effect->vars.lastTickTime, 0.0);
    const double before = WallClockSeconds();
    effect->RunBlock();
    const double after = WallClockSeconds();
    const double tick = effect->vars.lastTickTime;
    EXPECT_GE(tick, before);
    EXPECT_LE(tick, after);
    effect->RunBlock();
    if (WallClockSeconds() - tick < 0.25) {
        EXPECT_EQ(effect->vars.lastTickTime, tick);
    }
}

TEST_F(RouterHostTest, PendingDisplayUpdateWaitsForTheTick) {
    effect->RunBlock();
    effect->vars.displayUpdatePending = 1.0;
    TestHost::requests.clear();
    effect->RunBlock();
    if (WallClockSeconds() - effect->vars.lastTickTime < 0.25) {
        EXPECT_EQ(effect->vars.displayUpdatePending, 1.0);
        EXPECT_EQ(TestHost::Count(audioMasterUpdateDisplay), 0);
    }
    effect->vars.lastTickTime = 0.0;
    effect->RunBlock();
    EXPECT_EQ(effect->vars.displayUpdatePending, 0.0);
    EXPECT_EQ(TestHost::Count(audioMasterUpdateDisplay), 1);
}

TEST_F(RouterHostTest, DelayIsStoredInTheRecordOnceWithoutAskingTheHost) {
    AEffect* record = instance.record();
    effect->RunBlock();
    EXPECT_EQ(record->initialDelay, 0);
    effect->vars.delaySamples = 256.0;
    TestHost::requests.clear();
    effect->RunBlock();
    EXPECT_EQ(record->initialDelay, 256);
    EXPECT_EQ(effect->vars.reportedDelay, 256.0);
    for (int32_t request : TestHost::requests) EXPECT_EQ(request, audioMasterGetTime);
    // Reported already: a later block does not set it again.
    record->initialDelay = 0;
    effect->RunBlock();
    EXPECT_EQ(record->initialDelay, 0);
}

TEST_F(RouterHostTest, ResumeRunsInitialisationThenSliderSection) {
    instance.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    instance.Dispatch(effSetBlockSize, 0, 512);
    effect->vars.sampleRate = 1.0;
    instance.Dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(effect->frameRate, 30.0);
    EXPECT_EQ(effect->vars.hostSampleRate, 48000.0);
    EXPECT_EQ(effect->vars.sampleRate, 48000.0);
    EXPECT_EQ(effect->vars.numChannels, 16.0);
    EXPECT_EQ(effect->vars.blockSize, 512.0);
    EXPECT_EQ(effect->vars.tempo, 128.5);
}

TEST_F(RouterHostTest, ProcessingRoutesThroughTheHostRecord) {
    instance.Dispatch(effMainsChanged, 0, 1);
    AEffect* record = instance.record();
    record->setParameter(record, 2, 1.0f);  // bus 3
    std::vector<std::vector<float>> in(16, std::vector<float>(4));
    std::vector<std::vector<float>> out(16, std::vector<float>(4, -9.0f));
    std::vector<float*> inP;
    std::vector<float*> outP;
    for (int c = 0; c < 16; ++c) {
        for (int j = 0; j < 4; ++j) in[c][j] = static_cast<float>(c + 1) + 0.125f * j;
        inP.push_back(in[c].data());
        outP.push_back(out[c].data());
    }
    record->processReplacing(record, inP.data(), outP.data(), 4);
    for (int c = 0; c < 16; ++c) {
        SCOPED_TRACE(c);
        const std::vector<float>& expected = c < 2              ? std::vector<float>(4, 0.0f)
                                             : c == 4 || c == 5 ? in[c - 4]
                                                                : in[c];
        EXPECT_EQ(out[c], expected);
    }
    EXPECT_EQ(effect->vars.tempo, 128.5);
}

class RouterIdleTest : public RouterHostTest {};

TEST_F(RouterIdleTest, NoFrameRateNeverRedraws) {
    effect->frameRate = 0.0;
    effect->OnIdle();
    EXPECT_EQ(effect->lastRedrawTicks, 0);
    effect->frameRate = -30.0;
    effect->OnIdle();
    EXPECT_EQ(effect->lastRedrawTicks, 0);
}

// Tick arithmetic is unsigned: the millisecond counter may wrap.
uint32_t Since(int32_t ticks) {
    return static_cast<uint32_t>(ClockMilliseconds()) - static_cast<uint32_t>(ticks);
}

TEST_F(RouterIdleTest, RedrawsOnlyOnceAFrameHasPassed) {
    instance.Dispatch(effMainsChanged, 0, 1);
    ASSERT_EQ(effect->frameRate, 30.0);
    effect->lastRedrawTicks =
        static_cast<int32_t>(static_cast<uint32_t>(ClockMilliseconds()) - 1000u);
    const int32_t before = ClockMilliseconds();
    effect->OnIdle();
    const int32_t first = effect->lastRedrawTicks;
    EXPECT_LE(Since(first), Since(before));
    effect->OnIdle();
    if (Since(first) <= 33) {
        EXPECT_EQ(effect->lastRedrawTicks, first);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    effect->OnIdle();
    EXPECT_NE(effect->lastRedrawTicks, first);
    EXPECT_LE(Since(effect->lastRedrawTicks), Since(first));
}

TEST_F(RouterIdleTest, HostIdleThroughTheEditorEntryIsHarmless) {
    instance.Dispatch(effMainsChanged, 0, 1);
    instance.Dispatch(effEditIdle);
    instance.Dispatch(effIdle);
    EXPECT_EQ(instance.record()->flags & effFlagsHasEditor, 0);
}

}  // namespace
