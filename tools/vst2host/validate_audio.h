// Host audio buffers for the validation checks: noise in, every output checked for finite
// samples and for writes past the block.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/plugin_loader/plugin_host.h"

namespace vst2host {

template <typename Sample>
class NoiseBlock {
  public:
    // Room for maxFrames per channel, plus a guard after it.
    NoiseBlock(int32_t inputs, int32_t outputs, int32_t maxFrames, uint32_t seed = 1)
        : maxFrames_(maxFrames), seed_(seed) {
        in_.resize(static_cast<std::size_t>(std::max(inputs, 0)));
        out_.resize(static_cast<std::size_t>(std::max(outputs, 0)));
        for (auto& c : in_) c.assign(Stride(), Sample(0));
        for (auto& c : out_) c.assign(Stride(), Sample(0));
        for (auto& c : in_) inPtrs_.push_back(c.data());
        for (auto& c : out_) outPtrs_.push_back(c.data());
        // A plug-in may index one past its channel count; give it a null, not garbage.
        inPtrs_.push_back(nullptr);
        outPtrs_.push_back(nullptr);
    }

    // New noise in -1..1 on every input; every output zero for the `frames` of the coming
    // call and a guard after them, to the end of the buffer: a plug-in that writes its
    // announced maximum instead of the call's frame count shows.
    void Refill(int32_t frames) {
        for (auto& c : in_) {
            for (auto& s : c) s = static_cast<Sample>(Next());
        }
        const auto block = static_cast<std::size_t>(std::clamp(frames, 0, maxFrames_));
        for (auto& c : out_) {
            std::fill(c.begin(), c.begin() + static_cast<std::ptrdiff_t>(block), Sample(0));
            std::fill(c.begin() + static_cast<std::ptrdiff_t>(block), c.end(), kGuard);
        }
    }

    Sample** inputs() { return inPtrs_.data(); }
    Sample** outputs() { return outPtrs_.data(); }

    // "" when the first `frames` of every output are finite and no guard was touched; frames
    // as given to the Refill before the call.
    std::string Fault(int32_t frames) const {
        for (std::size_t c = 0; c < out_.size(); ++c) {
            for (int32_t j = 0; j < frames; ++j) {
                const Sample s = out_[c][static_cast<std::size_t>(j)];
                if (!std::isfinite(s)) {
                    return "output " + std::to_string(c + 1) + " frame " + std::to_string(j) +
                           " is " + std::to_string(static_cast<double>(s));
                }
            }
            for (std::size_t j = static_cast<std::size_t>(frames); j < Stride(); ++j) {
                if (out_[c][j] != kGuard) {
                    return "output " + std::to_string(c + 1) + " written past the block";
                }
            }
        }
        return "";
    }

  private:
    static constexpr int32_t kGuardFrames = 16;
    static constexpr Sample kGuard = Sample(0.125);

    std::size_t Stride() const { return static_cast<std::size_t>(maxFrames_ + kGuardFrames); }
    double Next() {
        seed_ = seed_ * 1664525u + 1013904223u;
        return static_cast<double>(seed_ >> 8) / static_cast<double>(1u << 23) - 1.0;
    }

    int32_t maxFrames_;
    uint32_t seed_;
    std::vector<std::vector<Sample>> in_;
    std::vector<std::vector<Sample>> out_;
    std::vector<Sample*> inPtrs_;
    std::vector<Sample*> outPtrs_;
};

// [audio] One process call of either precision through the record's entries.
inline void ProcessBlock(const AEffect& e, NoiseBlock<float>& b, int32_t frames) {
    e.processReplacing(const_cast<AEffect*>(&e), b.inputs(), b.outputs(), frames);
}
inline void ProcessBlock(const AEffect& e, NoiseBlock<double>& b, int32_t frames) {
    e.processDoubleReplacing(const_cast<AEffect*>(&e), b.inputs(), b.outputs(), frames);
}

// [main] Suspends, sets rate and maximum block size, resumes and starts processing, as a host
// does when its audio setup changes.
inline void StartProcessing(const LoadedPlugin& plugin, double rate, int32_t maxBlock) {
    plugin.dispatch(effMainsChanged, 0, 0);
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    plugin.dispatch(effSetBlockSize, 0, maxBlock);
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effStartProcess);
}

inline void StopProcessing(const LoadedPlugin& plugin) {
    plugin.dispatch(effStopProcess);
    plugin.dispatch(effMainsChanged, 0, 0);
}

}  // namespace vst2host
