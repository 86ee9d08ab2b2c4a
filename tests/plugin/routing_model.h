// What the router must put on each output: bus N (host channels 2N-1 and 2N) carries inputs
// 1 and 2 while its switch is on; while off, bus 1 is silent and buses 2 to 8 pass their
// own inputs through.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "tests/plugin/audio_block.h"

using BusSwitches = std::array<bool, 8>;

constexpr int kSilence = -1;

inline BusSwitches SwitchesFor(const std::vector<int>& busesOn) {
    BusSwitches on{};
    for (int bus : busesOn) on[static_cast<size_t>(bus - 1)] = true;
    return on;
}

// The input channel an output channel copies, or kSilence.
inline int SourceChannel(int channel, const BusSwitches& on) {
    const int bus = channel / 2;
    if (on[static_cast<size_t>(bus)]) return channel % 2;
    return bus == 0 ? kSilence : channel;
}

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
