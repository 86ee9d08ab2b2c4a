// The time input: positions as LV2 hosts send them, against the quarter-note record a VST 2
// host gives, worked out by hand.
#include <gtest/gtest.h>
#include <lv2/atom/forge.h>
#include <lv2/time/time.h>

#include <algorithm>
#include <string>
#include <vector>

#include "product/lv2/lv2_time.h"

namespace {

std::vector<std::string> gUris;
LV2_URID Map(LV2_URID_Map_Handle, const char* uri) {
    auto at = std::find(gUris.begin(), gUris.end(), uri);
    if (at == gUris.end()) at = gUris.insert(at, uri);
    return static_cast<LV2_URID>(at - gUris.begin() + 1);
}
LV2_URID_Map gMap{nullptr, Map};

struct Position {
    int64_t at, bar;
    float barBeat, beatsPerBar;
    int32_t beatUnit;
    float bpm, speed;
};

// A sequence of time:Position objects, as hosts write into the time port.
std::vector<uint64_t> Sequence(const std::vector<Position>& positions) {
    std::vector<uint64_t> buffer(512);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, &gMap);
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(buffer.data()),
                              buffer.size() * sizeof(uint64_t));
    LV2_Atom_Forge_Frame sequence, object;
    auto key = [&forge](const char* uri) { lv2_atom_forge_key(&forge, Map(nullptr, uri)); };
    auto real = [&](const char* uri, float value) {
        key(uri);
        lv2_atom_forge_float(&forge, value);
    };
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    for (const Position& p : positions) {
        lv2_atom_forge_frame_time(&forge, p.at);
        lv2_atom_forge_object(&forge, &object, 0, Map(nullptr, LV2_TIME__Position));
        key(LV2_TIME__bar);
        lv2_atom_forge_long(&forge, p.bar);
        real(LV2_TIME__barBeat, p.barBeat);
        real(LV2_TIME__beatsPerBar, p.beatsPerBar);
        key(LV2_TIME__beatUnit);
        lv2_atom_forge_int(&forge, p.beatUnit);
        real(LV2_TIME__beatsPerMinute, p.bpm);
        real(LV2_TIME__speed, p.speed);
        lv2_atom_forge_pop(&forge, &object);
    }
    lv2_atom_forge_pop(&forge, &sequence);
    return buffer;
}

struct TimeCase {
    const char* what;
    std::vector<Position> first;  // the first block's events; the block is 24000 frames
    double ppq, barStart;         // the second block's record
    int32_t numerator, denominator;
    bool playing;
};

// Half a second at 120 beats a minute is one beat.
const TimeCase kCases[] = {
    {"rolling over a bar line", {{0, 2, 3.5f, 4, 4, 120, 1}}, 12.5, 12.0, 4, 4, true},
    {"eighth-note beats", {{0, 1, 2.0f, 6, 8, 120, 1}}, 4.5, 3.0, 6, 8, true},
    {"stopped", {{0, 5, 1.0f, 3, 4, 120, 0}}, 16.0, 15.0, 3, 4, false},
    {"a position in mid-block holds from its frame on",
     {{0, 0, 0, 4, 4, 120, 1}, {12000, 7, 0, 4, 4, 120, 1}},
     28.5,
     28.0,
     4,
     4,
     true},
};

TEST(Lv2Time, PositionsBecomeTheVst2TimeRecord) {
    for (const TimeCase& c : kCases) {
        SCOPED_TRACE(c.what);
        Lv2Time time;
        time.Map(&gMap);
        time.SetSampleRate(48000.0);
        EXPECT_EQ(time.Info(), nullptr);  // no position yet: as a host without time info
        const auto first = Sequence(c.first), none = Sequence({});
        auto events = [](const std::vector<uint64_t>& b) {
            return reinterpret_cast<const LV2_Atom_Sequence*>(b.data());
        };
        time.BlockStart(events(first));
        time.BlockEnd(events(first), 24000);
        time.BlockStart(events(none));
        const VstTimeInfo* info = time.Info();
        ASSERT_NE(info, nullptr);
        EXPECT_DOUBLE_EQ(info->ppqPos, c.ppq);
        EXPECT_DOUBLE_EQ(info->barStartPos, c.barStart);
        EXPECT_DOUBLE_EQ(info->tempo, 120.0);
        EXPECT_EQ(info->timeSigNumerator, c.numerator);
        EXPECT_EQ(info->timeSigDenominator, c.denominator);
        EXPECT_EQ((info->flags & kVstTransportPlaying) != 0, c.playing);
    }
}

}  // namespace
