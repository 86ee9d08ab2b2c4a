// The state chunk as a host stores and hands it back: its layout, what a restore changes,
// and what it must leave alone.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tests/plugin/routing_model.h"
#include "tests/plugin/scripted_host.h"

namespace {

constexpr float kMarker = -1000.0f;
constexpr size_t kChunkSize = 260;  // the marker and sliders 1 to 64

std::vector<uint8_t> ChunkOf(const std::vector<float>& floats) {
    std::vector<uint8_t> bytes(floats.size() * sizeof(float));
    if (!floats.empty()) std::memcpy(bytes.data(), floats.data(), bytes.size());
    return bytes;
}

// A saved chunk with the given buses switched on.
std::vector<float> SwitchFloats(const std::vector<int>& busesOn) {
    std::vector<float> floats(kChunkSize / sizeof(float), 0.0f);
    floats[0] = kMarker;
    for (int bus : busesOn) floats[static_cast<size_t>(2 * bus - 1)] = 1.0f;
    return floats;
}

float FloatAt(const std::vector<uint8_t>& chunk, size_t offset) {
    float value = 0.0f;
    std::memcpy(&value, chunk.data() + offset, sizeof value);
    return value;
}

class State : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.valid());
        plugin.Start();
    }

    std::vector<float> Switches() const {
        std::vector<float> values;
        for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) {
            values.push_back(plugin.GetParameter(i));
        }
        return values;
    }

    // Processes one block and checks every output against the routing the switches give.
    void ExpectRouting(const BusSwitches& on) {
        AudioBlock<float> floats(16);
        floats.FillDistinctInputs();
        plugin.Process(floats);
        EXPECT_TRUE(OutputsRouted(floats, floats, on));
        AudioBlock<double> doubles(16);
        doubles.FillDistinctInputs();
        plugin.Process(doubles);
        EXPECT_TRUE(OutputsRouted(doubles, doubles, on));
    }

    ScriptedHost host;
    HostedEffect plugin{host};
};

TEST_F(State, SavedChunkIsTheMarkerAndSixtyFourSliders) {
    for (const std::vector<int>& buses :
         {std::vector<int>{}, std::vector<int>{1, 8}, std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}}) {
        SCOPED_TRACE(::testing::PrintToString(buses));
        plugin.SetBuses(buses);
        void* data = nullptr;
        ASSERT_EQ(plugin.Dispatch(effGetChunk, 0, 0, &data), static_cast<intptr_t>(kChunkSize));
        ASSERT_NE(data, nullptr);
        const std::vector<uint8_t> chunk = plugin.GetChunk();
        ASSERT_EQ(chunk.size(), kChunkSize);
        EXPECT_EQ(std::vector<uint8_t>(chunk.begin(), chunk.begin() + 4),
                  (std::vector<uint8_t>{0x00, 0x00, 0x7A, 0xC4}));
        EXPECT_EQ(chunk, ChunkOf(SwitchFloats(buses)));
    }
    // Read by offset as well, independent of how the expected chunk above is built.
    plugin.SetBuses({1, 8});
    const std::vector<uint8_t> chunk = plugin.GetChunk();
    ASSERT_EQ(chunk.size(), kChunkSize);
    for (size_t offset = 4; offset < kChunkSize; offset += 4) {
        EXPECT_EQ(FloatAt(chunk, offset), offset == 4 || offset == 60 ? 1.0f : 0.0f) << offset;
    }
}

struct RestoreCase {
    const char* what;
    std::vector<int> before;     // buses on before the restore
    std::vector<uint8_t> chunk;  // handed over in an allocation of exactly its size
    std::vector<int> after;      // buses on afterwards
};

std::vector<uint8_t> WithTrailingBytes(std::vector<uint8_t> bytes, size_t extra) {
    bytes.insert(bytes.end(), extra, 0x3F);
    return bytes;
}

std::vector<uint8_t> Truncated(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

std::vector<float> WithMarker(std::vector<float> floats, float marker) {
    floats[0] = marker;
    return floats;
}

std::vector<float> WithExtraFloats(std::vector<float> floats, size_t extra) {
    floats.insert(floats.end(), extra, 1.0f);
    return floats;
}

TEST_F(State, RestoreSetsTheSwitchesItCarries) {
    const RestoreCase cases[] = {
        {"full chunk, buses 2 and 7", {}, ChunkOf(SwitchFloats({2, 7})), {2, 7}},
        {"full chunk, all off", {1, 2, 3, 4, 5, 6, 7, 8}, ChunkOf(SwitchFloats({})), {}},
        // Marker and sliders 1 to 8: buses 1 to 4 only.
        {"marker and 8 sliders",
         {1, 2, 3, 4, 5, 6, 7, 8},
         ChunkOf({kMarker, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f}),
         {2, 4, 5, 6, 7, 8}},
        {"trailing partial float", {4}, WithTrailingBytes(ChunkOf(SwitchFloats({3})), 2), {3}},
        {"floats past the 65th", {4}, ChunkOf(WithExtraFloats(SwitchFloats({6}), 6)), {6}},
        {"marker +1000", {3}, ChunkOf(WithMarker(SwitchFloats({1, 2}), 1000.0f)), {3}},
        {"marker -999", {3}, ChunkOf(WithMarker(SwitchFloats({1, 2}), -999.0f)), {3}},
        {"marker alone", {1, 2}, ChunkOf({kMarker}), {1, 2}},
        // Six bytes are one float: the marker, and half of another that must not be read.
        {"six bytes", {1, 2}, Truncated(ChunkOf({kMarker, 0.0f}), 6), {1, 2}},
        {"three bytes", {5}, Truncated(ChunkOf({kMarker}), 3), {5}},
    };
    for (const RestoreCase& c : cases) {
        SCOPED_TRACE(c.what);
        plugin.SetBuses(c.before);
        std::unique_ptr<uint8_t[]> exact(new uint8_t[c.chunk.size()]);
        std::memcpy(exact.get(), c.chunk.data(), c.chunk.size());
        EXPECT_EQ(plugin.SetChunk(exact.get(), static_cast<intptr_t>(c.chunk.size())),
                  static_cast<intptr_t>(c.chunk.size()));

        const BusSwitches on = SwitchesFor(c.after);
        for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(plugin.GetParameter(i), on[static_cast<size_t>(i)] ? 1.0f : 0.0f);
            EXPECT_EQ(plugin.Text(effGetParamDisplay, i),
                      on[static_cast<size_t>(i)] ? "enabled" : "muted");
        }
        EXPECT_EQ(plugin.GetChunk(), ChunkOf(SwitchFloats(c.after)));
        ExpectRouting(on);
    }
}

