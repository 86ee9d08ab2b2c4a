// The router's block path against its per-frame loop, byte for byte: the same call, on the
// same state and the same buffer bytes, once through the per-frame loop and once through the
// block path (with the AVX2 copies and with the baseline ones). Outputs, every byte around and
// between the buffers, and the variables a call leaves behind must agree; the one allowed
// difference is a signalling NaN that the block path copies as it is where the per-frame
// loop's conversions quiet it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "../runtime/test_host.h"
#include "effect/router.h"
#include "runtime/audio_loop.h"
#include "runtime/vector_path.h"
#include "tests/plugin/routing_model.h"
#include "tests/runtime/sample_format.h"

namespace {

constexpr int kChannels = 16;

// The router with its per-frame section counted, which tells the path a call took.
class CountingRouter : public TZoltEffect {
  public:
    void RunSample() override {
        ++sampleCalls;
        TZoltEffect::RunSample();
    }
    int64_t sampleCalls = 0;
};

template <typename Sample>
bool IsSignalling(Sample x) {
    using T = SampleFormat<Sample>;
    const auto w = BitsOf(x);
    return (w & T::kExponent) == T::kExponent && !(w & T::kQuiet) && (w & (T::kQuiet - 1)) != 0;
}
// Equal bytes, or the block path's signalling NaN where the per-frame loop left it quieted.
template <typename Sample>
bool SameOrQuieted(Sample reference, Sample block) {
    const auto r = BitsOf(reference);
    const auto b = BitsOf(block);
    return r == b || (IsSignalling(block) && r == (b | SampleFormat<Sample>::kQuiet));
}

// Samples a host may hand over: ordinary values of every magnitude, zeros of both signs,
// denormals, infinities, quiet and signalling NaNs with payloads.
template <typename Sample>
Sample RandomSample(std::mt19937_64& rng) {
    using T = SampleFormat<Sample>;
    using Word = typename T::Word;
    using Limits = std::numeric_limits<Sample>;
    const Word payload = static_cast<Word>(rng()) & (T::kQuiet - 1);
    const Word sign = (rng() & 1) ? BitsOf(Sample(-0.0)) : Word{0};
    switch (rng() % 16) {
        case 0:
            return FromBits<Sample>(sign);  // +-0
        case 1:
            return FromBits<Sample>(sign | (payload | 1));  // denormal
        case 2:
            return FromBits<Sample>(sign | T::kExponent);  // +-inf
        case 3:
            return FromBits<Sample>(sign | T::kExponent | T::kQuiet | payload);  // quiet NaN
        case 4:
            return FromBits<Sample>(sign | T::kExponent | (payload | 1));  // signalling NaN
        case 5:
            return (rng() & 1) ? Limits::max() : Limits::denorm_min();
        case 6:
            return FromBits<Sample>(static_cast<Word>(rng()));  // any bits
        default:
            return static_cast<Sample>(std::uniform_real_distribution<double>(-1.0, 1.0)(rng));
    }
}

// A switch as a restored chunk may leave it: only exactly 1.0 is on.
double RandomSwitch(std::mt19937_64& rng) {
    static const double kValues[] = {1.0, 1.0, 1.0, 0.0, 0.0, 0.999, 2.0, -1.0, NAN};
    return kValues[rng() % (sizeof kValues / sizeof kValues[0])];
}

enum class Layout {
    kSeparate,      // 32 buffers, starts at any sample
    kInPlace,       // each output on its own input
    kHostLike,      // unused inputs share one silent buffer, unused outputs one scratch buffer
    kSharing,       // any slot may reuse any earlier slot's buffer
    kSwapped,       // outputs of two passed-through channels on each other's inputs
    kPartlyShared,  // two buffers overlapping by part of the block
};
const char* Name(Layout layout) {
    static const char* kNames[] = {"separate", "in place", "host-like",
                                   "sharing",  "swapped",  "partly shared"};
    return kNames[static_cast<int>(layout)];
}

// One call: buffers as offsets into an arena whose other samples are the guard zones.
template <typename Sample>
struct Call {
    std::vector<Sample> arena;
    size_t in[kChannels] = {};
    size_t out[kChannels] = {};
    int32_t frames = 0;
    double switches[TZoltEffect::kBusCount] = {};
    Layout layout = Layout::kSeparate;
    uint32_t missingIn = 0;  // channels whose pointer the host leaves null
    uint32_t missingOut = 0;
};

template <typename Sample>
class Builder {
  public:
    Builder(Call<Sample>& call, std::mt19937_64& rng) : call_(call), rng_(rng) {}
    // A buffer of its own, after a gap, starting at any sample.
    size_t Fresh(size_t length) {
        end_ += 1 + rng_() % 8;
        const size_t start = end_;
        end_ += length;
        return start;
    }
    // Fills the arena; ordinary audio has no NaN or infinity at all, or one now and then.
    void Finish() {
        call_.arena.resize(end_ + 1 + rng_() % 8);
        for (Sample& s : call_.arena) s = RandomSample<Sample>(rng_);
        const uint64_t mode = rng_() % 3;
        if (mode == 0) return;
        for (Sample& s : call_.arena) {
            if (!std::isfinite(s)) s = Sample(0.5);
        }
        if (mode == 2) {
            call_.arena[rng_() % call_.arena.size()] = std::numeric_limits<Sample>::infinity();
        }
    }

