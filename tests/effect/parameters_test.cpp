// The eight bus switches as host parameters: names, texts, quantisation, and indexes
// outside the parameter range.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "tests/plugin/scripted_host.h"

namespace {

class Parameters : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.valid());
        plugin.Start();
    }

    std::vector<float> AllValues() const {
        std::vector<float> values;
        for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) {
            values.push_back(plugin.GetParameter(i));
        }
        return values;
    }

    ScriptedHost host;
    HostedEffect plugin{host};
};

float ChunkFloat(const std::vector<uint8_t>& chunk, size_t offset) {
    float value = 0.0f;
    std::memcpy(&value, chunk.data() + offset, sizeof value);
    return value;
}

TEST_F(Parameters, StartMutedWithTheirNames) {
    ASSERT_EQ(plugin.effect()->numParams, HostedEffect::kBusCount);
    for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(plugin.Text(effGetParamName, i), "enable item bus " + std::to_string(i + 1));
        EXPECT_EQ(plugin.Text(effGetParamLabel, i), "");
        EXPECT_EQ(plugin.Text(effGetParamDisplay, i), "muted");
        EXPECT_EQ(plugin.GetParameter(i), 0.0f);
    }
}

TEST_F(Parameters, SnapToOffOrOnAtHalfway) {
    struct Case {
        float set;
        float read;
        const char* display;
    };
    const Case cases[] = {
        {1.0f, 1.0f, "enabled"}, {0.49f, 0.0f, "muted"},   {0.5f, 1.0f, "enabled"},
        {0.0f, 0.0f, "muted"},   {0.51f, 1.0f, "enabled"}, {0.499f, 0.0f, "muted"},
    };
    for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) {
        for (const Case& c : cases) {
            SCOPED_TRACE("parameter " + std::to_string(i) + " set to " + std::to_string(c.set));
            plugin.SetParameter(i, c.set);
            EXPECT_EQ(plugin.GetParameter(i), c.read);
            EXPECT_EQ(plugin.Text(effGetParamDisplay, i), c.display);
            // The others are not touched.
            for (int32_t other = 0; other < HostedEffect::kBusCount; ++other) {
                if (other == i) continue;
                EXPECT_EQ(plugin.GetParameter(other), 0.0f) << other;
            }
        }
        plugin.SetParameter(i, 0.0f);
    }
}

TEST_F(Parameters, ParameterNDrivesTheSwitchSavedAtSlot2NPlus1) {
    for (int32_t n = 0; n < HostedEffect::kBusCount; ++n) {
        SCOPED_TRACE(n);
        plugin.SetBuses({n + 1});
        const std::vector<uint8_t> chunk = plugin.GetChunk();
        ASSERT_EQ(chunk.size(), 260u);
        for (size_t slot = 1; slot <= 64; ++slot) {
            const float expected = slot == static_cast<size_t>(2 * n + 1) ? 1.0f : 0.0f;
            EXPECT_EQ(ChunkFloat(chunk, 4 * slot), expected) << "slot " << slot;
        }
    }
}

TEST_F(Parameters, IndexesOutsideTheRangeChangeNothingAndReadEmpty) {
    // All switches on, so that an index that strays into a neighbour reads or writes 1.
    plugin.SetBuses({1, 2, 3, 4, 5, 6, 7, 8});
    const std::vector<float> values = AllValues();
    const std::vector<uint8_t> chunk = plugin.GetChunk();

    for (int32_t index : {-1, 8, 9, 1000, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(index);
        plugin.SetParameter(index, 0.0f);
        plugin.SetParameter(index, 1.0f);
        EXPECT_EQ(plugin.GetParameter(index), 0.0f);
        EXPECT_EQ(AllValues(), values);
        EXPECT_EQ(plugin.GetChunk(), chunk);

        for (int32_t opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
            SCOPED_TRACE(opcode);
            char buffer[64];
            std::memset(buffer, 0xAA, sizeof buffer);
            plugin.Dispatch(opcode, index, 0, buffer);
            EXPECT_EQ(buffer[0], 0);
            const auto written = std::count_if(buffer + 1, buffer + sizeof buffer, [](char b) {
                return static_cast<uint8_t>(b) != 0xAA;
            });
            EXPECT_EQ(written, 0) << "bytes written past the empty text";
        }
    }
}

}  // namespace
