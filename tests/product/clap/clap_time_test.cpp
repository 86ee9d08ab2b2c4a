// The transport as the time record: compiled in, since what the effect is answered never
// reaches the router's outputs and cannot be seen through the .clap.
#include <gtest/gtest.h>

#include "product/clap/clap_time.h"

namespace {

struct TimeCase {
    const char* what;
    uint32_t flags;
    int32_t vstFlags;  // expected
};

TEST(ClapTime, OnlyWhatTheTransportKnowsIsValid) {
    constexpr uint32_t kAll = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE |
                              CLAP_TRANSPORT_HAS_SECONDS_TIMELINE |
                              CLAP_TRANSPORT_HAS_TIME_SIGNATURE | CLAP_TRANSPORT_IS_PLAYING |
                              CLAP_TRANSPORT_IS_RECORDING | CLAP_TRANSPORT_IS_LOOP_ACTIVE;
    const TimeCase kCases[] = {
        {"nothing known", 0, 0},
        {"tempo", CLAP_TRANSPORT_HAS_TEMPO, kVstTempoValid},
        {"beats", CLAP_TRANSPORT_HAS_BEATS_TIMELINE, kVstPpqPosValid | kVstBarsValid},
        {"playing, no tempo", CLAP_TRANSPORT_IS_PLAYING, kVstTransportPlaying},
        {"everything", kAll,
         kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid |
             kVstTransportPlaying | kVstTransportRecording | kVstTransportCycleActive},
    };
    for (const TimeCase& c : kCases) {
        SCOPED_TRACE(c.what);
        clap_event_transport t{};
        t.flags = c.flags;
        t.tempo = 132.5;
        t.song_pos_beats = 37LL << 30;   // 18.5 quarter notes
        t.bar_start = 16LL << 31;        // bar 5 of 4/4
        t.song_pos_seconds = 3LL << 31;  // 3 s
        t.loop_start_beats = 8LL << 31;
        t.loop_end_beats = 24LL << 31;
        t.tsig_num = 6;
        t.tsig_denom = 8;
        const VstTimeInfo info = ClapTimeInfo(t, 48000.0);
        EXPECT_EQ(info.flags, c.vstFlags);
        EXPECT_EQ(info.sampleRate, 48000.0);
        EXPECT_EQ(info.tempo, c.vstFlags & kVstTempoValid ? 132.5 : 0.0);
        EXPECT_EQ(info.ppqPos, c.vstFlags & kVstPpqPosValid ? 18.5 : 0.0);
        EXPECT_EQ(info.barStartPos, c.vstFlags & kVstBarsValid ? 16.0 : 0.0);
        EXPECT_EQ(info.cycleEndPos, c.vstFlags & kVstCyclePosValid ? 24.0 : 0.0);
        EXPECT_EQ(info.samplePos, c.flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE ? 144000.0 : 0.0);
        EXPECT_EQ(info.timeSigNumerator, c.vstFlags & kVstTimeSigValid ? 6 : 0);
        EXPECT_EQ(info.timeSigDenominator, c.vstFlags & kVstTimeSigValid ? 8 : 0);
    }
    // A tempo or time signature no host could mean is no tempo or time signature.
    clap_event_transport odd{};
    odd.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_TIME_SIGNATURE;
    odd.tempo = -1.0;
    odd.tsig_num = 3;
    EXPECT_EQ(ClapTimeInfo(odd, 44100.0).flags, 0);
}

}  // namespace
