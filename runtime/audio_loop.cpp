#include "runtime/audio_loop.h"

#include <algorithm>
#include <atomic>

#include "plugin/host_services.h"
#include "runtime/zolt.h"

namespace {

std::atomic<bool> perFrameForced{false};

// The channel count of a path, read once per instance from the inputs the adapter
// announced, and bounded by the sample variables that exist.
int32_t PathChannels(COrbel* adapter, int32_t& cached) {
    if (cached < 0) {
        cached = std::clamp(getNumInputs(adapter), 0, CZoltSamples::kMaxChannels);
    }
    return cached;
}

// A host may leave a channel's buffer out (null): that input reads as silence and that
// output is not written.
template <typename Sample>
bool AnyMissing(Sample* const* buffers, int32_t n) {
    for (int32_t c = 0; c < n; ++c) {
        if (!buffers[c]) return true;
    }
    return false;
}

template <typename Sample>
void RunFrames(TZolt& effect, Sample** inputs, Sample** outputs, int32_t n, int32_t frames) {
    double* samples = effect.samples;
    if (n == 2 && !AnyMissing(inputs, n) && !AnyMissing(outputs, n)) {
        Sample* in0 = inputs[0];
        Sample* in1 = inputs[1];
        Sample* out0 = outputs[0];
        Sample* out1 = outputs[1];
        for (int32_t j = 0; j < frames; ++j) {
            samples[0] = static_cast<double>(in0[j]);
            samples[1] = static_cast<double>(in1[j]);
            effect.RunSample();
            // Same store order as the general loop, so shared output buffers end alike.
            out1[j] = static_cast<Sample>(samples[1]);
            out0[j] = static_cast<Sample>(samples[0]);
        }
        return;
    }
    for (int32_t j = 0; j < frames; ++j) {
        for (int32_t c = n - 1; c >= 0; --c) {
            samples[c] = inputs[c] ? static_cast<double>(inputs[c][j]) : 0.0;
        }
        effect.RunSample();
        for (int32_t c = n - 1; c >= 0; --c) {
            if (outputs[c]) outputs[c][j] = static_cast<Sample>(samples[c]);
        }
    }
}

template <typename Sample>
void Process(COrbel* adapter, Sample** inputs, Sample** outputs, int32_t frames,
             int32_t CZoltSamples::*channelsField) {
    TZolt* effect = getEffectObject(adapter);
    if (!effect) return;
    const int32_t n = PathChannels(adapter, effect->*channelsField);
    // No array at all counts as every channel missing. Nothing writes the entries.
    static Sample* none[CZoltSamples::kMaxChannels] = {};
    if (!inputs) inputs = none;
    if (!outputs) outputs = none;
    effect->RunBlock();
    frames = std::max(frames, 0);
    if (!perFrameForced.load(std::memory_order_relaxed) &&
        effect->RunSampleBlock(inputs, outputs, n, frames)) {
        return;
    }
    RunFrames(*effect, inputs, outputs, n, frames);
}

}  // namespace

void RuntimeProcessReplacing(COrbel* adapter, float** inputs, float** outputs, int32_t frames) {
    Process(adapter, inputs, outputs, frames, &CZoltSamples::floatPathChannels);
}

void RuntimeProcessDoubleReplacing(COrbel* adapter, double** inputs, double** outputs,
                                   int32_t frames) {
    Process(adapter, inputs, outputs, frames, &CZoltSamples::doublePathChannels);
}

void ForcePerFrameLoop(bool force) {
    perFrameForced.store(force, std::memory_order_relaxed);
}
