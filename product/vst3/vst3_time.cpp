#include "product/vst3/vst3_time.h"

namespace vst3 {

const VstTimeInfo* Vst3Time::FromContext(const ProcessContext* context) {
    if (!context) return nullptr;
    using C = ProcessContext;
    const uint32_t state = context->state;
    VstTimeInfo& t = info_;
    // Every field written once: what a flag leaves out is 0. Sample position and rate are valid
    // in every context.
    t.samplePos = static_cast<double>(context->projectTimeSamples);
    t.sampleRate = context->sampleRate;
    int32_t flags = 0;
    const bool playing = (state & C::kPlaying) != 0;
    if (playing) flags |= kVstTransportPlaying;
    // The first context counts as a change, as a VST 2 host's first block does.
    if (!known_ || playing != wasPlaying_) flags |= kVstTransportChanged;
    if (state & C::kCycleActive) flags |= kVstTransportCycleActive;
    if (state & C::kRecording) flags |= kVstTransportRecording;
    const bool nanos = (state & C::kSystemTimeValid) != 0;
    t.nanoSeconds = nanos ? static_cast<double>(context->systemTime) : 0.0;
    if (nanos) flags |= kVstNanosValid;
    const bool ppq = (state & C::kProjectTimeMusicValid) != 0;
    t.ppqPos = ppq ? context->projectTimeMusic : 0.0;
    if (ppq) flags |= kVstPpqPosValid;
    const bool tempo = (state & C::kTempoValid) != 0;
    t.tempo = tempo ? context->tempo : 0.0;
    if (tempo) flags |= kVstTempoValid;
    const bool bars = (state & C::kBarPositionValid) != 0;
    t.barStartPos = bars ? context->barPositionMusic : 0.0;
    if (bars) flags |= kVstBarsValid;
    const bool cycle = (state & C::kCycleValid) != 0;
    t.cycleStartPos = cycle ? context->cycleStartMusic : 0.0;
    t.cycleEndPos = cycle ? context->cycleEndMusic : 0.0;
    if (cycle) flags |= kVstCyclePosValid;
    const bool signature = (state & C::kTimeSigValid) != 0;
    t.timeSigNumerator = signature ? context->timeSigNumerator : 0;
    t.timeSigDenominator = signature ? context->timeSigDenominator : 0;
    if (signature) flags |= kVstTimeSigValid;
    t.smpteOffset = 0;
    t.smpteFrameRate = 0;
    const bool clock = (state & C::kClockValid) != 0;
    t.samplesToNextClock = clock ? context->samplesToNextClock : 0;
    if (clock) flags |= kVstClockValid;
    t.flags = flags;
    wasPlaying_ = playing;
    known_ = true;
    return &info_;
}

}  // namespace vst3
