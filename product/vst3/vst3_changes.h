// The parameter changes a host sends with a block, gathered into one list sorted by sample
// offset for HostedEffect::Process. Room is made before processing starts, so gathering never
// allocates.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "product/hosted_effect.h"
#include "product/vst3/vst3_component_abi.h"

namespace vst3 {

class Vst3Changes {
  public:
    // [main] Room for blocks of up to maxBlock frames: every point of every parameter, up to
    // kMostPointsPerParameter a parameter. Not while Gather runs.
    void Reserve(uint32_t parameters, int32_t maxBlock);

    // [audio] The host's points for a block of frames, as changes of the effect's parameters
    // sorted by offset (stable: a parameter's own points keep their order). Points of unknown
    // parameters and NaN values are left out; offsets are kept within 0..frames and never
    // before the queue's previous point; of several points at one offset the last counts. Past
    // the room reserved, a queue's inner points are dropped and its last one is kept, so each
    // parameter still ends the block at the host's value.
    std::span<const ParameterChange> Gather(IParameterChanges* changes, int32_t frames,
                                            const HostedEffect& effect) {
        count_ = 0;
        if (!changes || sorted_.empty()) return {};
        // Most blocks bring no queue at all.
        const int32_t queues = changes->getParameterCount();
        if (queues <= 0) return {};
        return GatherQueues(changes, queues, frames, effect);
    }

    static constexpr uint32_t kMostPointsPerParameter = 4096;

  private:
    // [audio] The same for a block that brings queues.
    std::span<const ParameterChange> GatherQueues(IParameterChanges* changes, int32_t queues,
                                                  int32_t frames, const HostedEffect& effect);

    std::vector<ParameterChange> sorted_;
    std::vector<ParameterChange> merged_;  // where each queue is merged in
    size_t count_ = 0;
    uint32_t parameters_ = 0;
};

}  // namespace vst3
