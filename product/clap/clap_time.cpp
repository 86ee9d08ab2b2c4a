#include "product/clap/clap_time.h"

#include <cmath>

namespace {

double Beats(clap_beattime beats) {
    return static_cast<double>(beats) / CLAP_BEATTIME_FACTOR;
}

double Seconds(clap_sectime seconds) {
    return static_cast<double>(seconds) / CLAP_SECTIME_FACTOR;
}

}  // namespace

VstTimeInfo ClapTimeInfo(const clap_event_transport& t, double sampleRate) {
    VstTimeInfo info{};
    info.sampleRate = sampleRate;
    if (t.flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE)
        info.samplePos = Seconds(t.song_pos_seconds) * sampleRate;
    // A host's NaN or non-positive tempo is no tempo.
    if ((t.flags & CLAP_TRANSPORT_HAS_TEMPO) && std::isfinite(t.tempo) && t.tempo > 0.0) {
        info.tempo = t.tempo;
        info.flags |= kVstTempoValid;
    }
    if (t.flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) {
        info.ppqPos = Beats(t.song_pos_beats);
        info.barStartPos = Beats(t.bar_start);
        info.flags |= kVstPpqPosValid | kVstBarsValid;
        if (t.flags & CLAP_TRANSPORT_IS_LOOP_ACTIVE) {
            info.cycleStartPos = Beats(t.loop_start_beats);
            info.cycleEndPos = Beats(t.loop_end_beats);
            info.flags |= kVstCyclePosValid;
        }
    }
    if ((t.flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE) && t.tsig_num > 0 && t.tsig_denom > 0) {
        info.timeSigNumerator = t.tsig_num;
        info.timeSigDenominator = t.tsig_denom;
        info.flags |= kVstTimeSigValid;
    }
    if (t.flags & CLAP_TRANSPORT_IS_PLAYING) info.flags |= kVstTransportPlaying;
    if (t.flags & CLAP_TRANSPORT_IS_RECORDING) info.flags |= kVstTransportRecording;
    if (t.flags & CLAP_TRANSPORT_IS_LOOP_ACTIVE) info.flags |= kVstTransportCycleActive;
    return info;
}
