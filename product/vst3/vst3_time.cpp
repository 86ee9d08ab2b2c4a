#include "product/vst3/vst3_time.h"

namespace vst3 {

const VstTimeInfo* Vst3Time::FromContext(const ProcessContext* context) {
    if (!context) return nullptr;
    using C = ProcessContext;
    const uint32_t state = context->state;
    VstTimeInfo& t = info_;
    t = VstTimeInfo{};
    // Sample position and rate are valid in every context.
    t.samplePos = static_cast<double>(context->projectTimeSamples);
    t.sampleRate = context->sampleRate;
    int32_t flags = 0;
    const bool playing = (state & C::kPlaying) != 0;
    if (playing) flags |= kVstTransportPlaying;
    // The first context counts as a change, as a VST 2 host's first block does.
    if (!known_ || playing != wasPlaying_) flags |= kVstTransportChanged;
    if (state & C::kCycleActive) flags |= kVstTransportCycleActive;
    if (state & C::kRecording) flags |= kVstTransportRecording;
    if (state & C::kSystemTimeValid) {
        t.nanoSeconds = static_cast<double>(context->systemTime);
        flags |= kVstNanosValid;
    }
    if (state & C::kProjectTimeMusicValid) {
        t.ppqPos = context->projectTimeMusic;
        flags |= kVstPpqPosValid;
    }
    if (state & C::kTempoValid) {
        t.tempo = context->tempo;
        flags |= kVstTempoValid;
    }
    if (state & C::kBarPositionValid) {
        t.barStartPos = context->barPositionMusic;
        flags |= kVstBarsValid;
    }
    if (state & C::kCycleValid) {
        t.cycleStartPos = context->cycleStartMusic;
        t.cycleEndPos = context->cycleEndMusic;
        flags |= kVstCyclePosValid;
    }
    if (state & C::kTimeSigValid) {
        t.timeSigNumerator = context->timeSigNumerator;
        t.timeSigDenominator = context->timeSigDenominator;
        flags |= kVstTimeSigValid;
    }
    if (state & C::kClockValid) {
        t.samplesToNextClock = context->samplesToNextClock;
        flags |= kVstClockValid;
    }
    t.flags = flags;
    wasPlaying_ = playing;
    known_ = true;
    return &info_;
}

}  // namespace vst3
