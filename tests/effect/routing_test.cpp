// The routing as a host hears it, in both precisions: which input reaches which output,
// bit for bit, whatever buffers the host passes.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "tests/plugin/routing_model.h"
#include "tests/plugin/scripted_host.h"

namespace {

template <typename Sample>
class Routing : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.valid());
        plugin.Start();
    }

    // A block length that is no power of two, as hosts with odd buffer sizes send.
    static constexpr int kFrames = 37;

    ScriptedHost host;
    HostedEffect plugin{host};
};

using Precisions = ::testing::Types<float, double>;
TYPED_TEST_SUITE(Routing, Precisions);

struct RoutingCase {
    const char* what;
    std::vector<int> busesOn;
};

const RoutingCase kRoutingCases[] = {
    {"all off", {}},
    {"all on", {1, 2, 3, 4, 5, 6, 7, 8}},
    {"bus 1 only", {1}},
    {"bus 5 only", {5}},
    {"bus 8 only", {8}},
    {"odd buses", {1, 3, 5, 7}},
    {"even buses", {2, 4, 6, 8}},
    {"buses 2 and 7", {2, 7}},
    {"all off again", {}},
};

TYPED_TEST(Routing, StartsWithEverySwitchOff) {
    AudioBlock<TypeParam> block(this->kFrames);
    block.FillDistinctInputs();
    this->plugin.Process(block);
    EXPECT_TRUE(OutputsRouted(block, block, SwitchesFor({})));
}

TYPED_TEST(Routing, FollowsTheSwitchesFromTheNextBlock) {
    for (const RoutingCase& c : kRoutingCases) {
        SCOPED_TRACE(c.what);
        this->plugin.SetBuses(c.busesOn);
        const BusSwitches on = SwitchesFor(c.busesOn);
        for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) {
            EXPECT_EQ(this->plugin.GetParameter(i), on[static_cast<size_t>(i)] ? 1.0f : 0.0f);
        }
        AudioBlock<TypeParam> block(this->kFrames);
        block.FillDistinctInputs();
        block.FillOutputs(TypeParam(12345));
        this->plugin.Process(block);
        EXPECT_TRUE(OutputsRouted(block, block, on));
    }
}

TYPED_TEST(Routing, NonFiniteInputBecomesSilenceOnlyWhereTheRouterCopiesIt) {
    using S = TypeParam;
    const S nan = std::numeric_limits<S>::quiet_NaN();
    const S inf = std::numeric_limits<S>::infinity();
    this->plugin.SetBuses({1, 3});
    AudioBlock<S> block(5);
    block.FillDistinctInputs();
    block.in(0, 0) = nan;
    block.in(0, 1) = inf;
    block.in(0, 2) = -inf;
    block.in(1, 3) = nan;
    // Bus 2 is off: its channels are not the router's business.
    block.in(2, 0) = nan;
    block.in(2, 1) = -inf;
    block.in(3, 2) = inf;
    this->plugin.Process(block);

    for (int j = 0; j < block.frames(); ++j) {
        SCOPED_TRACE(j);
        for (int left : {0, 4}) {
            const S expected = std::isfinite(block.in(0, j)) ? block.in(0, j) : S(0);
            EXPECT_EQ(Bits(block.Output(left, j)), Bits(expected)) << "output " << left + 1;
        }
        for (int right : {1, 5}) {
            const S expected = std::isfinite(block.in(1, j)) ? block.in(1, j) : S(0);
            EXPECT_EQ(Bits(block.Output(right, j)), Bits(expected)) << "output " << right + 1;
        }
        for (int c : {2, 3, 6, 7, 8, 15}) {
            EXPECT_EQ(Bits(block.Output(c, j)), Bits(block.in(c, j))) << "output " << c + 1;
        }
    }
}

TYPED_TEST(Routing, CopiesTinyAndSignedValuesExactly) {
    using S = TypeParam;
    using Limits = std::numeric_limits<S>;
    // 1e-40f and 4.9e-324 are the denormals of each precision that hosts do send.
    const S denormal = sizeof(S) == 4 ? S(1e-40f) : S(4.9e-324);
    const std::vector<S> values = {denormal,         -denormal,        Limits::denorm_min(),
                                   S(-0.0),          Limits::min(),    Limits::max(),
                                   Limits::lowest(), Limits::epsilon()};
    ASSERT_EQ(std::fpclassify(denormal), FP_SUBNORMAL);
    this->plugin.SetBuses({1, 2});
    AudioBlock<S> block(static_cast<int>(values.size()));
    block.FillDistinctInputs();
    for (int j = 0; j < block.frames(); ++j) {
        const S value = values[static_cast<size_t>(j)];
        block.in(0, j) = value;
        block.in(1, j) = -value;
        block.in(6, j) = value;  // bus 4 is off: passes through
    }
    this->plugin.Process(block);
    EXPECT_TRUE(OutputsRouted(block, block, SwitchesFor({1, 2})));
}

