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
    // One time record answers every question of the block. Without one the previous tempo
    // and signature stay: a host that stops answering keeps them rather than dropping to 0.
    const HostTransport transport = getBlockTransport(adapter);
    if (transport.known) {
        Set(hostTempo, transport.tempo);
        Set(hostTimeSigNumerator, transport.numerator);
        Set(hostTimeSigDenominator, transport.denominator);
    }
    Set(playState, (transport.playing ? 1.0 : 0.0) + (transport.recording ? 4.0 : 0.0));
    Set(beatPosition, transport.ppqPos);
    CopyHostVariables();
}
