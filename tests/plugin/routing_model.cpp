#include "tests/plugin/routing_model.h"

BusSwitches SwitchesFor(const std::vector<int>& busesOn) {
    BusSwitches on{};
    for (int bus : busesOn) on[static_cast<size_t>(bus - 1)] = true;
    return on;
}

int SourceChannel(int channel, const BusSwitches& on) {
    const int bus = channel / 2;
    if (on[static_cast<size_t>(bus)]) return channel % 2;
    return bus == 0 ? kSilence : channel;
}

std::array<int, kRouterChannels> RouterSources(const BusSwitches& on) {
    std::array<int, kRouterChannels> sources{};
    for (int out = 0; out < kRouterChannels; ++out) {
        sources[static_cast<size_t>(out)] = SourceChannel(out, on);
    }
    return sources;
}

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