  private:
    Call<Sample>& call_;
    std::mt19937_64& rng_;
    size_t end_ = 0;
};

template <typename Sample>
Call<Sample> MakeCall(std::mt19937_64& rng, Layout layout, int32_t frames) {
    Call<Sample> call;
    call.layout = layout;
    call.frames = frames;
    Builder<Sample> b(call, rng);
    const auto length = static_cast<size_t>(frames);
    size_t silent = 0;
    size_t scratch = 0;
    if (layout == Layout::kHostLike) {
        silent = b.Fresh(length);
        scratch = b.Fresh(length);
    }
    for (int c = 0; c < kChannels; ++c) {
        switch (layout) {
            case Layout::kSeparate:
            case Layout::kSwapped:
            case Layout::kPartlyShared:
                call.in[c] = b.Fresh(length);
                call.out[c] = b.Fresh(length);
                break;
            case Layout::kInPlace:
                call.in[c] = call.out[c] = b.Fresh(length);
                break;
            case Layout::kHostLike: {
                const bool used = c < 2 || rng() % 2;
                call.in[c] = used ? b.Fresh(length) : silent;
                call.out[c] =
                    !used && rng() % 2 ? scratch : (rng() % 2 ? call.in[c] : b.Fresh(length));
                if (call.out[c] == silent) call.out[c] = scratch;
                break;
            }
            case Layout::kSharing: {
                // Slot 2c is input c, slot 2c + 1 output c.
                auto pick = [&](int slot) {
                    if (slot == 0 || rng() % 3 == 0) return b.Fresh(length);
                    const int earlier = static_cast<int>(rng() % static_cast<uint64_t>(slot));
                    return earlier % 2 ? call.out[earlier / 2] : call.in[earlier / 2];
                };
                call.in[c] = pick(2 * c);
                call.out[c] = pick(2 * c + 1);
                break;
            }
        }
    }
    if (layout == Layout::kSwapped) {
        // Two channels of buses 2..8 each written onto the other's input.
        const int a = 2 + static_cast<int>(rng() % 14);
        const int d = 2 + (a - 2 + 1 + static_cast<int>(rng() % 13)) % 14;
        call.out[a] = call.in[d];
        call.out[d] = call.in[a];
    }
    if (layout == Layout::kPartlyShared) {
        // One buffer starts inside another one.
        const size_t region = b.Fresh(2 * length);
        const int first = static_cast<int>(rng() % 32);
        const int second = (first + 1 + static_cast<int>(rng() % 31)) % 32;
        auto slot = [&](int s) -> size_t& { return s < 16 ? call.in[s] : call.out[s - 16]; };
        slot(first) = region;
        slot(second) = region + 1 + rng() % (length - 1);
    }
    b.Finish();
    for (double& s : call.switches) s = RandomSwitch(rng);
    return call;
}

// What a call leaves besides the buffers.
struct Variables {
    double samples[CZoltSamples::kMaxChannels];
    double inputLeft;
    double inputRight;
    double host[12];
};

double* HostVariable(TZoltEffect& e, int i) {
    StandardVariables& v = e.vars;
    double* all[12] = {&v.sampleRate,
                       &v.hostSampleRate,
                       &v.numChannels,
                       &v.hostNumChannels,
                       &v.blockSize,
                       &v.hostBlockSize,
                       &v.tempo,
                       &v.hostTempo,
                       &v.timeSigNumerator,
                       &v.hostTimeSigNumerator,
                       &v.timeSigDenominator,
                       &v.hostTimeSigDenominator};
    return all[i];
}

Variables Read(TZoltEffect& e) {
    Variables v;
    std::memcpy(v.samples, e.samples, sizeof v.samples);
    v.inputLeft = e.inputLeft;
    v.inputRight = e.inputRight;
    for (int i = 0; i < 12; ++i) v.host[i] = *HostVariable(e, i);
    return v;
}

void Write(TZoltEffect& e, const Variables& v) {
    std::memcpy(e.samples, v.samples, sizeof v.samples);
    e.inputLeft = v.inputLeft;
    e.inputRight = v.inputRight;
    for (int i = 0; i < 12; ++i) *HostVariable(e, i) = v.host[i];
}

Variables RandomVariables(std::mt19937_64& rng) {
    Variables v;
    for (double& s : v.samples) s = RandomSample<double>(rng);
    v.inputLeft = RandomSample<double>(rng);
    v.inputRight = RandomSample<double>(rng);
    for (double& h : v.host) h = RandomSample<double>(rng);
    return v;
}

template <typename Sample>
std::string Describe(const Call<Sample>& call) {
    return std::string(SampleFormat<Sample>::kName) + ", " + Name(call.layout) + ", " +
           std::to_string(call.frames) + " frames";
}

void Process(COrbel* adapter, float** in, float** out, int32_t frames) {
    RuntimeProcessReplacing(adapter, in, out, frames);
}
void Process(COrbel* adapter, double** in, double** out, int32_t frames) {
    RuntimeProcessDoubleReplacing(adapter, in, out, frames);
}

// The router opened and resumed as a host does, and the paths each run takes.
class Router {
  public:
    Router() : effect_(new CountingRouter), instance_(effect_) {
        instance_.Dispatch(effOpen);
        instance_.Dispatch(effMainsChanged, 0, 1);
    }
    ~Router() {
        ForcePerFrameLoop(false);
        ForceScalarPath(false);
    }
    CountingRouter& effect() { return *effect_; }
    TestInstance& instance() { return instance_; }
    // Host requests the last call made (the block section asks for the time).
    size_t requests() const { return requests_; }

