#include "product/vst3/vst3_time.h"

namespace vst3 {

// Which fields a context carries depends only on its state bits, which hosts keep from block
// to block. The record is cleared and its fixed flags worked out when they change; every
// block then writes only the fields that move.
int32_t Vst3Time::Reshape(uint32_t state) {
    using C = ProcessContext;
    info_ = VstTimeInfo{};
    int32_t flags = 0;
    const bool playing = (state & C::kPlaying) != 0;
    if (playing) flags |= kVstTransportPlaying;
    if (state & C::kCycleActive) flags |= kVstTransportCycleActive;
    if (state & C::kRecording) flags |= kVstTransportRecording;
    if (state & C::kSystemTimeValid) flags |= kVstNanosValid;
    if (state & C::kProjectTimeMusicValid) flags |= kVstPpqPosValid;
    if (state & C::kTempoValid) flags |= kVstTempoValid;
    if (state & C::kBarPositionValid) flags |= kVstBarsValid;
    if (state & C::kCycleValid) flags |= kVstCyclePosValid;
    if (state & C::kTimeSigValid) flags |= kVstTimeSigValid;
    if (state & C::kClockValid) flags |= kVstClockValid;
    flags_ = flags;
    // The first context counts as a change, as a VST 2 host's first block does.
    const bool changed = state_ == kUnknown || playing != ((state_ & C::kPlaying) != 0);
    state_ = state;
    return changed ? flags | kVstTransportChanged : flags;
}

const VstTimeInfo* Vst3Time::FromContext(const ProcessContext* context) {
    if (!context) return nullptr;
    using C = ProcessContext;
    const uint32_t state = context->state;
    const int32_t flags = state == state_ ? flags_ : Reshape(state);
    VstTimeInfo& t = info_;
    // Sample position and rate are valid in every context.
    t.samplePos = static_cast<double>(context->projectTimeSamples);
    t.sampleRate = context->sampleRate;
    if (state & C::kSystemTimeValid) t.nanoSeconds = static_cast<double>(context->systemTime);
    if (state & C::kProjectTimeMusicValid) t.ppqPos = context->projectTimeMusic;
    if (state & C::kTempoValid) t.tempo = context->tempo;
    if (state & C::kBarPositionValid) t.barStartPos = context->barPositionMusic;
    if (state & C::kCycleValid) {
        t.cycleStartPos = context->cycleStartMusic;
        t.cycleEndPos = context->cycleEndMusic;
    }
    if (state & C::kTimeSigValid) {
        t.timeSigNumerator = context->timeSigNumerator;
        t.timeSigDenominator = context->timeSigDenominator;
    }
    if (state & C::kClockValid) t.samplesToNextClock = context->samplesToNextClock;
    t.flags = flags;
    return &info_;
}

}  // namespace vst3
