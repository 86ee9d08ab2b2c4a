#include "tests/tools/router_model.h"

namespace host_test {

std::vector<float> DistinctFloats(int64_t frames) {
    std::vector<float> samples;
    for (int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < kRouterChannels; ++c) {
            const float magnitude =
                static_cast<float>(c + 1) / 32.0f + static_cast<float>(f) * 1e-6f;
            samples.push_back((f + c) % 2 == 0 ? magnitude : -magnitude);
        }
    }
    return samples;
}

std::vector<int32_t> DistinctPcm24(int64_t frames) {
    std::vector<int32_t> samples;
    for (int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < kRouterChannels; ++c) {
            const auto magnitude = static_cast<int32_t>((c + 1) * 500000 + f * 3);
            const int32_t value = (f + c) % 2 == 0 ? magnitude : -magnitude;
            samples.push_back(static_cast<int32_t>(static_cast<uint32_t>(value) << 8));
        }
    }
    return samples;
}

std::array<int, kRouterChannels> RouterSources(const std::array<bool, 8>& enabled) {
    std::array<int, kRouterChannels> sources{};
    for (int out = 0; out < kRouterChannels; ++out) {
        const int bus = out / 2;
        if (enabled[static_cast<std::size_t>(bus)]) {
            sources[static_cast<std::size_t>(out)] = out % 2;
        } else {
            sources[static_cast<std::size_t>(out)] = bus == 0 ? -1 : out;
        }
    }
    return sources;
}

}  // namespace host_test
