// The audio path: one process() call becomes one HostedEffect::Process over the effect's
// channels, with the host's parameter points as changes at their offsets.
#include <algorithm>
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

// The effect's channel pointers from the host's buses, two channels a bus. A bus that is
// switched off, missing (hosts may leave out trailing ones), without channels or with null
// pointers gives null channels: the effect reads silence there and writes nothing.
template <typename Sample>
void Gather(const AudioBusBuffers* buses, int32_t count, uint32_t active,
            std::vector<Sample*>& channels) {
    // Loads from a bus go through pointers that are always valid (a pair of nulls stands in
    // for what is missing), so the loop runs without a branch per channel.
    static Sample* const kNone[2] = {nullptr, nullptr};
    Sample** to = channels.data();
    const size_t size = channels.size();
    const size_t usable = buses ? std::min<size_t>(static_cast<size_t>(std::max(count, 0)), 32) : 0;
    const size_t pairs = std::min(usable, size / 2);
    for (size_t bus = 0; bus < pairs; ++bus) {
        const AudioBusBuffers& b = buses[bus];
        Sample* const* pointers = Channels<Sample>(b);
        const int32_t n = (active >> bus & 1u) && pointers ? b.numChannels : 0;
        to[2 * bus] = (n > 0 ? pointers : kNone)[0];
        to[2 * bus + 1] = (n > 1 ? pointers : kNone)[1];
    }
    for (size_t c = 2 * pairs; c < size; ++c) {
        const size_t bus = c / 2;
        Sample* pointer = nullptr;
        if (bus < usable && (active >> bus & 1u) && static_cast<int32_t>(c % 2) < buses[bus].numChannels) {
            Sample* const* pointers = Channels<Sample>(buses[bus]);
            if (pointers) pointer = pointers[c % 2];
        }
        to[c] = pointer;
    }
}

}  // namespace

template <typename Sample>
void Vst3Plugin::Route(const ProcessData& data, std::vector<Sample*>& in,
                       std::vector<Sample*>& out) {
    const int32_t frames = data.numSamples > 0 ? data.numSamples : 0;
    Gather(data.inputs, data.numInputs, activeInputs_.load(std::memory_order_relaxed), in);
    Gather(data.outputs, data.numOutputs, activeOutputs_.load(std::memory_order_relaxed), out);
    const std::span<const ParameterChange> changes =
        changes_.Gather(data.inputParameterChanges, frames, *effect_);
    effect_->Process(in.data(), out.data(), static_cast<uint32_t>(frames), changes,
                     time_.FromContext(data.processContext));
    // The outputs hold what the effect wrote, which the host must not take for silence.
    for (int32_t b = 0; data.outputs && b < data.numOutputs; ++b) data.outputs[b].silenceFlags = 0;
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
