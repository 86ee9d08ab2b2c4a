// The audio loop: host channel buffers in and out of the sample variables, frame by frame.
#pragma once

#include <cstdint>

class COrbel;

// [audio & resumed] Runs the block section once, then the sample section per frame. Outputs
// replace the buffers' contents; every input of a frame is read before any output of that
// frame is written, so in-place and shared buffers work. Never allocates.
void RuntimeProcessReplacing(COrbel* adapter, float** inputs, float** outputs, int32_t frames);
void RuntimeProcessDoubleReplacing(COrbel* adapter, double** inputs, double** outputs,
                                   int32_t frames);
