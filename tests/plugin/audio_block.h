// Sixteen-channel host buffers for one process call, in either precision, and bit-exact
// comparison of samples.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <type_traits>
#include <vector>

template <typename Sample>
using SampleBits = std::conditional_t<sizeof(Sample) == 4, uint32_t, uint64_t>;

template <typename Sample>
SampleBits<Sample> Bits(Sample x) {
    return std::bit_cast<SampleBits<Sample>>(x);
}

template <typename Sample>
class AudioBlock {
  public:
    static constexpr int kChannels = 16;

    explicit AudioBlock(int frames) : frames_(frames) {
        for (int c = 0; c < kChannels; ++c) {
            in_[c].assign(static_cast<size_t>(frames), Sample{});
            out_[c].assign(static_cast<size_t>(frames), Sample{});
            inPtrs_[c] = in_[c].data();
            outPtrs_[c] = out_[c].data();
        }
    }
    // The channel arrays point into this object.
    AudioBlock(const AudioBlock&) = delete;
    AudioBlock& operator=(const AudioBlock&) = delete;

    int frames() const { return frames_; }
    Sample& in(int channel, int frame) { return in_[channel][static_cast<size_t>(frame)]; }
    Sample in(int channel, int frame) const { return in_[channel][static_cast<size_t>(frame)]; }
    Sample& out(int channel, int frame) { return out_[channel][static_cast<size_t>(frame)]; }
    // The sample a frame's output channel holds, read through the pointer the host passed,
    // so that in-place and shared buffers are read where the plug-in wrote.
    Sample Output(int channel, int frame) const { return outPtrs_[channel][frame]; }

    // A different, exactly representable value in every channel and frame, of both signs,
    // so that any sample taken from the wrong channel or frame shows.
    void FillDistinctInputs() {
        for (int c = 0; c < kChannels; ++c) {
            for (int j = 0; j < frames_; ++j) {
                const Sample magnitude = static_cast<Sample>((c + 1) * 1000 + j) + Sample(0.25);
                in(c, j) = j % 2 ? -magnitude : magnitude;
            }
        }
    }
    void FillOutputs(Sample value) {
        for (int c = 0; c < kChannels; ++c) out_[c].assign(static_cast<size_t>(frames_), value);
    }

    // Host arrays of channel pointers; tests may repoint channels (in-place, shared buffers).
    std::array<Sample*, kChannels>& inputPointers() { return inPtrs_; }
    std::array<Sample*, kChannels>& outputPointers() { return outPtrs_; }
    Sample** inputs() { return inPtrs_.data(); }
    Sample** outputs() { return outPtrs_.data(); }

  private:
    int frames_;
    std::array<std::vector<Sample>, kChannels> in_;
    std::array<std::vector<Sample>, kChannels> out_;
    std::array<Sample*, kChannels> inPtrs_{};
    std::array<Sample*, kChannels> outPtrs_{};
};
