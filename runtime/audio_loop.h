// The audio loop: host channel buffers in and out of the sample variables, frame by frame,
// or in one piece when the effect offers a block path for the call.
#pragma once

#include <cstdint>

class COrbel;

// [audio & resumed] Runs the block section once, then the sample section per frame. Outputs
// replace the buffers' contents; every input of a frame is read before any output of that
// frame is written, so in-place and shared buffers work. A null input channel (or a null
// array) reads as silence and a null output channel is not written; the call runs as usual
// otherwise. Never allocates. When the effect's block path (RunSampleBlock) takes the call,
// it leaves the same bytes in one piece.
void RuntimeProcessReplacing(COrbel* adapter, float** inputs, float** outputs, int32_t frames);
void RuntimeProcessDoubleReplacing(COrbel* adapter, double** inputs, double** outputs,
                                   int32_t frames);

// [main] Sends every call through the per-frame loop even where the effect offers a block
// path (true), or lets the block path run again (false), so that tests can compare the
// two. Process-wide; only call it while no instance processes.
void ForcePerFrameLoop(bool force);
