// The audio loop: host buffers into the sample variables and back, once per frame, with the
// block section once per call.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "plugin/host_services.h"
#include "runtime/audio_loop.h"
#include "tests/runtime/counting_effect.h"
#include "tests/runtime/test_host.h"

namespace {

class LoopEffect : public CountingEffect {
  public:
    explicit LoopEffect(int32_t channels) { channelCount = channels; }
};

// One block of host channels, each filled by fill(channel, frame).
template <typename Sample>
struct Block {
    template <typename Fill>
    Block(int channels, int frames, Fill fill) {
        for (int c = 0; c < channels; ++c) {
            data.emplace_back(static_cast<size_t>(frames));
            for (int j = 0; j < frames; ++j) data.back()[static_cast<size_t>(j)] = fill(c, j);
        }
        for (auto& channel : data) pointers.push_back(channel.data());
    }
    Sample** get() { return pointers.data(); }
    std::vector<std::vector<Sample>> data;
    std::vector<Sample*> pointers;
};

constexpr float kUntouched = -12345.0f;

float Distinct(int c, int j) {
    return static_cast<float>(c * 1000 + j) + 0.25f;
}

void Process(COrbel* adapter, float** in, float** out, int32_t frames) {
    RuntimeProcessReplacing(adapter, in, out, frames);
}
void Process(COrbel* adapter, double** in, double** out, int32_t frames) {
    RuntimeProcessDoubleReplacing(adapter, in, out, frames);
}

template <typename Sample>
class AudioLoopTest : public ::testing::Test {};
using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(AudioLoopTest, SampleTypes);

TYPED_TEST(AudioLoopTest, NoFramesRunsTheBlockSectionOnly) {
    for (int32_t frames : {0, -1, INT32_MIN}) {
        SCOPED_TRACE(frames);
        auto* effect = new LoopEffect(2);
        TestInstance instance(effect);
        Block<TypeParam> in(2, 1, Distinct);
        Block<TypeParam> out(2, 1, [](int, int) { return kUntouched; });
        Process(instance.adapter(), in.get(), out.get(), frames);
        EXPECT_EQ(effect->calls, "B");
        EXPECT_EQ(effect->sampleCalls, 0);
        EXPECT_EQ(out.data[0][0], kUntouched);
    }
}

TYPED_TEST(AudioLoopTest, UntouchedChannelsPassThroughBitExact) {
    const float edgeValues[] = {0.0f,
                                -0.0f,
                                1e-40f,
                                -1e-45f,
                                std::numeric_limits<float>::max(),
                                std::numeric_limits<float>::lowest(),
                                std::numeric_limits<float>::infinity(),
                                -std::numeric_limits<float>::infinity(),
                                std::numeric_limits<float>::quiet_NaN(),
                                0.1f,
                                -0.7f};
    const int frames = static_cast<int>(std::size(edgeValues)) + 5;
    for (int32_t channels : {1, 2, 3, 16, 64}) {
        SCOPED_TRACE(channels);
        auto* effect = new LoopEffect(channels);
        TestInstance instance(effect);
        Block<TypeParam> in(channels, frames, [&](int c, int j) {
            return j < static_cast<int>(std::size(edgeValues)) ? edgeValues[j] * (c % 2 ? -1 : 1)
                                                               : Distinct(c, j);
        });
        Block<TypeParam> out(channels, frames, [](int, int) { return kUntouched; });
        Process(instance.adapter(), in.get(), out.get(), frames);
        EXPECT_EQ(effect->calls, "B");
        EXPECT_EQ(effect->sampleCalls, frames);
        for (int c = 0; c < channels; ++c) {
            SCOPED_TRACE(c);
            EXPECT_EQ(std::memcmp(in.data[c].data(), out.data[c].data(),
                                  sizeof(TypeParam) * static_cast<size_t>(frames)),
                      0);
        }
    }
}

TYPED_TEST(AudioLoopTest, ADenormalReachesTheSampleSectionUnchanged) {
    const TypeParam tiny = std::is_same_v<TypeParam, float> ? TypeParam(1e-40f) : TypeParam(1e-310);
    ASSERT_EQ(std::fpclassify(tiny), FP_SUBNORMAL);
    auto* effect = new LoopEffect(2);
    TestInstance instance(effect);
    std::vector<double> seen;
    effect->onSample = [&](CountingEffect& self) { seen.push_back(self.samples[0]); };
    Block<TypeParam> in(2, 1, [&](int, int) { return tiny; });
    Block<TypeParam> out(2, 1, [](int, int) { return kUntouched; });
    Process(instance.adapter(), in.get(), out.get(), 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], static_cast<double>(tiny));
    EXPECT_NE(seen[0], 0.0);
    EXPECT_EQ(out.data[0][0], tiny);
}

