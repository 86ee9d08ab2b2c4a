// State chunks: the marker framing in file slot 0, which sections a load runs, and values
// travelling as 32-bit floats.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/runtime/counting_effect.h"
#include "tests/runtime/test_host.h"

namespace {

constexpr float kMarker = -1000.0f;

// Serialises the first `count` entries of `values`, in order.
class StateEffect : public CountingEffect {
  public:
    explicit StateEffect(int count) : values(static_cast<size_t>(count), 0.0) {
        onSerialize = [](CountingEffect& self) {
            for (double& v : static_cast<StateEffect&>(self).values) self.files[0].Exchange(v);
        };
    }
    std::vector<double> values;
};

std::vector<float> Floats(const void* data, int32_t size) {
    std::vector<float> floats(static_cast<size_t>(size) / sizeof(float));
    std::memcpy(floats.data(), data, floats.size() * sizeof(float));
    return floats;
}

std::vector<unsigned char> Chunk(const std::vector<float>& floats, size_t extraBytes = 0) {
    std::vector<unsigned char> bytes(floats.size() * sizeof(float) + extraBytes, 0xAB);
    std::memcpy(bytes.data(), floats.data(), floats.size() * sizeof(float));
    return bytes;
}

TEST(GetState, NothingWrittenMeansNoChunk) {
    StateEffect effect(0);
    void* data = &effect;
    EXPECT_EQ(effect.GetState(&data), 0);
    EXPECT_EQ(data, &effect);
    EXPECT_EQ(effect.calls, "Z");
}

TEST(GetState, MarkerThenTheValuesAsFloats) {
    StateEffect effect(64);
    for (size_t i = 0; i < effect.values.size(); ++i) effect.values[i] = 0.5 * i - 3.0;
    void* data = nullptr;
    ASSERT_EQ(effect.GetState(&data), 260);
    ASSERT_NE(data, nullptr);
    const unsigned char markerBytes[] = {0x00, 0x00, 0x7A, 0xC4};
    EXPECT_EQ(std::memcmp(data, markerBytes, 4), 0);
    const std::vector<float> floats = Floats(data, 260);
    for (size_t i = 0; i < effect.values.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(floats[i + 1], static_cast<float>(effect.values[i]));
    }
    EXPECT_EQ(effect.files[0].mode, kFileSlotWrite);
}

TEST(GetState, RepeatedSavesDoNotAccumulate) {
    StateEffect effect(3);
    void* data = nullptr;
    effect.GetState(&data);
    effect.values = {7.0, 8.0, 9.0};
    ASSERT_EQ(effect.GetState(&data), 16);
    EXPECT_EQ(Floats(data, 16), std::vector<float>({kMarker, 7.0f, 8.0f, 9.0f}));
}

TEST(SetState, ChunksWithoutTheMarkerOrTooShortRunNothing) {
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {"-999 marker", Chunk({-999.0f, 1.0f, 2.0f})},
        {"positive 1000", Chunk({1000.0f, 1.0f, 2.0f})},
        {"1 byte", {0x00}},
        {"2 bytes", {0x00, 0x00}},
        {"3 bytes", {0x00, 0x00, 0x7A}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StateEffect effect(2);
        effect.values = {5.0, 6.0};
        const auto size = static_cast<int32_t>(c.bytes.size());
        EXPECT_EQ(effect.SetState(c.bytes.data(), size), size);
        EXPECT_EQ(effect.calls, "");
        EXPECT_EQ(effect.values, std::vector<double>({5.0, 6.0}));
        EXPECT_EQ(effect.stateLoadCount, 0);
    }
}

TEST(SetState, AWholeFloatIsTakenAndTrailingBytesDropped) {
    StateEffect effect(1);
    effect.values = {5.0};
    const std::vector<unsigned char> bytes = Chunk({kMarker}, 2);
    EXPECT_EQ(effect.SetState(bytes.data(), 6), 6);
    EXPECT_EQ(effect.files[0].data, std::vector<float>({kMarker}));
    EXPECT_EQ(effect.values, std::vector<double>({5.0}));
    EXPECT_EQ(effect.calls, "IZS");

    const std::vector<unsigned char> longer = Chunk({kMarker, 1.5f}, 3);
    EXPECT_EQ(effect.SetState(longer.data(), 11), 11);
    EXPECT_EQ(effect.values, std::vector<double>({1.5}));
}

TEST(SetState, FewerValuesThanReadLeaveTheRestUnchanged) {
    StateEffect effect(4);
    effect.values = {10.0, 20.0, 30.0, 40.0};
    const std::vector<unsigned char> bytes = Chunk({kMarker, 1.0f, 2.0f});
    effect.SetState(bytes.data(), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(effect.values, std::vector<double>({1.0, 2.0, 30.0, 40.0}));
}

TEST(SetState, ExtraValuesAreIgnored) {
    StateEffect effect(1);
    const std::vector<unsigned char> bytes = Chunk({kMarker, 1.0f, 2.0f, 3.0f});
    effect.SetState(bytes.data(), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(effect.values, std::vector<double>({1.0}));
}

TEST(SetState, OnlyTheFirstLoadRunsTheInitialisationSection) {
    StateEffect effect(1);
    const std::vector<unsigned char> bytes = Chunk({kMarker, 1.0f});
    effect.SetState(bytes.data(), 8);
    EXPECT_EQ(effect.calls, "IZS");
    effect.calls.clear();
    effect.SetState(bytes.data(), 8);
    EXPECT_EQ(effect.calls, "ZS");
    EXPECT_EQ(effect.stateLoadCount, 2);
}

TEST(SetState, ValuesComeBackAsTheNearestFloat) {
    StateEffect effect(4);
    effect.values = {3.7, 0.1, 1.0, -123456.789};
    const std::vector<double> saved = effect.values;
    void* data = nullptr;
    const int32_t size = effect.GetState(&data);
    const std::vector<unsigned char> copy(static_cast<unsigned char*>(data),
                                          static_cast<unsigned char*>(data) + size);
    effect.values.assign(4, 0.0);
    effect.SetState(copy.data(), size);
    for (size_t i = 0; i < saved.size(); ++i) {
        SCOPED_TRACE(saved[i]);
        EXPECT_EQ(effect.values[i], static_cast<double>(static_cast<float>(saved[i])));
    }
    EXPECT_NE(effect.values[0], 3.7);
}

TEST(SetState, TheHostMayHandBackTheSavedBlockItself) {
    StateEffect effect(3);
    effect.values = {1.0, 2.0, 3.0};
    void* data = nullptr;
    const int32_t size = effect.GetState(&data);
    ASSERT_EQ(size, 16);
    effect.values = {0.0, 0.0, 0.0};
    EXPECT_EQ(effect.SetState(data, size), size);
    EXPECT_EQ(effect.values, std::vector<double>({1.0, 2.0, 3.0}));
    EXPECT_EQ(effect.files[0].mode, kFileSlotRead);
}

TEST(StateCallbacks, HostDispatcherSavesAndRestores) {
    auto* effect = new StateEffect(2);
    TestInstance instance(effect);
    EXPECT_NE(instance.record()->flags & effFlagsProgramChunks, 0);
    effect->values = {0.25, -4.0};
    void* data = nullptr;
    const auto size = static_cast<int32_t>(instance.Dispatch(effGetChunk, 0, 0, &data));
    ASSERT_EQ(size, 12);
    std::vector<unsigned char> copy(static_cast<unsigned char*>(data),
                                    static_cast<unsigned char*>(data) + size);
    effect->values = {9.0, 9.0};
    effect->calls.clear();
    EXPECT_EQ(instance.Dispatch(effSetChunk, 0, size, copy.data()), size);
    EXPECT_EQ(effect->values, std::vector<double>({0.25, -4.0}));
    EXPECT_EQ(effect->calls, "IZS");
    // A null block or a size of 0 is refused without running anything.
    effect->calls.clear();
    EXPECT_EQ(instance.Dispatch(effSetChunk, 0, 8, nullptr), 0);
    EXPECT_EQ(instance.Dispatch(effSetChunk, 0, 0, copy.data()), 0);
    EXPECT_EQ(effect->calls, "");
}

TEST(Lifecycle, ResumeRunsInitialisationThenSliderSection) {
    auto* effect = new CountingEffect;
    TestInstance instance(effect);
    instance.Dispatch(effMainsChanged, 0, 1);
    instance.Dispatch(effMainsChanged, 0, 0);
    instance.Dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(effect->calls, "ISIS");
}

}  // namespace
