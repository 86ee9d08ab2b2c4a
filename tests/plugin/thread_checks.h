// What the multi-threaded host-level tests share: the outputs a router may give while its
// switches move on another thread, and the first failure any thread reports.
#pragma once

#include <mutex>
#include <string>

#include "tests/plugin/audio_block.h"

// While switches move, an output may take either side of a switch, but nothing else: a
// copy of input 1/2, or (bus 1) silence, or (buses 2 to 8) its own input.
template <typename Sample>
bool OnlyCleanCopies(const AudioBlock<Sample>& block, std::string& failure) {
    for (int c = 0; c < AudioBlock<Sample>::kChannels; ++c) {
        for (int j = 0; j < block.frames(); ++j) {
            const Sample out = block.Output(c, j);
            const Sample other = c < 2 ? Sample(0) : block.in(c, j);
            if (Bits(out) != Bits(block.in(c % 2, j)) && Bits(out) != Bits(other)) {
                failure = "output " + std::to_string(c + 1) + " frame " + std::to_string(j) +
                          " holds " + std::to_string(out);
                return false;
            }
        }
    }
    return true;
}

// [any] Keeps the first failure that any thread reports.
class FirstFailure {
  public:
    void operator()(const std::string& what) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failure_.empty()) failure_ = what;
    }
    std::string get() {
        std::lock_guard<std::mutex> lock(mutex_);
        return failure_;
    }

  private:
    std::mutex mutex_;
    std::string failure_;
};
