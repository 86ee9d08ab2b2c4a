#include "tools/vst2host/level_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vst2host {
namespace {

std::string FileChannels(const std::vector<int>& channels) {
    if (channels.empty()) return "-";
    std::string text = "file";
    for (std::size_t i = 0; i < channels.size(); ++i) {
        text += (i == 0 ? " " : ",") + std::to_string(channels[i]);
    }
    return text;
}

}  // namespace

template <typename T>
void LevelMeter::addSamples(const T* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const double x = static_cast<double>(samples[i]);
        // NaN fails every comparison: std::max would keep or drop it by argument order.
        const double magnitude = std::fabs(x);
        if (magnitude > peak_ || std::isnan(magnitude)) peak_ = magnitude;
        sumOfSquares_ += x * x;
    }
    count_ += count;
}

void LevelMeter::add(const float* samples, std::size_t count) {
    addSamples(samples, count);
}

void LevelMeter::add(const double* samples, std::size_t count) {
    addSamples(samples, count);
}

double LevelMeter::rms() const {
    return count_ == 0 ? 0.0 : std::sqrt(sumOfSquares_ / static_cast<double>(count_));
}

std::string DecibelText(double level) {
    if (std::isnan(level)) return "nan";
    if (level <= 0.0) return "-inf";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", 20.0 * std::log10(level));
    return buffer;
}

std::string FormatLevelReport(const std::vector<InputLevel>& inputs,
                              const std::vector<OutputLevel>& outputs, int64_t frames) {
    std::vector<std::vector<std::string>> rows = {
        {"channel", "input from", "in peak", "in RMS", "out peak", "out RMS", "written to"}};
    const std::size_t count = std::max(inputs.size(), outputs.size());
    for (std::size_t c = 0; c < count; ++c) {
        std::vector<std::string> row = {std::to_string(c + 1)};
        if (c < inputs.size()) {
            const InputLevel& in = inputs[c];
            row.push_back(in.fileChannel == 0 ? "silence"
                                              : "file " + std::to_string(in.fileChannel));
            row.push_back(DecibelText(in.meter.peak()));
            row.push_back(DecibelText(in.meter.rms()));
        } else {
            row.insert(row.end(), {"-", "", ""});
        }
        if (c < outputs.size()) {
            row.push_back(DecibelText(outputs[c].meter.peak()));
            row.push_back(DecibelText(outputs[c].meter.rms()));
            row.push_back(FileChannels(outputs[c].fileChannels));
        } else {
            row.insert(row.end(), {"", "", "-"});
        }
        rows.push_back(std::move(row));
    }
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    std::string text = "levels in dBFS over " + std::to_string(frames) +
                       " frames (tail included), per plug-in channel:\n";
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            // Numbers right-aligned, so the decimal points line up.
            line += "  " + std::string(widths[i] - row[i].size(), ' ') + row[i];
        }
        text += line + "\n";
    }
    return text;
}

}  // namespace vst2host
