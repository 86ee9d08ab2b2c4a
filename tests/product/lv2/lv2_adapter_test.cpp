// The LV2 adapter over the probe effect (probe_effect.cpp), which shows on its outputs how it
// is called: a run() longer than the announced block reaches the effect in pieces no longer
// than that, without allocating; toggled ports reach it as on above zero and off otherwise,
// continuous ports as given.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "product/lv2/lv2_instance.h"
#include "tests/product/new_counter.h"

namespace {

constexpr uint32_t kChannels = 4;
constexpr uint32_t kSwitchPort = 8, kLevelPort = 9;

// One adapter instance over the probe, with a host that announces maxBlock (none when 0).
struct Probe {
    Probe(int32_t maxBlock, uint32_t capacity) : block(maxBlock) {
        const LV2_URID key = Map(this, LV2_BUF_SIZE__maxBlockLength);
        const LV2_URID type = Map(this, LV2_ATOM__Int);
        options[0] = {LV2_OPTIONS_INSTANCE, 0, key, sizeof block, type, &block};
        options[1] = {};
        const LV2_Feature* features[] = {&mapFeature, maxBlock ? &optionsFeature : nullptr,
                                         nullptr};
        instance.reset(Lv2Instance::Create("urn:kelvane:test:probe", 48000.0, features));
        for (uint32_t c = 0; c < 2 * kChannels; ++c) {
            buffers.emplace_back(capacity, 0.0f);
            instance->Connect(c, buffers[c].data());
        }
        instance->Connect(kSwitchPort, &switchPort);
        instance->Connect(kLevelPort, &levelPort);
        instance->Activate();
    }
    ~Probe() { instance->Deactivate(); }
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
        auto& uris = static_cast<Probe*>(handle)->uris;
        for (size_t i = 0; i < uris.size(); ++i) {
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        }
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    // What the effect wrote on output o (0-based) at frame j.
    float Seen(uint32_t o, uint32_t j) const { return buffers[kChannels + o][j]; }

    std::vector<std::string> uris;
    int32_t block;
    LV2_URID_Map map{this, Map};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Options_Option options[2];
    LV2_Feature optionsFeature{LV2_OPTIONS__options, options};
    std::unique_ptr<Lv2Instance> instance;
    std::vector<std::vector<float>> buffers;
    float switchPort = 0.0f, levelPort = 0.5f;
};

struct RunCase {
    const char* what;
    int32_t announced;  // 0: the host gives no maxBlockLength
    uint32_t frames;
    float expectedBlock;
};

const RunCase kRunCases[] = {
    {"64 announced, a run of 1000", 64, 1000, 64},
    {"64 announced, a run of exactly 64", 64, 64, 64},
    {"100 announced, a run of 257", 100, 257, 100},
    {"1 announced, a run of 7", 1, 7, 1},
    {"none announced, a run of 10000", 0, 10000, 4096},
};

TEST(Lv2Adapter, LongRunsReachTheEffectInPiecesOfAtMostTheAnnouncedSize) {
    for (const RunCase& c : kRunCases) {
        SCOPED_TRACE(c.what);
        Probe p(c.announced, c.frames);
        for (int pass = 0; pass < 2; ++pass) {
            for (uint32_t o = 0; o < kChannels; ++o)
                p.buffers[kChannels + o].assign(c.frames, -1.0f);
            const int before = NewCalls();
            CountNew(true);
            p.instance->Run(c.frames);
            CountNew(false);
            EXPECT_EQ(NewCalls() - before, 0) << "pass " << pass;
            // Every frame lies in one call whose length every frame of it shows, no longer
            // than the size the effect was told.
            for (uint32_t j = 0; j < c.frames;) {
                ASSERT_EQ(p.Seen(1, j), c.expectedBlock) << "frame " << j;
                const float piece = p.Seen(0, j);
                ASSERT_TRUE(piece >= 1.0f && piece <= c.expectedBlock) << piece << " at " << j;
                const auto length = static_cast<uint32_t>(piece);
                ASSERT_LE(j + length, c.frames) << "frame " << j;
                for (uint32_t k = j; k < j + length; ++k) ASSERT_EQ(p.Seen(0, k), piece);
                j += length;
            }
        }
    }
}

struct ControlStep {
    float switchPort, levelPort;
    float switchSeen, levelSeen;
};

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// In order: each step turns the switch over, so a value read the wrong way shows.
const ControlStep kControlSteps[] = {
    {0.3f, 0.3f, 1, 0.3f},
    {kNaN, kNaN, 0, 0.3f},  // a level of NaN is no change
    {std::numeric_limits<float>::denorm_min(), 0.0f, 1, 0.0f},
    {-0.0f, 1.0f, 0, 1.0f},
    {0.49f, 0.49f, 1, 0.49f},
    {-1.0f, 0.75f, 0, 0.75f},
    {kInf, 0.5f, 1, 0.5f},
    {0.0f, 0.25f, 0, 0.25f},
    {2.0f, 0.25f, 1, 0.25f},
    {-kInf, 0.25f, 0, 0.25f},
    {1.0f, 0.25f, 1, 0.25f},
};

TEST(Lv2Adapter, TogglesAreOnAboveZeroAndContinuousPortsPassAsGiven) {
    Probe p(64, 16);
    for (const ControlStep& s : kControlSteps) {
        SCOPED_TRACE(::testing::Message()
                     << "switch port " << s.switchPort << ", level port " << s.levelPort);
        p.switchPort = s.switchPort;
        p.levelPort = s.levelPort;
        p.instance->Run(16);
        EXPECT_EQ(p.Seen(2, 15), s.switchSeen);
        EXPECT_EQ(p.Seen(3, 15), s.levelSeen);
    }
}

}  // namespace
