// The script variables every effect class carries, and the standard prologues that fetch
// them from the host and copy them into the script's view.
#pragma once

#include "runtime/script_numbers.h"

class COrbel;

// Every member is a double, so aligning the record aligns each of them.
struct alignas(kSharedAlignment) StandardVariables {
    // Script-visible host variables and the copies the runtime fetched from the host.
    double sampleRate = 0.0;
    double hostSampleRate = 0.0;
    double numChannels = 0.0;
    double hostNumChannels = 0.0;
    double blockSize = 0.0;
    double hostBlockSize = 0.0;
    double tempo = 0.0;
    double hostTempo = 0.0;
    double timeSigNumerator = 0.0;
    double hostTimeSigNumerator = 0.0;
    double timeSigDenominator = 0.0;
    double hostTimeSigDenominator = 0.0;
    // Transport, latency and display refresh.
    double playState = 0.0;  // 1 playing, + 4 recording
    double beatPosition = 0.0;
    double delaySamples = 0.0;
    double reportedDelay = 0.0;
    double displayUpdatePending = 0.0;
    double lastTickTime = 0.0;
    // Graphics and mouse, as the graphics section sees them.
    double colorRed = 0.0;
    double colorGreen = 0.0;
    double colorBlue = 0.0;
    double colorAlpha = 0.0;
    double drawMode = 0.0;
    double canvasWidth = 0.0;
    double canvasHeight = 0.0;
    double mouseButtons = 0.0;
    double mouseX = 0.0;
    double mouseY = 0.0;
    double clearColor = 0.0;

    // [main] Every variable back to 0.0 (open).
    void Zero() { *this = StandardVariables{}; }
    // [any] The common prologue: host-side copies into the script variables.
    void CopyHostVariables();
    // [any] Start of the initialisation section; sets the redraw rate.
    void InitPrologue(COrbel* adapter, double& frameRate);
    // [audio & resumed] The block section's work: quarter-second tick, delay report, time
    // signature and transport.
    void BlockPrologue(COrbel* adapter);
};
