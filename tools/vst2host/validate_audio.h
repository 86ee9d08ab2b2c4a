// Host audio buffers for the validation checks: noise in, every output checked for finite
// samples, every channel for writes past the block; a write past the whole buffer crashes in
// the call that made it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/validate_call.h"
#include "tools/vst2host/validate_guarded_channel.h"

namespace vst2host {

template <typename Sample>
class NoiseBlock {
  public:
    // Room for maxFrames per channel, plus a guard after it.
    NoiseBlock(int32_t inputs, int32_t outputs, int32_t maxFrames, uint32_t seed = 1)
        : maxFrames_(maxFrames), seed_(seed) {
        for (int32_t c = 0; c < inputs; ++c) in_.push_back(std::make_unique<Channel>(Stride()));
        for (int32_t c = 0; c < outputs; ++c) out_.push_back(std::make_unique<Channel>(Stride()));
        for (auto& c : in_) inPtrs_.push_back(c->data());
        for (auto& c : out_) outPtrs_.push_back(c->data());
        // A plug-in may index one past its channel count; give it a null, not garbage.
        inPtrs_.push_back(nullptr);
        outPtrs_.push_back(nullptr);
    }

    // New noise in -1..1 on every input and every output zero, for the `frames` of the
    // coming call, and a guard after them to the end of every buffer: a plug-in that writes
    // its announced maximum instead of the call's frame count shows, and the guard is long
    // enough that it does so in the guard rather than in the heap. The inputs' guard is not
    // the outputs', so that one copied onto the other shows too.
    void Refill(int32_t frames) {
        const auto block = static_cast<std::size_t>(std::clamp(frames, 0, maxFrames_));
        for (auto& c : in_) {
            for (std::size_t j = 0; j < block; ++j) (*c)[j] = static_cast<Sample>(Next());
            std::fill(c->begin() + block, c->end(), kInputGuard);
        }
        for (auto& c : out_) {
            std::fill(c->begin(), c->begin() + block, Sample(0));
            std::fill(c->begin() + block, c->end(), kOutputGuard);
        }
    }

    Sample** inputs() { return inPtrs_.data(); }
    Sample** outputs() { return outPtrs_.data(); }

    // "" when the first `frames` of every output are finite and no guard was touched; frames
    // as given to the Refill before the call.
    std::string Fault(int32_t frames) const {
        for (std::size_t c = 0; c < out_.size(); ++c) {
            for (int32_t j = 0; j < frames; ++j) {
                const Sample s = (*out_[c])[static_cast<std::size_t>(j)];
                if (!std::isfinite(s)) {
                    return "output " + std::to_string(c + 1) + " frame " + std::to_string(j) +
                           " is " + std::to_string(static_cast<double>(s));
                }
            }
            if (const std::size_t j = PastTheBlock(*out_[c], frames, kOutputGuard); j != 0) {
                return "output " + std::to_string(c + 1) + " written past the block (frame " +
                       std::to_string(j) + ")";
            }
        }
        for (std::size_t c = 0; c < in_.size(); ++c) {
            if (const std::size_t j = PastTheBlock(*in_[c], frames, kInputGuard); j != 0) {
                return "input " + std::to_string(c + 1) + " written past the block (frame " +
                       std::to_string(j) + ")";
            }
        }
        return "";
    }

  private:
    // As long as the largest block the checks announce.
    static constexpr int32_t kGuardFrames = 512;

    using Channel = GuardedChannel<Sample>;

    // The last guard frame written, 0 when none was.
    static std::size_t PastTheBlock(const Channel& channel, int32_t frames, Sample guard) {
        for (std::size_t j = channel.size(); j-- > static_cast<std::size_t>(frames);) {
            if (channel[j] != guard) return j;
        }
        return 0;
    }

    // Exact in both precisions, and no plain gain of each other.
    static constexpr Sample kInputGuard = Sample(0.125);
    static constexpr Sample kOutputGuard = Sample(-0.6796875);

    std::size_t Stride() const {
        return (static_cast<std::size_t>(maxFrames_ + kGuardFrames) + 15) / 16 * 16;
    }
    double Next() {
        seed_ = seed_ * 1664525u + 1013904223u;
        return static_cast<double>(seed_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

    int32_t maxFrames_;
    uint32_t seed_;
    std::vector<std::unique_ptr<Channel>> in_;
    std::vector<std::unique_ptr<Channel>> out_;
    std::vector<Sample*> inPtrs_;
    std::vector<Sample*> outPtrs_;
};

// [audio] One process call of either precision through the record's entries.
template <typename Sample>
void ProcessBlock(const ValidatedPlugin& plugin, NoiseBlock<Sample>& b, int32_t frames) {
    plugin.process(b.inputs(), b.outputs(), frames);
}

// [main] Suspends, sets rate and maximum block size, resumes and starts processing, as a host
// does when its audio setup changes.
inline void StartProcessing(const ValidatedPlugin& plugin, double rate, int32_t maxBlock) {
    plugin.dispatch(effMainsChanged, 0, 0);
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    plugin.dispatch(effSetBlockSize, 0, maxBlock);
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effStartProcess);
}

inline void StopProcessing(const ValidatedPlugin& plugin) {
    plugin.dispatch(effStopProcess);
    plugin.dispatch(effMainsChanged, 0, 0);
}

}  // namespace vst2host
