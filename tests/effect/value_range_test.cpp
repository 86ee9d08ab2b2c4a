// Whatever a host sends or a stored chunk holds, a host reads parameters within 0..1, and a
// bus carries inputs 1/2 only when its switch holds exactly 1.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

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

TEST_F(ValueRange, StoredValuesAreKeptButReadWithinRange) {
    struct Case {
        const char* what;
        float stored;
        float read;
        bool carries;
    };
    const Case cases[] = {
        {"exactly 1", 1.0f, 1.0f, true},
        {"0", 0.0f, 0.0f, false},
        {"NaN", kNaN, 0.0f, false},
        {"+inf", kInf, 1.0f, false},
        {"-inf", -kInf, 0.0f, false},
        {"2.0", 2.0f, 1.0f, false},
        {"-3", -3.0f, 0.0f, false},
        {"0.5", 0.5f, 0.5f, false},
        {"just below 1", std::nextafter(1.0f, 0.0f), std::nextafter(1.0f, 0.0f), false},
        {"smallest denormal", std::numeric_limits<float>::denorm_min(),
         std::numeric_limits<float>::denorm_min(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<float> floats(65, 0.0f);
        floats[0] = -1000.0f;
        floats[1] = c.stored;
        std::vector<uint8_t> chunk(floats.size() * 4);
        std::memcpy(chunk.data(), floats.data(), chunk.size());
        ASSERT_EQ(plugin.SetChunk(chunk), static_cast<intptr_t>(chunk.size()));

        const float read = plugin.GetParameter(0);
        EXPECT_TRUE(read >= 0.0f && read <= 1.0f) << read;
        EXPECT_EQ(read, c.read);
        EXPECT_EQ(BusOneCarriesInput(), c.carries);
        EXPECT_FALSE(plugin.Text(effGetParamDisplay, 0).empty());
        // The chunk gives back what it was given, bit for bit.
        EXPECT_EQ(plugin.GetChunk(), chunk);
    }
}

}  // namespace
