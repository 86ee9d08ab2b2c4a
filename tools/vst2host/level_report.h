// --report: peak and RMS level of each plug-in channel, what went in beside what came out, so a
// person sees at a glance which output carries what.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vst2host {

class LevelMeter {
  public:
    void add(const float* samples, std::size_t count);
    void add(const double* samples, std::size_t count);

    // Linear, full scale = 1; 0 when nothing was added.
    double peak() const { return peak_; }
    double rms() const;

  private:
    template <typename T>
    void addSamples(const T* samples, std::size_t count);

    double peak_ = 0.0;
    double sumOfSquares_ = 0.0;
    uint64_t count_ = 0;
};

// A level in dBFS with one decimal, "-inf" for silence.
std::string DecibelText(double level);

struct InputLevel {
    int fileChannel = 0;  // 0: fed silence
    LevelMeter meter;
};

struct OutputLevel {
    std::vector<int> fileChannels;  // where this output was written; empty: not written
    LevelMeter meter;
};

// One row per plug-in channel number, as many as the larger of inputs and outputs.
std::string FormatLevelReport(const std::vector<InputLevel>& inputs,
                              const std::vector<OutputLevel>& outputs, int64_t frames);

}  // namespace vst2host
