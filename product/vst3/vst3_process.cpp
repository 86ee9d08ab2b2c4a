// The audio path: one process() call becomes one HostedEffect::Process over the effect's
// channels, with the host's parameter points as changes at their offsets.
#include <cstring>
#include <type_traits>

#include "product/vst3/vst3_plugin.h"

namespace vst3 {

namespace {

template <typename Sample>
Sample** Channels(const AudioBusBuffers& bus) {
    if constexpr (std::is_same_v<Sample, float>) {
        return bus.channelBuffers32;
    } else {
        return bus.channelBuffers64;
    }
}

// The host may take a bus it is told is silent for zeros; the outputs hold what the effect
// wrote, so no flag stays set.
void ClearSilence(AudioBusBuffers* buses, int32_t count) {
    for (int32_t b = 0; buses && b < count; ++b) buses[b].silenceFlags = 0;
}

// The effect's channel pointers from the host's buses, two channels a bus. A bus that is
// switched off, missing (hosts may leave out trailing ones), without channels or with null
// pointers gives null channels: the effect reads silence there and writes nothing. Output
// buses have their silence flags cleared on the way.
enum class Direction { kInputs, kOutputs };
template <Direction kDirection, typename Sample>
void Gather(AudioBusBuffers* buses, int32_t count, uint32_t active,
            std::vector<Sample*>& channels) {
    constexpr bool kOutputs = kDirection == Direction::kOutputs;
    Sample** to = channels.data();
    const size_t size = channels.size();
    // The usual call first: every bus there and switched on, each with two channels, whose
    // two pointers are taken together.
    const size_t pairs = size / 2;
    const uint32_t all = pairs >= 32 ? ~0u : (1u << pairs) - 1;
    if (buses && size % 2 == 0 && pairs <= 32 && count >= 0 &&
        static_cast<size_t>(count) >= pairs && (active & all) == all) {
        AudioBusBuffers* bus = buses;
        AudioBusBuffers* const end = buses + pairs;
        for (Sample** at = to; bus != end; ++bus, at += 2) {
            Sample* const* pointers = Channels<Sample>(*bus);
            if (!pointers || bus->numChannels < 2) break;
            if constexpr (kOutputs) bus->silenceFlags = 0;
            std::memcpy(at, pointers, 2 * sizeof(Sample*));
        }
        if (bus == end) {
            if constexpr (kOutputs) ClearSilence(bus, count - static_cast<int32_t>(pairs));
            return;
        }
    }
    for (size_t c = 0; c < size; ++c) {
        const auto bus = static_cast<int32_t>(c / 2);
        const auto channel = static_cast<int32_t>(c % 2);
        Sample* pointer = nullptr;
        if (buses && bus < count && bus < 32 && (active >> bus & 1u) &&
            channel < buses[bus].numChannels) {
            Sample** pointers = Channels<Sample>(buses[bus]);
            if (pointers) pointer = pointers[channel];
        }
        to[c] = pointer;
    }
    if constexpr (kOutputs) ClearSilence(buses, count);
}

}  // namespace

template <typename Sample>
void Vst3Plugin::Route(const ProcessData& data, std::vector<Sample*>& in,
                       std::vector<Sample*>& out) {
    const int32_t frames = data.numSamples > 0 ? data.numSamples : 0;
    Gather<Direction::kInputs>(data.inputs, data.numInputs,
                               activeInputs_.load(std::memory_order_relaxed), in);
    Gather<Direction::kOutputs>(data.outputs, data.numOutputs,
                                activeOutputs_.load(std::memory_order_relaxed), out);
    const std::span<const ParameterChange> changes =
        changes_.Gather(data.inputParameterChanges, frames, *effect_);
    effect_->Process(in.data(), out.data(), static_cast<uint32_t>(frames), changes,
                     time_.FromContext(data.processContext));
}

tresult Vst3Plugin::process(ProcessData* data) {
    if (!data) return kInvalidArgument;
    if (data->symbolicSampleSize == kSample64) {
        if (!effect_->CanDouble()) return kInvalidArgument;
        Route(*data, doubleIn_, doubleOut_);
    } else if (data->symbolicSampleSize == kSample32) {
        Route(*data, floatIn_, floatOut_);
    } else {
        return kInvalidArgument;
    }
    return kResultOk;
}

}  // namespace vst3