// Each output channel takes the next input channel: only right if every input of a frame is
// read before any output of that frame is written.
TYPED_TEST(AudioLoopTest, InPlaceBuffersSeeEveryInputBeforeAnyOutput) {
    for (int32_t channels : {2, 3, 16}) {
        SCOPED_TRACE(channels);
        auto* effect = new LoopEffect(channels);
        TestInstance instance(effect);
        effect->onSample = [channels](CountingEffect& self) {
            const double first = self.samples[0];
            for (int c = 0; c + 1 < channels; ++c) self.samples[c] = self.samples[c + 1];
            self.samples[channels - 1] = first;
        };
        const int frames = 8;
        Block<TypeParam> buffers(channels, frames, Distinct);
        Process(instance.adapter(), buffers.get(), buffers.get(), frames);
        for (int c = 0; c < channels; ++c) {
            for (int j = 0; j < frames; ++j) {
                SCOPED_TRACE(::testing::Message() << "channel " << c << " frame " << j);
                EXPECT_EQ(buffers.data[c][j], Distinct((c + 1) % channels, j));
            }
        }
    }
}

// The stereo loop must store in the same order as the general one, so two outputs sharing one
// buffer end alike: channel 0 is stored last.
TYPED_TEST(AudioLoopTest, StereoLoopMatchesTheGeneralOrder) {
    const int frames = 6;
    std::vector<std::vector<TypeParam>> shared;
    for (int32_t channels : {2, 3}) {
        SCOPED_TRACE(channels);
        auto* effect = new LoopEffect(channels);
        TestInstance instance(effect);
        effect->onSample = [](CountingEffect& self) {
            const double left = self.samples[0];
            self.samples[0] = self.samples[1] * 2.0;
            self.samples[1] = left - 1.0;
        };
        Block<TypeParam> in(channels, frames, Distinct);
        Block<TypeParam> out(channels, frames, [](int, int) { return kUntouched; });
        Process(instance.adapter(), in.get(), out.get(), frames);
        for (int j = 0; j < frames; ++j) {
            EXPECT_EQ(out.data[0][j], static_cast<TypeParam>(double(Distinct(1, j)) * 2.0));
            EXPECT_EQ(out.data[1][j], static_cast<TypeParam>(double(Distinct(0, j)) - 1.0));
        }
        out.pointers[1] = out.pointers[0];
        Process(instance.adapter(), in.get(), out.get(), frames);
        shared.push_back(out.data[0]);
        for (int j = 0; j < frames; ++j) {
            EXPECT_EQ(out.data[0][j], static_cast<TypeParam>(double(Distinct(1, j)) * 2.0));
        }
    }
    EXPECT_EQ(shared[0], shared[1]);
}

TYPED_TEST(AudioLoopTest, SampleVariablesBeyondTheChannelsAreLeftAlone) {
    auto* effect = new LoopEffect(2);
    TestInstance instance(effect);
    effect->samples[2] = 42.0;
    effect->samples[63] = -8.0;
    std::vector<double> seen;
    effect->onSample = [&](CountingEffect& self) {
        seen.push_back(self.samples[2]);
        self.samples[63] += 1.0;
    };
    Block<TypeParam> in(3, 4, Distinct);
    Block<TypeParam> out(3, 4, [](int, int) { return kUntouched; });
    Process(instance.adapter(), in.get(), out.get(), 4);
    EXPECT_EQ(seen, std::vector<double>(4, 42.0));
    EXPECT_EQ(effect->samples[63], -4.0);
    EXPECT_EQ(out.data[2], std::vector<TypeParam>(4, kUntouched));
}

TYPED_TEST(AudioLoopTest, MoreChannelsThanSampleVariablesAreClamped) {
    const int32_t channels = 100;
    const int frames = 3;
    auto* effect = new LoopEffect(channels);
    TestInstance instance(effect);
    ASSERT_EQ(instance.record()->numInputs, channels);
    Block<TypeParam> in(channels, frames, Distinct);
    Block<TypeParam> out(channels, frames, [](int, int) { return kUntouched; });
    Process(instance.adapter(), in.get(), out.get(), frames);
    EXPECT_EQ(effect->sampleCalls, frames);
    const int32_t used =
        std::is_same_v<TypeParam, float> ? effect->floatPathChannels : effect->doublePathChannels;
    EXPECT_EQ(used, CZoltSamples::kMaxChannels);
    for (int c = 0; c < channels; ++c) {
        SCOPED_TRACE(c);
        if (c < CZoltSamples::kMaxChannels) {
            EXPECT_EQ(out.data[c], in.data[c]);
        } else {
            EXPECT_EQ(out.data[c], std::vector<TypeParam>(frames, kUntouched));
        }
    }
}

