#include "runtime/standard_variables.h"

#include "plugin/host_services.h"
#include "plugin/platform.h"
#include "runtime/script_numbers.h"

void StandardVariables::CopyHostVariables() {
    GuardedStore(sampleRate, hostSampleRate);
    GuardedStore(numChannels, hostNumChannels);
    GuardedStore(blockSize, hostBlockSize);
    GuardedStore(tempo, hostTempo);
    GuardedStore(timeSigNumerator, hostTimeSigNumerator);
    GuardedStore(timeSigDenominator, hostTimeSigDenominator);
}

void StandardVariables::InitPrologue(COrbel* adapter, double& frameRate) {
    GuardedStore(frameRate, 30.0);
    GuardedStore(colorRed, 0.0);
    GuardedStore(colorGreen, 0.0);
    GuardedStore(colorBlue, 0.0);
    GuardedStore(colorAlpha, 0.0);
    GuardedStore(hostSampleRate, getSampleRate(adapter));
    GuardedStore(sampleRate, hostSampleRate);
    GuardedStore(hostNumChannels, getNumInputs(adapter));
    GuardedStore(numChannels, hostNumChannels);
    GuardedStore(hostBlockSize, getBlockSize(adapter));
    GuardedStore(blockSize, hostBlockSize);
    GuardedStore(hostTempo, getTempo(adapter));
    GuardedStore(tempo, hostTempo);
    GuardedStore(timeSigNumerator, hostTimeSigNumerator);
    GuardedStore(timeSigDenominator, hostTimeSigDenominator);
}

void StandardVariables::BlockPrologue(COrbel* adapter) {
    if (WallClockSeconds() - lastTickTime > 0.25) {
        if (IsNonZero(displayUpdatePending)) {
            GuardedStore(displayUpdatePending, 0.0);
            updateDisplay(adapter);
        }
        GuardedStore(lastTickTime, WallClockSeconds());
    }
    if (IsNonZero(delaySamples - reportedDelay)) {
        GuardedStore(reportedDelay, delaySamples);
        setInitialDelay(adapter, ToIndex(delaySamples));
    }
    // Without a time record the previous values stay: a host that stops answering keeps the
    // last tempo and signature rather than dropping to 0.
    double newTempo = hostTempo;
    double numerator = hostTimeSigNumerator;
    double denominator = hostTimeSigDenominator;
    getTimeSignature(adapter, &newTempo, &numerator, &denominator);
    GuardedStore(hostTempo, newTempo);
    GuardedStore(hostTimeSigNumerator, numerator);
    GuardedStore(hostTimeSigDenominator, denominator);
    GuardedStore(playState, (isPlaying(adapter) ? 1.0 : 0.0) + (isRecording(adapter) ? 4.0 : 0.0));
    GuardedStore(beatPosition, getPpqPos(adapter));
    CopyHostVariables();
}
