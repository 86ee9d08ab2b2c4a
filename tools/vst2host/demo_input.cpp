#include "tools/vst2host/demo_input.h"

#include <sndfile.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <numbers>
#include <vector>

#include "tools/vst2host/audio_file.h"
#include "tools/vst2host/command_error.h"

namespace vst2host {
namespace {

constexpr int kChannels = 16;
constexpr int kSampleRate = 48000;
constexpr double kDefaultSeconds = 2.0;
constexpr double kMaxSeconds = 3600.0;
constexpr int kBlockFrames = 4096;
constexpr double kPairLevelDb = -6.0;
constexpr double kToneLevelDb = -30.0;

double Amplitude(double decibels) {
    return std::pow(10.0, decibels / 20.0);
}

// Channel 1: 440 Hz, channel 2: 660 Hz, channel c >= 3: 200 Hz + 100 Hz per channel past 2.
double Frequency(int channel) {
    if (channel == 1) return 440.0;
    if (channel == 2) return 660.0;
    return 200.0 + 100.0 * (channel - 2);
}

double ParseSeconds(const std::optional<std::string>& text) {
    if (!text) return kDefaultSeconds;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (text->empty() || error != std::errc() || end != text->data() + text->size() ||
        !(value > 0.0 && value <= kMaxSeconds)) {
        throw CommandError("--seconds: '" + *text + "' is not a duration above 0 and up to " +
                           std::to_string(static_cast<int>(kMaxSeconds)));
    }
    return value;
}

}  // namespace

int RunDemoInputCommand(const std::string& outputPath, const std::optional<std::string>& seconds) {
    const auto frames = static_cast<int64_t>(std::llround(ParseSeconds(seconds) * kSampleRate));
    // A setup step, unlike render: it makes its folder (demo/in.wav in a fresh clone).
    const std::filesystem::path parent = std::filesystem::path(outputPath).parent_path();
    std::error_code error;
    if (!parent.empty()) std::filesystem::create_directories(parent, error);
    if (error) throw CommandError("cannot write " + outputPath + ": " + error.message());
    AudioWriter writer(outputPath, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kChannels, kSampleRate);
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames) * kChannels);
    for (int64_t start = 0; start < frames; start += kBlockFrames) {
        const int64_t n = std::min<int64_t>(kBlockFrames, frames - start);
        for (int64_t f = 0; f < n; ++f) {
            const double t = static_cast<double>(start + f) / kSampleRate;
            for (int c = 1; c <= kChannels; ++c) {
                const double level = Amplitude(c <= 2 ? kPairLevelDb : kToneLevelDb);
                block[static_cast<std::size_t>(f * kChannels + c - 1)] =
                    static_cast<float>(level * std::sin(2.0 * std::numbers::pi * Frequency(c) * t));
            }
        }
        writer.write(block.data(), n);
    }
    writer.commit();
    std::cerr << "vst2host: wrote " << outputPath << " (" << kChannels << " channels, "
              << kSampleRate << " Hz, " << frames << " frames)\n";
    return 0;
}

}  // namespace vst2host