TYPED_TEST(Routing, InPlaceBuffersGiveTheSameResult) {
    for (const RoutingCase& c : kRoutingCases) {
        SCOPED_TRACE(c.what);
        this->plugin.SetBuses(c.busesOn);
        AudioBlock<TypeParam> reference(this->kFrames);
        reference.FillDistinctInputs();
        AudioBlock<TypeParam> inPlace(this->kFrames);
        inPlace.FillDistinctInputs();
        inPlace.outputPointers() = inPlace.inputPointers();
        this->plugin.Process(inPlace);
        EXPECT_TRUE(OutputsRouted(inPlace, reference, SwitchesFor(c.busesOn)));
    }
}

// Hosts pass one silent buffer for every unused input and one scratch buffer for every
// unused output.
TYPED_TEST(Routing, SharedBuffersForUnusedChannels) {
    using S = TypeParam;
    for (const RoutingCase& c : kRoutingCases) {
        SCOPED_TRACE(c.what);
        this->plugin.SetBuses(c.busesOn);
        AudioBlock<S> block(this->kFrames);
        block.FillDistinctInputs();
        std::vector<S> silence(static_cast<size_t>(this->kFrames), S(0));
        std::vector<S> scratch(static_cast<size_t>(this->kFrames), S(99));
        for (int ch = 2; ch < AudioBlock<S>::kChannels; ++ch) {
            block.inputPointers()[static_cast<size_t>(ch)] = silence.data();
            block.outputPointers()[static_cast<size_t>(ch)] = scratch.data();
        }
        this->plugin.Process(block);

        const bool bus1 = SwitchesFor(c.busesOn)[0];
        for (int j = 0; j < block.frames(); ++j) {
            for (int ch : {0, 1}) {
                const S expected = bus1 ? block.in(ch, j) : S(0);
                EXPECT_EQ(Bits(block.Output(ch, j)), Bits(expected))
                    << "output " << ch + 1 << " frame " << j;
            }
            EXPECT_EQ(silence[static_cast<size_t>(j)], S(0)) << "the host's silence was written";
        }
    }
}

TYPED_TEST(Routing, EmptyOrNegativeBlocksWriteNothing) {
    using S = TypeParam;
    this->plugin.SetBuses({1, 2, 3, 4, 5, 6, 7, 8});
    for (int32_t frames : {0, -1, -512, INT32_MIN}) {
        SCOPED_TRACE(frames);
        AudioBlock<S> block(8);
        block.FillDistinctInputs();
        block.FillOutputs(S(7.5));
        this->host.ClearRequests();
        this->plugin.Process(block, frames);
        for (int c = 0; c < AudioBlock<S>::kChannels; ++c) {
            for (int j = 0; j < block.frames(); ++j) {
                ASSERT_EQ(block.Output(c, j), S(7.5)) << "channel " << c + 1 << " frame " << j;
            }
        }
        // An empty block is still a block: the host hears its time asked for.
        if (frames == 0) {
            EXPECT_FALSE(this->host.RequestsWithOpcode(audioMasterGetTime).empty());
        }
    }
}

// Without an input array every input reads as silence; without an output array nothing is
// written. The block section runs either way.
TYPED_TEST(Routing, NullChannelArraysReadSilentAndWriteNothing) {
    using S = TypeParam;
    this->plugin.SetBuses({1, 3});
    AudioBlock<S> block(8);
    block.FillDistinctInputs();
    AEffect* effect = this->plugin.effect();
    for (int call = 0; call < 3; ++call) {
        SCOPED_TRACE(call);
        block.FillOutputs(S(7.5));
        this->host.ClearRequests();
        S** inputs = call == 1 ? block.inputs() : nullptr;
        S** outputs = call == 0 ? block.outputs() : nullptr;
        if constexpr (sizeof(S) == 4) {
            effect->processReplacing(effect, inputs, outputs, block.frames());
        } else {
            effect->processDoubleReplacing(effect, inputs, outputs, block.frames());
        }
        EXPECT_FALSE(this->host.RequestsWithOpcode(audioMasterGetTime).empty());
        for (int c = 0; c < AudioBlock<S>::kChannels; ++c) {
            for (int j = 0; j < block.frames(); ++j) {
                const S want = outputs ? S(0) : S(7.5);
                ASSERT_EQ(Bits(block.Output(c, j)), Bits(want))
                    << "channel " << c + 1 << " frame " << j;
            }
        }
    }
    // The instance still routes afterwards.
    this->plugin.Process(block);
    EXPECT_TRUE(OutputsRouted(block, block, SwitchesFor({1, 3})));
}

}  // namespace
