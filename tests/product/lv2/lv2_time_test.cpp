// The time input: positions as LV2 hosts send them, against the quarter-note record a VST 2
// host gives, worked out by hand for each case.
#include <gtest/gtest.h>
#include <lv2/atom/forge.h>
#include <lv2/time/time.h>

#include <string>
#include <vector>

#include "product/lv2/lv2_time.h"

namespace {

std::vector<std::string> gUris;
LV2_URID MapUri(LV2_URID_Map_Handle, const char* uri) {
    for (size_t i = 0; i < gUris.size(); ++i) {
        if (gUris[i] == uri) return static_cast<LV2_URID>(i + 1);
    }
    gUris.emplace_back(uri);
    return static_cast<LV2_URID>(gUris.size());
}
LV2_URID_Map gMap{nullptr, MapUri};

struct Position {
    int64_t at;  // frame in the block
    int64_t bar;
    float barBeat, beatsPerBar;
    int32_t beatUnit;
    float bpm, speed;
};

// A sequence of time:Position objects, as hosts write into the time port.
class Sequence {
  public:
    explicit Sequence(const std::vector<Position>& positions) {
        LV2_Atom_Forge forge;
        lv2_atom_forge_init(&forge, &gMap);
        lv2_atom_forge_set_buffer(&forge, buffer_, sizeof buffer_);
        LV2_Atom_Forge_Frame sequence, object;
        lv2_atom_forge_sequence_head(&forge, &sequence, 0);
        auto key = [](const char* uri) { return MapUri(nullptr, uri); };
        for (const Position& p : positions) {
            lv2_atom_forge_frame_time(&forge, p.at);
            lv2_atom_forge_object(&forge, &object, 0, key(LV2_TIME__Position));
            lv2_atom_forge_key(&forge, key(LV2_TIME__bar));
            lv2_atom_forge_long(&forge, p.bar);
            lv2_atom_forge_key(&forge, key(LV2_TIME__barBeat));
            lv2_atom_forge_float(&forge, p.barBeat);
            lv2_atom_forge_key(&forge, key(LV2_TIME__beatsPerBar));
            lv2_atom_forge_float(&forge, p.beatsPerBar);
            lv2_atom_forge_key(&forge, key(LV2_TIME__beatUnit));
            lv2_atom_forge_int(&forge, p.beatUnit);
            lv2_atom_forge_key(&forge, key(LV2_TIME__beatsPerMinute));
            lv2_atom_forge_float(&forge, p.bpm);
            lv2_atom_forge_key(&forge, key(LV2_TIME__speed));
            lv2_atom_forge_float(&forge, p.speed);
            lv2_atom_forge_pop(&forge, &object);
        }
        lv2_atom_forge_pop(&forge, &sequence);
    }
    const LV2_Atom_Sequence* get() const {
        return reinterpret_cast<const LV2_Atom_Sequence*>(buffer_);
    }

  private:
    alignas(8) uint8_t buffer_[4096] = {};
};

struct TimeCase {
    const char* what;
    std::vector<Position> first;  // the first block's events (frames 0..23999 at 48 kHz)
    double ppq, barStart, tempo;  // what the second block's record says
    int32_t numerator, denominator;
    bool playing;
};

const TimeCase kCases[] = {
    // Half a second at 120 beats a minute is one beat.
    {"rolling within a bar", {{0, 2, 0.5f, 4, 4, 120, 1}}, 9.5, 8.0, 120, 4, 4, true},
    {"rolling over a bar line", {{0, 2, 3.5f, 4, 4, 120, 1}}, 12.5, 12.0, 120, 4, 4, true},
    {"eighth-note beats count half a quarter",
     {{0, 1, 2.0f, 6, 8, 120, 1}},
     4.5,
     3.0,
     120,
     6,
     8,
     true},
    {"stopped", {{0, 5, 1.0f, 3, 4, 90, 0}}, 16.0, 15.0, 90, 3, 4, false},
    // A position mid-block holds from its frame on: 12000 frames after it, half a beat.
    {"a position in mid-block",
     {{0, 0, 0, 4, 4, 120, 1}, {12000, 7, 0, 4, 4, 120, 1}},
     28.5,
     28.0,
     120,
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
        const Sequence first(c.first), empty({});
        time.BlockStart(first.get());
        ASSERT_NE(time.Info(), nullptr);
        time.BlockEnd(first.get(), 24000);
        time.BlockStart(empty.get());
        const VstTimeInfo* info = time.Info();
        ASSERT_NE(info, nullptr);
        EXPECT_DOUBLE_EQ(info->ppqPos, c.ppq);
        EXPECT_DOUBLE_EQ(info->barStartPos, c.barStart);
        EXPECT_DOUBLE_EQ(info->tempo, c.tempo);
        EXPECT_EQ(info->timeSigNumerator, c.numerator);
        EXPECT_EQ(info->timeSigDenominator, c.denominator);
        EXPECT_EQ((info->flags & kVstTransportPlaying) != 0, c.playing);
        EXPECT_EQ(
            info->flags & (kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid),
            kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid);
    }
}

}  // namespace
