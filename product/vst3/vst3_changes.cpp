#include "product/vst3/vst3_changes.h"

#include <algorithm>
#include <cmath>

#include "product/vst3/vst3_parameters.h"

namespace vst3 {

void Vst3Changes::Reserve(uint32_t parameters, int32_t maxBlock) {
    const uint32_t perParameter =
        std::min(static_cast<uint32_t>(std::max(maxBlock, 1)), kMostPointsPerParameter) + 1;
    parameters_ = parameters;
    sorted_.assign(static_cast<size_t>(parameters) * perParameter, ParameterChange{});
    merged_.assign(sorted_.size(), ParameterChange{});
    count_ = 0;
}

std::span<const ParameterChange> Vst3Changes::GatherQueues(IParameterChanges* changes,
                                                           int32_t queues, int32_t frames,
                                                           const HostedEffect& effect) {
    const auto end = static_cast<uint32_t>(std::max(frames, 0));
    for (int32_t q = 0; q < queues; ++q) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue) continue;
        const ParamID id = queue->getParameterId();
        if (id >= parameters_ || id >= effect.Parameters()) continue;
        const ParameterSteps& steps = effect.Describe(id);
        const size_t runStart = count_;
        // One slot stays free for the last point of each parameter still to come.
        const size_t innerRoom = sorted_.size() - std::min<size_t>(sorted_.size(), parameters_);
        const int32_t points = queue->getPointCount();
        uint32_t previous = 0;
        for (int32_t k = 0; k < points; ++k) {
            int32_t offset = 0;
            double value = 0.0;
            if (queue->getPoint(k, &offset, &value) != kResultOk || std::isnan(value)) continue;
            const uint32_t at =
                std::clamp(static_cast<uint32_t>(std::max(offset, 0)), previous, end);
            previous = at;
            const ParameterChange change{at, id, EffectValue(steps, value)};
            if (count_ > runStart && sorted_[count_ - 1].offset == at) {
                sorted_[count_ - 1] = change;
            } else if (count_ < innerRoom || (k == points - 1 && count_ < sorted_.size())) {
                sorted_[count_++] = change;
            } else if (count_ > runStart) {
                // Out of room: the run's latest point takes this one's value and place.
                sorted_[count_ - 1] = change;
            }
        }
        if (runStart == 0 || count_ == runStart) continue;
        // Both runs are sorted by offset: one stable merge keeps the whole list sorted.
        std::merge(
            sorted_.begin(), sorted_.begin() + static_cast<ptrdiff_t>(runStart),
            sorted_.begin() + static_cast<ptrdiff_t>(runStart),
            sorted_.begin() + static_cast<ptrdiff_t>(count_), merged_.begin(),
            [](const ParameterChange& a, const ParameterChange& b) { return a.offset < b.offset; });
        sorted_.swap(merged_);
    }
    return {sorted_.data(), count_};
}

}  // namespace vst3