TEST_F(State, RefusedChunksChangeNothing) {
    plugin.SetBuses({2, 5});
    const std::vector<uint8_t> saved = plugin.GetChunk();
    const std::vector<uint8_t> other = ChunkOf(SwitchFloats({1, 3, 8}));
    struct RefusedCase {
        const char* what;
        const void* bytes;
        intptr_t size;
    };
    const RefusedCase cases[] = {
        {"size 0", other.data(), 0},
        {"size -4", other.data(), -4},
        {"size -260", other.data(), -260},
        {"null bytes", nullptr, 260},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(plugin.SetChunk(c.bytes, c.size), 0);
        EXPECT_EQ(plugin.GetChunk(), saved);
        ExpectRouting(SwitchesFor({2, 5}));
    }
}

TEST_F(State, OnlyExactlyOneSwitchesABusOn) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> floats = SwitchFloats({});
    floats[1] = 0.999f;                                   // bus 1
    floats[3] = nan;                                      // bus 2
    floats[5] = 0.5f;                                     // bus 3
    floats[7] = 1.0f;                                     // bus 4
    floats[9] = std::nextafter(1.0f, 2.0f);               // bus 5
    floats[11] = std::numeric_limits<float>::infinity();  // bus 6
    EXPECT_EQ(plugin.SetChunk(ChunkOf(floats)), static_cast<intptr_t>(kChunkSize));

    // Restored as the routing takes them: exactly 1 or 0.
    EXPECT_EQ(plugin.GetParameter(0), 0.0f);
    EXPECT_EQ(plugin.GetParameter(2), 0.0f);
    EXPECT_EQ(plugin.GetParameter(3), 1.0f);
    for (int32_t muted : {0, 1, 2}) {
        SCOPED_TRACE(muted);
        EXPECT_EQ(plugin.Text(effGetParamDisplay, muted), "muted");
    }
    ExpectRouting(SwitchesFor({4}));
}

TEST_F(State, SavedBytesRestoreToTheSameState) {
    plugin.SetBuses({2, 3, 8});
    const std::vector<uint8_t> saved = plugin.GetChunk();
    ASSERT_EQ(saved.size(), kChunkSize);

    {
        SCOPED_TRACE("a copy of the bytes, after the switches moved");
        plugin.SetBuses({1});
        EXPECT_EQ(plugin.SetChunk(saved), static_cast<intptr_t>(kChunkSize));
        EXPECT_EQ(plugin.GetChunk(), saved);
        ExpectRouting(SwitchesFor({2, 3, 8}));
    }
    {
        // Some hosts hand back the very pointer getChunk gave them.
        SCOPED_TRACE("the plug-in's own bytes");
        void* data = nullptr;
        const intptr_t size = plugin.Dispatch(effGetChunk, 0, 0, &data);
        ASSERT_EQ(size, static_cast<intptr_t>(kChunkSize));
        EXPECT_EQ(plugin.Dispatch(effSetChunk, 0, size, data), size);
        EXPECT_EQ(plugin.GetChunk(), saved);
        ExpectRouting(SwitchesFor({2, 3, 8}));
    }
}

TEST_F(State, AnotherInstanceRestoredFromTheChunkRoutesAlike) {
    plugin.SetBuses({3, 6});
    const std::vector<uint8_t> saved = plugin.GetChunk();
    for (bool beforeResume : {true, false}) {
        SCOPED_TRACE(beforeResume ? "restored before resume" : "restored while running");
        ScriptedHost otherHost;
        HostedEffect other(otherHost);
        ASSERT_TRUE(other.valid());
        other.Open();
        if (beforeResume) {
            EXPECT_EQ(other.SetChunk(saved), static_cast<intptr_t>(kChunkSize));
        }
        other.Resume();
        if (!beforeResume) {
            EXPECT_EQ(other.SetChunk(saved), static_cast<intptr_t>(kChunkSize));
        }

        AudioBlock<float> mine(24);
        AudioBlock<float> theirs(24);
        mine.FillDistinctInputs();
        theirs.FillDistinctInputs();
        plugin.Process(mine);
        other.Process(theirs);
        EXPECT_TRUE(OutputsRouted(theirs, theirs, SwitchesFor({3, 6})));
        EXPECT_TRUE(OutputsRouted(mine, mine, SwitchesFor({3, 6})));
        EXPECT_EQ(other.GetChunk(), saved);
    }
}

}  // namespace