// A missing channel reads as silence (input) or is left as it was (output); the call runs as
// usual otherwise, on the general loop and on the two-channel one.
TYPED_TEST(AudioLoopTest, MissingBuffersReadSilentAndAreNotWritten) {
    struct Case {
        const char* what;
        int channels;
        bool nullInputs;
        bool nullOutputs;
        int nullInputChannel;
        int nullOutputChannel;
    };
    const Case cases[] = {
        {"no inputs", 4, true, false, -1, -1},
        {"no outputs", 4, false, true, -1, -1},
        {"input channel 2 missing", 4, false, false, 2, -1},
        {"output channel 0 missing", 4, false, false, -1, 0},
        {"last output channel missing", 4, false, false, -1, 3},
        {"stereo: input 1 and output 0 missing", 2, false, false, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* effect = new LoopEffect(c.channels);
        TestInstance instance(effect);
        Block<TypeParam> in(c.channels, 2, Distinct);
        Block<TypeParam> out(c.channels, 2, [](int, int) { return kUntouched; });
        if (c.nullInputChannel >= 0) in.pointers[static_cast<size_t>(c.nullInputChannel)] = nullptr;
        if (c.nullOutputChannel >= 0) {
            out.pointers[static_cast<size_t>(c.nullOutputChannel)] = nullptr;
        }
        Process(instance.adapter(), c.nullInputs ? nullptr : in.get(),
                c.nullOutputs ? nullptr : out.get(), 2);
        EXPECT_EQ(effect->calls, "B");
        EXPECT_EQ(effect->sampleCalls, 2);
        for (int ch = 0; ch < c.channels; ++ch) {
            SCOPED_TRACE(ch);
            const bool written = !c.nullOutputs && ch != c.nullOutputChannel;
            const bool silent = c.nullInputs || ch == c.nullInputChannel;
            for (int j = 0; j < 2; ++j) {
                const TypeParam want = !written ? kUntouched
                                       : silent ? TypeParam(0)
                                                : static_cast<TypeParam>(Distinct(ch, j));
                EXPECT_EQ(out.data[static_cast<size_t>(ch)][static_cast<size_t>(j)], want);
            }
        }
    }
}

TYPED_TEST(AudioLoopTest, NoAdapterOrNoEffectRunsNothing) {
    Block<TypeParam> in(2, 2, Distinct);
    Block<TypeParam> out(2, 2, [](int, int) { return kUntouched; });
    Process(nullptr, in.get(), out.get(), 2);
    EXPECT_EQ(out.data[0], std::vector<TypeParam>(2, kUntouched));
}

TEST(AudioLoopChannels, CountIsReadOncePerInstanceAndPath) {
    auto* effect = new LoopEffect(2);
    TestInstance instance(effect);
    COrbel* adapter = instance.adapter();
    Block<float> in(4, 2, Distinct);
    Block<float> out(4, 2, [](int, int) { return kUntouched; });
    RuntimeProcessReplacing(adapter, in.get(), out.get(), 2);
    ASSERT_EQ(effect->floatPathChannels, 2);

    // The announced count changes later: the float path keeps the count it read first.
    setNumInputs(adapter, 4);
    RuntimeProcessReplacing(adapter, in.get(), out.get(), 2);
    EXPECT_EQ(effect->floatPathChannels, 2);
    EXPECT_EQ(out.data[1], in.data[1]);
    EXPECT_EQ(out.data[2], std::vector<float>(2, kUntouched));

    // The double path reads the count at its own first call.
    Block<double> inD(4, 2, Distinct);
    Block<double> outD(4, 2, [](int, int) { return kUntouched; });
    RuntimeProcessDoubleReplacing(adapter, inD.get(), outD.get(), 2);
    EXPECT_EQ(effect->doublePathChannels, 4);
    EXPECT_EQ(outD.data[3], inD.data[3]);

    // Another instance reads its own count.
    auto* other = new LoopEffect(3);
    TestInstance otherInstance(other);
    Block<float> out3(4, 2, [](int, int) { return kUntouched; });
    RuntimeProcessReplacing(otherInstance.adapter(), in.get(), out3.get(), 2);
    EXPECT_EQ(other->floatPathChannels, 3);
    EXPECT_EQ(out3.data[2], in.data[2]);
    EXPECT_EQ(out3.data[3], std::vector<float>(2, kUntouched));
}

TEST(AudioLoopChannels, HostRecordProcessesThroughTheAdapter) {
    auto* effect = new LoopEffect(2);
    TestInstance instance(effect);
    effect->onSample = [](CountingEffect& self) { self.samples[1] = -self.samples[1]; };
    Block<float> in(2, 3, Distinct);
    Block<float> out(2, 3, [](int, int) { return kUntouched; });
    AEffect* record = instance.record();
    record->processReplacing(record, in.get(), out.get(), 3);
    EXPECT_EQ(out.data[0], in.data[0]);
    for (int j = 0; j < 3; ++j) EXPECT_EQ(out.data[1][j], -in.data[1][j]);
    EXPECT_EQ(effect->calls, "B");
}

}  // namespace
