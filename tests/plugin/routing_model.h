// What the router must put on each output, worked out independently of it: the tests' oracle,
// for the tests that hand the built plug-in host buffers and for those that render files
// through vst2host. Bus N (host channels 2N-1 and 2N) carries inputs 1 and 2 while its switch
// is on; while off, bus 1 is silent and buses 2 to 8 pass their own inputs through.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/plugin/audio_block.h"

constexpr int kRouterChannels = 16;
constexpr int kSilence = -1;

using BusSwitches = std::array<bool, 8>;

// Exactly the listed buses (1..8) on.
BusSwitches SwitchesFor(const std::vector<int>& busesOn);

// The input channel (0-based) an output channel copies, or kSilence.
int SourceChannel(int channel, const BusSwitches& on);
// SourceChannel of every output channel.
std::array<int, kRouterChannels> RouterSources(const BusSwitches& on);

// Interleaved 16-channel content where every sample differs from every other, in both signs:
// as floats (about +-0.5) and as 24-bit integers in the top bits of an int32.
std::vector<float> DistinctFloats(int64_t frames);
std::vector<int32_t> DistinctPcm24(int64_t frames);

static_assert(AudioBlock<float>::kChannels == kRouterChannels);

// Compares every output of `processed` bit for bit with the routing of `reference`'s
// inputs (the same block, unless the host processed in place and the inputs are gone).
// Reports the first mismatch only: a wrong route spoils whole channels.
template <typename Sample>
::testing::AssertionResult OutputsRouted(const AudioBlock<Sample>& processed,
                                         const AudioBlock<Sample>& reference,
                                         const BusSwitches& on) {
    for (int c = 0; c < AudioBlock<Sample>::kChannels; ++c) {
        const int source = SourceChannel(c, on);
        for (int j = 0; j < processed.frames(); ++j) {
            const Sample expected = source == kSilence ? Sample(0) : reference.in(source, j);
            const Sample actual = processed.Output(c, j);
            if (Bits(actual) != Bits(expected)) {
                return ::testing::AssertionFailure()
                       << "output channel " << c + 1 << " frame " << j << ": got " << actual
                       << ", expected " << expected
                       << (source == kSilence ? std::string(" (silence)")
                                              : " (input " + std::to_string(source + 1) + ")");
            }
        }
    }
    return ::testing::AssertionSuccess();
}
