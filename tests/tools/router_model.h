// What the router's outputs must hold, worked out independently of it: the test's oracle.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace host_test {

constexpr int kRouterChannels = 16;

// Interleaved 16-channel content where every sample differs from every other, in both signs.
// As floats (about +-0.5) and as 24-bit integers in the top bits of an int32.
std::vector<float> DistinctFloats(int64_t frames);
std::vector<int32_t> DistinctPcm24(int64_t frames);

// For each output channel, the input channel (0-based) whose samples it carries, or -1 for
// silence: an enabled bus copies inputs 1/2, muted bus 1 is silent, a muted bus 2..8 passes its
// own inputs.
std::array<int, kRouterChannels> RouterSources(const std::array<bool, 8>& enabled);

}  // namespace host_test
