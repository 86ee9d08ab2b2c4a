// The audio path: one process() call becomes one HostedEffect::Process over the effect's
// channels, with the host's parameter points as changes at their offsets.
#include "product/vst3/vst3_buses.h"
#include "product/vst3/vst3_plugin.h"

namespace vst3 {

template <typename Sample>
void Vst3Plugin::Route(const ProcessData& data, std::vector<Sample*>& in,
                       std::vector<Sample*>& out) {
    const int32_t frames = data.numSamples > 0 ? data.numSamples : 0;
    GatherChannels<kInput>(data.inputs, data.numInputs,
                           activeInputs_.load(std::memory_order_relaxed), in.data(), in.size());
    GatherChannels<kOutput>(data.outputs, data.numOutputs,
                            activeOutputs_.load(std::memory_order_relaxed), out.data(), out.size());
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
