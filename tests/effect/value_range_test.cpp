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

// Whatever float a chunk holds where a switch goes, the display, the host's value (0.5 and
// above reads as on) and the audio say the same: on for exactly 1, off for anything else.
// The switch is saved back as exactly that 1 or 0.
TEST_F(ValueRange, EveryStoredValueShowsWhatRoutes) {
    struct Case {
        const char* what;
        float stored;
        bool on;
    };
    const Case cases[] = {
        {"exactly 1", 1.0f, true},
        {"0", 0.0f, false},
        {"-0", -0.0f, false},
        {"2.0", 2.0f, false},
        {"0.7", 0.7f, false},
        {"0.5", 0.5f, false},
        {"-1", -1.0f, false},
        {"NaN", kNaN, false},
        {"+inf", kInf, false},
        {"-inf", -kInf, false},
        {"just below 1", std::nextafter(1.0f, 0.0f), false},
        {"just above 1", std::nextafter(1.0f, 2.0f), false},
        {"smallest denormal", std::numeric_limits<float>::denorm_min(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The value on the odd buses, its opposite on the even ones, from a state the other
        // way round.
        for (int bus = 1; bus <= 8; ++bus) {
            plugin.SetParameter(bus - 1, (bus % 2 == 1) != c.on ? 1.0f : 0.0f);
        }
        std::vector<float> floats(65, 0.0f);
        floats[0] = -1000.0f;
        for (int bus = 1; bus <= 8; ++bus) {
            floats[static_cast<size_t>(2 * bus - 1)] = bus % 2 ? c.stored : (c.on ? 0.0f : 1.0f);
        }
        std::vector<uint8_t> chunk(floats.size() * 4);
        std::memcpy(chunk.data(), floats.data(), chunk.size());
        ASSERT_EQ(plugin.SetChunk(chunk), static_cast<intptr_t>(chunk.size()));

        BusSwitches on{};
        for (int bus = 1; bus <= 8; ++bus) {
            SCOPED_TRACE("bus " + std::to_string(bus));
            const bool busOn = bus % 2 ? c.on : !c.on;
            on[static_cast<size_t>(bus - 1)] = busOn;
            EXPECT_EQ(plugin.Text(effGetParamDisplay, bus - 1), busOn ? "enabled" : "muted");
            EXPECT_EQ(plugin.GetParameter(bus - 1) >= 0.5f, busOn);
            EXPECT_EQ(ChunkSwitch(static_cast<size_t>(2 * bus - 1)), busOn ? 1.0f : 0.0f);
        }
        AudioBlock<float> block(16);
        block.FillDistinctInputs();
        plugin.Process(block);
        EXPECT_TRUE(OutputsRouted(block, block, on));
    }
}

}  // namespace
