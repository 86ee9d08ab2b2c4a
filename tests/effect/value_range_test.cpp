// Whatever a host sends or a stored chunk holds, a host reads parameters within 0..1, and the
// display, the host's value and the routing of a bus agree.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "tests/plugin/routing_model.h"
#include "tests/plugin/scripted_host.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

class ValueRange : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.valid());
        plugin.Start();
    }

    // Whether bus 1 (outputs 1/2) carries inputs 1/2 in the next block.
    bool BusOneCarriesInput() {
        AudioBlock<float> block(8);
        block.FillDistinctInputs();
        plugin.Process(block);
        for (int j = 0; j < block.frames(); ++j) {
            if (block.Output(0, j) != block.in(0, j) || block.Output(1, j) != block.in(1, j)) {
                return false;
            }
        }
        return true;
    }

    float ChunkSwitch(size_t slider) {
        const std::vector<uint8_t> chunk = plugin.GetChunk();
        float value = 0.0f;
        if (chunk.size() >= 4 * (slider + 1)) std::memcpy(&value, &chunk[4 * slider], 4);
        return value;
    }

    ScriptedHost host;
    HostedEffect plugin{host};
};

TEST_F(ValueRange, HostValuesAreClampedBeforeTheyReachTheSwitch) {
    struct Case {
        const char* what;
        float start;  // the switch before the host's value arrives
        float set;
        float read;
        const char* display;
        bool carries;
    };
    const Case cases[] = {
        {"2.0 is on", 0.0f, 2.0f, 1.0f, "enabled", true},
        {"1e30 is on", 0.0f, 1e30f, 1.0f, "enabled", true},
        {"just above 1 is on", 0.0f, 1.0000001f, 1.0f, "enabled", true},
        {"-0.7 is off", 1.0f, -0.7f, 0.0f, "muted", false},
        {"-1e30 is off", 1.0f, -1e30f, 0.0f, "muted", false},
        {"-0 is off", 1.0f, -0.0f, 0.0f, "muted", false},
        {"0.5 is on", 0.0f, 0.5f, 1.0f, "enabled", true},
        {"NaN is ignored (on stays)", 1.0f, kNaN, 1.0f, "enabled", true},
        {"NaN is ignored (off stays)", 0.0f, kNaN, 0.0f, "muted", false},
        {"+inf is ignored", 0.0f, kInf, 0.0f, "muted", false},
        {"-inf is ignored", 1.0f, -kInf, 1.0f, "enabled", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plugin.SetParameter(0, c.start);
        plugin.SetParameter(0, c.set);
        EXPECT_EQ(plugin.GetParameter(0), c.read);
        EXPECT_EQ(plugin.Text(effGetParamDisplay, 0), c.display);
        EXPECT_EQ(BusOneCarriesInput(), c.carries);
        // What is saved is what the switch holds: only ever 0 or 1.
        EXPECT_EQ(ChunkSwitch(1), c.read);
    }
}

// Whatever float a chunk holds for the switches, the display, the host's value (0.5 and above
// reads as on) and the audio agree: on for exactly 1, off for anything else, saved back as such.
TEST_F(ValueRange, EveryStoredValueShowsWhatRoutes) {
    const float stored[] = {1.0f,
                            0.0f,
                            -0.0f,
                            2.0f,
                            0.7f,
                            0.5f,
                            -1.0f,
                            kNaN,
                            kInf,
                            -kInf,
                            std::nextafter(1.0f, 0.0f),
                            std::nextafter(1.0f, 2.0f),
                            std::numeric_limits<float>::denorm_min()};
    for (const float value : stored) {
        SCOPED_TRACE(value);
        const bool on = value == 1.0f;
        std::vector<float> floats(65, 0.0f);
        floats[0] = -1000.0f;
        for (int bus = 1; bus <= 8; ++bus) {
            plugin.SetParameter(bus - 1, on ? 0.0f : 1.0f);  // from the other state
            floats[static_cast<size_t>(2 * bus - 1)] = value;
        }
        std::vector<uint8_t> chunk(floats.size() * 4);
        std::memcpy(chunk.data(), floats.data(), chunk.size());
        ASSERT_EQ(plugin.SetChunk(chunk), static_cast<intptr_t>(chunk.size()));
        for (int bus = 1; bus <= 8; ++bus) {
            EXPECT_EQ(plugin.Text(effGetParamDisplay, bus - 1), on ? "enabled" : "muted");
            EXPECT_EQ(plugin.GetParameter(bus - 1) >= 0.5f, on);
            EXPECT_EQ(ChunkSwitch(static_cast<size_t>(2 * bus - 1)), on ? 1.0f : 0.0f);
        }
        AudioBlock<float> block(16);
        block.FillDistinctInputs();
        plugin.Process(block);
        EXPECT_TRUE(OutputsRouted(block, block,
                                  on ? SwitchesFor({1, 2, 3, 4, 5, 6, 7, 8}) : BusSwitches{}));
    }
}

}  // namespace
