// The host's buses as the effect's channels: two channels a bus, inputs and outputs alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "product/vst3/vst3_component_abi.h"

namespace vst3 {

// [any] The bus's channel array of this precision, to read, or to set as a host does
// (Bus: AudioBusBuffers, const or not).
template <typename Sample, typename Bus>
auto& BusChannels(Bus& bus) {
    if constexpr (std::is_same_v<Sample, float>) {
        return bus.channelBuffers32;
    } else {
        return bus.channelBuffers64;
    }
}

// [audio] The host may take a bus it is told is silent for zeros; the outputs hold what the
// effect wrote, so no flag stays set.
inline void ClearSilence(AudioBusBuffers* buses, int32_t count) {
    for (int32_t b = 0; buses && b < count; ++b) buses[b].silenceFlags = 0;
}

namespace buses_detail {

// [audio] One bus of the usual call: two channels, whose two pointers are taken together.
// False when the bus is not usual.
template <BusDirection kDirection, typename Sample>
[[gnu::always_inline]] inline bool TakePair(AudioBusBuffers& bus, Sample** at) {
    Sample* const* pointers = BusChannels<Sample>(bus);
    if (!pointers || bus.numChannels < 2) return false;
    if constexpr (kDirection == kOutput) bus.silenceFlags = 0;
    std::memcpy(at, pointers, 2 * sizeof(Sample*));
    return true;
}

// [audio] A few buses unrolled, up to the first that is not usual (the buses before it are
// taken).
template <BusDirection kDirection, typename Sample, size_t... kBus>
[[gnu::always_inline]] inline bool TakePairs(AudioBusBuffers* buses, Sample** to,
                                             std::index_sequence<kBus...>) {
    return (TakePair<kDirection>(buses[kBus], to + 2 * kBus) && ...);
}

// [audio] The usual call: four buses a step, then the rest. At 32 frames a loop's counting per
// bus costs as much as the bus's own reads.
template <BusDirection kDirection, typename Sample>
[[gnu::always_inline]] inline bool TakeUsual(AudioBusBuffers* buses, size_t pairs, Sample** to) {
    size_t b = 0;
    for (; b + 4 <= pairs; b += 4) {
        if (!TakePairs<kDirection>(buses + b, to + 2 * b, std::make_index_sequence<4>())) {
            return false;
        }
    }
    switch (pairs - b) {
        case 3:
            return TakePairs<kDirection>(buses + b, to + 2 * b, std::make_index_sequence<3>());
        case 2:
            return TakePairs<kDirection>(buses + b, to + 2 * b, std::make_index_sequence<2>());
        case 1:
            return TakePair<kDirection>(buses[b], to + 2 * b);
        default:
            return true;
    }
}

}  // namespace buses_detail

// [audio] The effect's `size` channel pointers from the host's `count` buses, channel c from
// bus c / 2 (active: one bit per bus, bus 0 lowest). A bus that is switched off, missing
// (hosts may leave out trailing ones), without that channel or with null pointers gives null
// channels: the effect reads silence there and writes nothing. Output buses, those past the
// effect's included, have their silence flags cleared; input flags stay as the host set them.
template <BusDirection kDirection, typename Sample>
void GatherChannels(AudioBusBuffers* buses, int32_t count, uint32_t active, Sample** to,
                    size_t size) {
    constexpr bool kOutputs = kDirection == kOutput;
    // The usual call first: every bus there and switched on, each with two channels.
    const size_t pairs = size / 2;
    const uint32_t all = pairs >= 32 ? ~0u : (1u << pairs) - 1;
    if (buses && size % 2 == 0 && pairs <= 32 && count >= 0 &&
        static_cast<size_t>(count) >= pairs && (active & all) == all &&
        buses_detail::TakeUsual<kDirection>(buses, pairs, to)) {
        if constexpr (kOutputs) ClearSilence(buses + pairs, count - static_cast<int32_t>(pairs));
        return;
    }
    for (size_t c = 0; c < size; ++c) {
        const auto bus = static_cast<int32_t>(c / 2);
        const auto channel = static_cast<int32_t>(c % 2);
        Sample* pointer = nullptr;
        if (buses && bus < count && bus < 32 && (active >> bus & 1u) &&
            channel < buses[bus].numChannels) {
            Sample** pointers = BusChannels<Sample>(buses[bus]);
            if (pointers) pointer = pointers[channel];
        }
        to[c] = pointer;
    }
    if constexpr (kOutputs) ClearSilence(buses, count);
}

}  // namespace vst3