    // Runs the call on a copy of its arena from the given variables; answers the arena after
    // the call and counts the per-frame sections it ran.
    template <typename Sample>
    std::vector<Sample> Run(const Call<Sample>& call, const Variables& before, int64_t& sections) {
        std::vector<Sample> arena = call.arena;
        Sample* in[kChannels];
        Sample* out[kChannels];
        for (int c = 0; c < kChannels; ++c) {
            in[c] = call.missingIn >> c & 1 ? nullptr : arena.data() + call.in[c];
            out[c] = call.missingOut >> c & 1 ? nullptr : arena.data() + call.out[c];
        }
        for (int bus = 0; bus < TZoltEffect::kBusCount; ++bus) {
            effect_->sliderValues[2 * bus + 1] = call.switches[bus];
        }
        Write(*effect_, before);
        effect_->sampleCalls = 0;
        Process(instance_.adapter(), in, out, call.frames);
        sections = effect_->sampleCalls;
        requests_ = TestHost::requests.size();
        TestHost::requests.clear();
        return arena;
    }

  private:
    CountingRouter* effect_;
    TestInstance instance_;
    size_t requests_ = 0;
};

// Which arena samples some output range covers.
template <typename Sample>
std::vector<bool> Written(const Call<Sample>& call) {
    std::vector<bool> written(call.arena.size(), false);
    for (int c = 0; c < kChannels; ++c) {
        if (call.missingOut >> c & 1) continue;
        for (size_t j = 0; j < static_cast<size_t>(call.frames); ++j)
            written[call.out[c] + j] = true;
    }
    return written;
}

// The outputs after a call against the routing model: a bus that is on carries inputs 1/2 with
// NaN and infinities as +0.0, a missing input reads +0.0, and where outputs share a buffer the
// lowest channel's value is the one that stays. Missing outputs are left to CompareCall.
template <typename Sample>
::testing::AssertionResult RoutedAsModel(const Call<Sample>& call,
                                         const std::vector<Sample>& after) {
    BusSwitches on{};
    for (int bus = 0; bus < 8; ++bus) on[static_cast<size_t>(bus)] = call.switches[bus] == 1.0;
    for (int c = 0; c < kChannels; ++c) {
        bool shadowed = call.missingOut >> c & 1;
        for (int d = 0; d < c; ++d) {
            shadowed = shadowed || (!(call.missingOut >> d & 1) && call.out[d] == call.out[c]);
        }
        if (shadowed) continue;
        const int source = SourceChannel(c, on);
        const bool silent = source == kSilence || call.missingIn >> source & 1;
        for (size_t j = 0; j < static_cast<size_t>(call.frames); ++j) {
            const Sample in = silent ? Sample(0) : call.arena[call.in[source] + j];
            const Sample want =
                on[static_cast<size_t>(c / 2)] && !std::isfinite(in) ? Sample(0) : in;
            // The per-frame loop's conversions may quiet a signalling NaN.
            const Sample got = after[call.out[c] + j];
            if (!SameOrQuieted(want, got) && !SameOrQuieted(got, want)) {
                return ::testing::AssertionFailure()
                       << "channel " << c << " frame " << j << ": got " << std::hexfloat << got
                       << ", expected " << want;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Runs one call through both paths and compares; answers whether the block path took it.
template <typename Sample>
bool CompareCall(Router& router, const Call<Sample>& call, const Variables& before) {
    SCOPED_TRACE(Describe(call));
    ForcePerFrameLoop(true);
    int64_t referenceSections = 0;
    const std::vector<Sample> reference = router.Run(call, before, referenceSections);
    const Variables referenceAfter = Read(router.effect());
    EXPECT_EQ(referenceSections, call.frames);
    ForcePerFrameLoop(false);

    const std::vector<bool> written = Written(call);
    bool tookBlock = true;
    for (bool scalar : {false, true}) {
        if (!scalar && !VectorPathSupported()) continue;
        SCOPED_TRACE(scalar ? "baseline copies" : "AVX2 copies");
        ForceScalarPath(scalar);
        int64_t sections = 0;
        const std::vector<Sample> block = router.Run(call, before, sections);
        const Variables after = Read(router.effect());
        ForceScalarPath(false);
        tookBlock = sections == 0;
        if (!tookBlock) {
            EXPECT_EQ(sections, call.frames);
        }
        int mismatches = 0;
        for (size_t i = 0; i < block.size() && mismatches < 3; ++i) {
            if (!SameOrQuieted(reference[i], block[i])) {
                ++mismatches;
                ADD_FAILURE() << "arena sample " << i << ": per-frame " << std::hexfloat
                              << reference[i] << ", block " << block[i];
            }
            // Outside the outputs nothing may change at all, whatever the path.
            if (!written[i] && BitsOf(block[i]) != BitsOf(call.arena[i])) {
                ++mismatches;
                ADD_FAILURE() << "arena sample " << i << " outside every output changed";
            }
        }
        for (int c = 0; c < CZoltSamples::kMaxChannels; ++c) {
            EXPECT_EQ(BitsOf(after.samples[c]), BitsOf(referenceAfter.samples[c]))
                << "samples[" << c << "]";
        }
        EXPECT_EQ(BitsOf(after.inputLeft), BitsOf(referenceAfter.inputLeft));
        EXPECT_EQ(BitsOf(after.inputRight), BitsOf(referenceAfter.inputRight));
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(BitsOf(after.host[i]), BitsOf(referenceAfter.host[i]))
                << "host variable " << i;
        }
    }
    return tookBlock;
}

template <typename Sample>
class RouterBlockTest : public ::testing::Test {};
using SampleTypes = ::testing::Types<float, double>;
TYPED_TEST_SUITE(RouterBlockTest, SampleTypes);

// Every combination of the eight switches, on the layouts hosts use, over a block long
// enough for the vector loops and their tails.
TYPED_TEST(RouterBlockTest, EverySwitchCombinationMatchesThePerFrameLoop) {
    Router router;
    std::mt19937_64 rng(256);
    for (Layout layout : {Layout::kSeparate, Layout::kInPlace, Layout::kHostLike}) {
        for (int combination = 0; combination < 256; ++combination) {
            Call<TypeParam> call = MakeCall<TypeParam>(rng, layout, 37);
            for (int bus = 0; bus < 8; ++bus)
                call.switches[bus] = combination >> bus & 1 ? 1.0 : 0.0;
            SCOPED_TRACE(combination);
            EXPECT_TRUE(CompareCall(router, call, RandomVariables(rng)));
        }
    }
}

// Buffers no block order can serve go through the per-frame loop, with its bytes.
TYPED_TEST(RouterBlockTest, OverlapsAndCirclesTakeThePerFrameLoop) {
    Router router;
    std::mt19937_64 rng(7);
    for (int i = 0; i < 200; ++i) {
        const int32_t frames = 2 + static_cast<int32_t>(rng() % 70);
        Call<TypeParam> partly = MakeCall<TypeParam>(rng, Layout::kPartlyShared, frames);
        EXPECT_FALSE(CompareCall(router, partly, RandomVariables(rng)));
        Call<TypeParam> swapped = MakeCall<TypeParam>(rng, Layout::kSwapped, frames);
        for (double& s : swapped.switches) s = 0.0;
        EXPECT_FALSE(CompareCall(router, swapped, RandomVariables(rng)));
    }
}

// Random calls: layouts, sizes from 0 to 4097, switches, samples and variables.
TYPED_TEST(RouterBlockTest, RandomCallsMatchThePerFrameLoop) {
    Router router;
    std::mt19937_64 rng(sizeof(TypeParam) * 1000 + 13);
    const Layout layouts[] = {Layout::kSeparate, Layout::kInPlace, Layout::kHostLike,
                              Layout::kSharing,  Layout::kSwapped, Layout::kPartlyShared};
    int blockCalls = 0;
    int sharingBlockCalls = 0;
    for (int i = 0; i < 2500; ++i) {
        const uint64_t sizeClass = rng() % 20;
        int32_t frames = static_cast<int32_t>(sizeClass == 0  ? rng() % 4098
                                              : sizeClass < 5 ? rng() % 600
                                                              : rng() % 70);
        if (i < 4) frames = i == 0 ? 0 : i == 1 ? 4097 : i == 2 ? 4096 : 1;
        Layout layout = layouts[rng() % 6];
        if (layout == Layout::kPartlyShared && frames < 2) layout = Layout::kSharing;
        const Call<TypeParam> call = MakeCall<TypeParam>(rng, layout, frames);
        const bool tookBlock = CompareCall(router, call, RandomVariables(rng));
        blockCalls += tookBlock;
        sharingBlockCalls += tookBlock && layout == Layout::kSharing;
        if (layout <= Layout::kHostLike) {
            EXPECT_TRUE(tookBlock);
        }
        if (layout == Layout::kPartlyShared) {
            EXPECT_FALSE(tookBlock);
        }
        if (::testing::Test::HasFailure()) break;
    }
    // Most random sharing is orderable; a test that always fell back would compare nothing.
    EXPECT_GT(blockCalls, 1000);
    EXPECT_GT(sharingBlockCalls, 100);
}

// The same buffers call after call, as hosts hand them over: switches flipped between calls,
// and blocks that grow until two buffers a fixed distance apart share samples.
TYPED_TEST(RouterBlockTest, RepeatedBuffersFollowTheirSwitchesAndSizes) {
    Router router;
    std::mt19937_64 rng(99);
    // Buffers of 200 samples; output 4 moves within input 9's, the rest stays.
    Call<TypeParam> call = MakeCall<TypeParam>(rng, Layout::kSeparate, 200);
    const size_t input9 = call.in[9];
    const struct {
        size_t distance;  // of output 4 after input 9
        int32_t frames;
    } steps[] = {{40, 1},  {40, 17}, {40, 40}, {40, 41}, {40, 64}, {40, 40},
                 {10, 20}, {0, 20},  {10, 10}, {10, 11}, {40, 3}};
    for (const auto& step : steps) {
        call.out[4] = input9 + step.distance;
        call.frames = step.frames;
        const bool apart = step.distance == 0 || step.frames <= static_cast<int32_t>(step.distance);
        for (int combination : {0, 255, 0x55, 0xaa, 2, 0}) {
            for (int bus = 0; bus < 8; ++bus)
                call.switches[bus] = combination >> bus & 1 ? 1.0 : 0.0;
            SCOPED_TRACE(std::to_string(step.distance) + " apart, buses " +
                         std::to_string(combination));
            EXPECT_EQ(CompareCall(router, call, RandomVariables(rng)), apart);
        }
    }
}

// Switch values restored from a chunk: exactly 1.0 is on, 0.999, 2.0, -1.0 and NaN are off.
// Checked against the outputs themselves as well as against the per-frame loop.
TYPED_TEST(RouterBlockTest, RestoredSwitchValuesRouteAsThePerFrameLoop) {
    Router router;
    const float switches[8] = {1.0f, 0.999f, 2.0f, -1.0f, NAN, 1.0f, 0.0f, 1.0f};
    std::vector<float> chunk(65, 0.0f);
    chunk[0] = -1000.0f;
    for (int bus = 1; bus <= 8; ++bus) chunk[static_cast<size_t>(2 * bus - 1)] = switches[bus - 1];
    const auto size = static_cast<intptr_t>(chunk.size() * sizeof(float));
    ASSERT_EQ(router.instance().Dispatch(effSetChunk, 0, size, chunk.data()), size);
    std::mt19937_64 rng(65);
    for (Layout layout : {Layout::kSeparate, Layout::kInPlace, Layout::kHostLike}) {
        Call<TypeParam> call = MakeCall<TypeParam>(rng, layout, 45);
        for (int bus = 0; bus < 8; ++bus)
            call.switches[bus] = router.effect().sliderValues[2 * bus + 1];
        for (int bus = 0; bus < 8; ++bus) {
            // Restored as exactly 0 or 1, by the rule the routing uses.
            EXPECT_EQ(call.switches[bus], switches[bus] == 1.0f ? 1.0 : 0.0) << "bus " << bus + 1;
        }
        EXPECT_TRUE(CompareCall(router, call, RandomVariables(rng)));
        int64_t sections = 0;
        EXPECT_TRUE(RoutedAsModel(call, router.Run(call, RandomVariables(rng), sections)));
    }
}

// Null channel pointers, as a host that leaves channels out passes them: on both paths a
// missing input reads as silence, a missing output keeps its bytes, and the rest of the call
// runs as usual, the block section included.
TYPED_TEST(RouterBlockTest, MissingChannelBuffersReadSilentAndAreLeftAlone) {
    Router router;
    std::mt19937_64 rng(404);
    const Layout layouts[] = {Layout::kSeparate, Layout::kInPlace, Layout::kHostLike,
                              Layout::kSharing};
    for (int i = 0; i < 400; ++i) {
        Call<TypeParam> call =
            MakeCall<TypeParam>(rng, layouts[i % 4], 1 + static_cast<int32_t>(rng() % 80));
        // About a quarter of the channels each side; now and then all of them.
        call.missingIn = i % 50 == 1 ? 0xffff : static_cast<uint32_t>(rng() & rng() & 0xffff);
        call.missingOut = i % 50 == 2 ? 0xffff : static_cast<uint32_t>(rng() & rng() & 0xffff);
        for (double& s : call.switches) s = rng() % 2 ? 1.0 : 0.0;
        // Both paths leave the same bytes (CompareCall), and those are the model's.
        EXPECT_TRUE(CompareCall(router, call, RandomVariables(rng)) ||
                    layouts[i % 4] == Layout::kSharing);
        int64_t sections = 0;
        EXPECT_TRUE(RoutedAsModel(call, router.Run(call, RandomVariables(rng), sections)))
            << Describe(call);
        EXPECT_GT(router.requests(), 0u) << "the block section did not run";
        if (::testing::Test::HasFailure()) break;
    }
}

}  // namespace
