// The whole-block router against a model of the per-frame loop it stands in for: random routes
// over 1 to 32 channels (silence, guarded and plain copies from any channel), buffers that are
// separate, the same as their input, shared between channels or left out, lengths on every
// copy path, on the vector path and the baseline one; half the calls repeat the last call's
// buffers (and mostly its routes) with new samples, as hosts do. Where the router takes a call it
// must leave the model's bytes and last-frame values; where it declines it must write nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "runtime/channel_routes.h"
#include "runtime/vector_path.h"
#include "tests/runtime/sample_format.h"

namespace {

// Ordinary values mostly, with NaN (quiet and signalling), infinities, denormals and zeros of
// both signs now and then.
template <typename Sample>
Sample RandomSample(std::mt19937_64& rng) {
    using Word = typename SampleFormat<Sample>::Word;
    const Word sign = (rng() & 1) ? Word{1} << (sizeof(Word) * 8 - 1) : 0;
    switch (rng() % 12) {
        case 0:
            return FromBits<Sample>(sign | SampleFormat<Sample>::kExponent);  // infinity
        case 1:
            return FromBits<Sample>(sign | SampleFormat<Sample>::kExponent | (Word(rng()) | 1));
        case 2:
            return FromBits<Sample>(sign |
                                    (Word(rng()) & (SampleFormat<Sample>::kExponent >> 1) >> 8));
        case 3:
            return FromBits<Sample>(sign);
        default:
            return static_cast<Sample>(std::uniform_real_distribution<double>(-2, 2)(rng));
    }
}

// The per-frame loop: every input of a frame read (a missing one as +0.0) before any output of
// the frame is stored, outputs stored from the last channel down, so the lowest channel of a
// shared buffer keeps its value. Samples move as bit patterns, so no conversion touches them.
template <typename Sample>
void Model(const std::vector<ChannelRoute>& routes, Sample** in, Sample** out, int32_t frames,
           double* last) {
    using Word = typename SampleFormat<Sample>::Word;
    const size_t channels = routes.size();
    std::vector<Word> read(channels), frame(channels);
    for (int32_t j = 0; j < frames; ++j) {
        for (size_t c = 0; c < channels; ++c) {
            read[c] = 0;
            if (in[c]) std::memcpy(&read[c], in[c] + j, sizeof(Word));
        }
        for (size_t c = 0; c < channels; ++c) {
            const ChannelRoute& r = routes[c];
            const Word v = r.kind == ChannelRoute::kSilence ? 0 : read[r.input];
            const bool bad =
                (v & SampleFormat<Sample>::kExponent) == SampleFormat<Sample>::kExponent;
            frame[c] = r.kind == ChannelRoute::kGuardedCopy && bad ? 0 : v;
        }
        for (size_t c = channels; c-- > 0;) {
            if (out[c]) std::memcpy(out[c] + j, &frame[c], sizeof(Word));
        }
    }
    for (size_t c = 0; frames > 0 && c < channels; ++c) {
        last[c] = static_cast<double>(FromBits<Sample>(frame[c]));
    }
}

// kNear: every channel's buffer a few samples after the last one's in one arena, so that
// longer blocks overlap.
enum class Layout { kSeparate, kInPlace, kShared, kNear };
constexpr int kLayouts = 4;

// One call's buffers: every channel's input and output points into one pool of whole buffers,
// each of which holds at least `most` samples from every pointer into it.
template <typename Sample>
struct Call {
    std::vector<std::vector<Sample>> pool;
    std::vector<Sample*> in, out;
    int32_t most = 0;
};

// holes: now and then a channel without a buffer, as some hosts pass.
template <typename Sample>
Call<Sample> MakeCall(std::mt19937_64& rng, Layout layout, int32_t channels, int32_t frames,
                      bool holes) {
    Call<Sample> call;
    call.most = std::max(frames, 1);
    const auto spacing = static_cast<size_t>(1 + rng() % static_cast<uint64_t>(call.most));
    if (layout == Layout::kNear) {
        call.pool.assign(1, std::vector<Sample>(static_cast<size_t>(2 * channels - 1) * spacing +
                                                static_cast<size_t>(call.most)));
    } else {
        call.pool.assign(static_cast<size_t>(2 * channels),
                         std::vector<Sample>(static_cast<size_t>(call.most)));
    }
    for (auto& buffer : call.pool) {
        for (Sample& s : buffer) s = RandomSample<Sample>(rng);
    }
    for (int32_t c = 0; c < channels; ++c) {
        Sample* input;
        Sample* output;
        if (layout == Layout::kNear) {
            input = call.pool[0].data() + static_cast<size_t>(c) * spacing;
            output = call.pool[0].data() + static_cast<size_t>(channels + c) * spacing;
        } else {
            input = call.pool[static_cast<size_t>(c)].data();
            output = call.pool[static_cast<size_t>(channels + c)].data();
        }
        if (layout == Layout::kInPlace) output = input;
        if (layout == Layout::kShared) {
            input = call.pool[rng() % call.pool.size()].data();
            output = call.pool[rng() % call.pool.size()].data();
        }
        call.in.push_back(holes && rng() % 16 == 0 ? nullptr : input);
        call.out.push_back(holes && rng() % 16 == 0 ? nullptr : output);
    }
    return call;
}

template <typename Sample>
class ChannelRouterTest : public ::testing::Test {
  protected:
    ~ChannelRouterTest() override { ForceScalarPath(false); }
};
using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(ChannelRouterTest, SampleTypes);

TYPED_TEST(ChannelRouterTest, MatchesThePerFrameLoopOrWritesNothing) {
    using Sample = TypeParam;
    std::mt19937_64 rng(sizeof(Sample) * 77 + 5);
    // Lengths on every copy path: below one vector step, the short and long vector moves, the
    // library's beyond them.
    const int32_t lengths[] = {0, 1, 3, 7, 8, 16, 31, 32, 33, 64, 127, 128, 200, 300, 1000};
    int taken = 0;
    for (bool scalar : {false, true}) {
        if (!scalar && !VectorPathSupported()) continue;
        SCOPED_TRACE(scalar ? "baseline" : "vector path");
        ForceScalarPath(scalar);
        ChannelRouter router;  // one router for many calls: plans are kept and reused
        int32_t channels = 0;
        Layout layout = Layout::kSeparate;
        std::vector<ChannelRoute> routes;
        Call<Sample> call;
        auto randomRoutes = [&] {
            routes.assign(static_cast<size_t>(channels), ChannelRoute{});
            for (ChannelRoute& r : routes) {
                r.kind = static_cast<ChannelRoute::Kind>(rng() % 3);
                r.input = static_cast<uint8_t>(rng() % 4 == 0 ? 0 : rng() % channels);
            }
        };
        for (int i = 0; i < 1400 && !::testing::Test::HasFailure(); ++i) {
            int32_t frames = lengths[rng() % std::size(lengths)];
            if (channels > 0 && rng() % 2 == 0) {
                // As hosts call: the last call's buffers again, mostly with its routes, new
                // samples and any length the buffers hold.
                frames = std::min(frames, call.most);
                for (auto& buffer : call.pool) {
                    for (Sample& s : buffer) s = RandomSample<Sample>(rng);
                }
                if (rng() % 4 == 0) randomRoutes();
            } else {
                // Half like a plug-in's host: 16 channels or more, every buffer there.
                const bool hostLike = rng() % 2 == 0;
                channels = static_cast<int32_t>(hostLike ? 16 + rng() % (kMaxRoutedChannels - 15)
                                                         : 1 + rng() % kMaxRoutedChannels);
                layout = static_cast<Layout>(rng() % kLayouts);
                randomRoutes();
                call = MakeCall<Sample>(rng, layout, channels, frames, !hostLike);
            }
            Call<Sample> expected = call;
            // The copy's pointers lead into its own pool.
            for (size_t c = 0; c < expected.in.size(); ++c) {
                auto rebase = [&](Sample* p) -> Sample* {
                    for (size_t b = 0; p && b < call.pool.size(); ++b) {
                        const Sample* start = call.pool[b].data();
                        if (p >= start && p < start + call.pool[b].size())
                            return expected.pool[b].data() + (p - start);
                    }
                    return nullptr;
                };
                expected.in[c] = rebase(call.in[c]);
                expected.out[c] = rebase(call.out[c]);
            }
            std::vector<double> last(static_cast<size_t>(channels), -1.0);
            std::vector<double> expectedLast = last;
            Model(routes, expected.in.data(), expected.out.data(), frames, expectedLast.data());
            const auto before = call.pool;
            const bool took = router.Route(routes.data(), call.in.data(), call.out.data(), channels,
                                           frames, last.data());
            SCOPED_TRACE(::testing::Message()
                         << "call " << i << ", " << channels << " channels, " << frames
                         << " frames, layout " << static_cast<int>(layout));
            const auto& want = took ? expected.pool : before;
            for (size_t b = 0; b < want.size(); ++b) {
                ASSERT_EQ(std::memcmp(want[b].data(), call.pool[b].data(),
                                      sizeof(Sample) * want[b].size()),
                          0)
                    << "buffer " << b
                    << (took ? " differs from the per-frame loop" : " written by a declined call");
            }
            if (!took || frames == 0) continue;
            ++taken;
            for (int32_t c = 0; c < channels; ++c) {
                const double a = expectedLast[static_cast<size_t>(c)];
                const double b = last[static_cast<size_t>(c)];
                EXPECT_TRUE(BitsOf(a) == BitsOf(b) || (std::isnan(a) && std::isnan(b)))
                    << "last value of channel " << c << ": " << a << " against " << b;
            }
        }
    }
    // A router that declined everything would compare nothing.
    EXPECT_GT(taken, 1000);
}

}  // namespace
