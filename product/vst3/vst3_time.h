// The host's process context, kept as the record a VST 2 host answers audioMasterGetTime with,
// so that the runtime's tempo, position, time-signature and transport questions get the same
// answers under both formats.
#pragma once

#include <cstdint>

#include "plugin/vst2_abi.h"
#include "product/vst3/vst3_component_abi.h"

namespace vst3 {

class Vst3Time {
  public:
    // What the effect reads of the context: it asks hosts for these (and copes without them).
    static constexpr uint32_t kRequirements = IProcessContextRequirements::kNeedProjectTimeMusic |
                                              IProcessContextRequirements::kNeedBarPositionMusic |
                                              IProcessContextRequirements::kNeedTempo |
                                              IProcessContextRequirements::kNeedTimeSignature |
                                              IProcessContextRequirements::kNeedTransportState;

    // [audio] The record for a block with this context, or null for none: the effect then
    // hears what a VST 2 host without time information answers. Only the fields whose
    // validity bits the context sets are passed on, with the matching VST 2 bits.
    const VstTimeInfo* FromContext(const ProcessContext* context);

  private:
    // [audio] Clears the record and works out the flags for contexts with these state bits;
    // answers them, with kVstTransportChanged when the transport started or stopped since the
    // last context (or this is the first). Rare, so kept out of the block's way.
    [[gnu::noinline, gnu::cold]] int32_t Reshape(uint32_t state);

    // No 32-bit state equals it, so the first context reshapes.
    static constexpr uint64_t kUnknown = ~uint64_t{0};
    VstTimeInfo info_{};
    uint64_t state_ = kUnknown;  // the state bits the record is shaped for
    int32_t flags_ = 0;          // their flags, without kVstTransportChanged
};

}  // namespace vst3
