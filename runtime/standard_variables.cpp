#include "runtime/standard_variables.h"

#include "plugin/host_services.h"
#include "plugin/platform.h"
#include "runtime/script_numbers.h"

// The host variables are written by the initialisation and block sections and copied by the
// slider and sample sections, which hosts run on different threads: every access is a
// relaxed atomic one, so each double is always read whole.
namespace {
void Set(double& target, double value) {
    GuardedStoreShared(target, value);
}
double Get(double& value) {
    return LoadShared(value);
}
}  // namespace

void StandardVariables::CopyHostVariables() {
    Set(sampleRate, Get(hostSampleRate));
    Set(numChannels, Get(hostNumChannels));
    Set(blockSize, Get(hostBlockSize));
    Set(tempo, Get(hostTempo));
    Set(timeSigNumerator, Get(hostTimeSigNumerator));
    Set(timeSigDenominator, Get(hostTimeSigDenominator));
}

void StandardVariables::InitPrologue(COrbel* adapter, double& frameRate) {
    Set(frameRate, 30.0);
    Set(colorRed, 0.0);
    Set(colorGreen, 0.0);
    Set(colorBlue, 0.0);
    Set(colorAlpha, 0.0);
    Set(hostSampleRate, getSampleRate(adapter));
    Set(hostNumChannels, getNumInputs(adapter));
    Set(hostBlockSize, getBlockSize(adapter));
    Set(hostTempo, getTempo(adapter));
    // The time signature keeps the last block's values (0 before the first block).
    CopyHostVariables();
}

void StandardVariables::BlockPrologue(COrbel* adapter) {
    if (WallClockSeconds() - lastTickTime > 0.25) {
        if (IsNonZero(displayUpdatePending)) {
            Set(displayUpdatePending, 0.0);
            updateDisplay(adapter);
        }
        Set(lastTickTime, WallClockSeconds());
    }
    if (IsNonZero(delaySamples - reportedDelay)) {
        Set(reportedDelay, delaySamples);
        setInitialDelay(adapter, ToIndex(delaySamples));
    }
    // One time record answers every question of the block, by the rules of the single
    // queries (getTimeSignature, isPlaying, isRecording, getPpqPos). Without one the previous
    // tempo and signature stay: a host that stops answering keeps them rather than dropping
    // to 0.
    const VstTimeInfo* time = getBlockTimeInfo(adapter);
    if (time) {
        Set(hostTempo, time->tempo);
        Set(hostTimeSigNumerator, time->timeSigNumerator);
        Set(hostTimeSigDenominator, time->timeSigDenominator);
    }
    const int32_t flags = time ? time->flags : 0;
    Set(playState, ((flags & kVstTransportPlaying) ? 1.0 : 0.0) +
                       ((flags & kVstTransportRecording) ? 4.0 : 0.0));
    Set(beatPosition, time ? time->ppqPos : 0.0);
    CopyHostVariables();
}
