// The --report levels: correct decibels for known signals, and a table a person can read.
#include "tools/vst2host/level_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace vst2host {
namespace {

TEST(LevelReport, MeasuresKnownSignals) {
    std::vector<float> sine(48000);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] =
            0.5f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0));
    }
    LevelMeter meter;
    meter.add(sine.data(), sine.size());
    EXPECT_EQ(DecibelText(meter.peak()), "-6.0");
    EXPECT_EQ(DecibelText(meter.rms()), "-9.0");  // a sine's RMS is 3 dB under its peak

    // Blocks add up: the same signal in two halves, as doubles.
    std::vector<double> square = {1.0, -1.0, 1.0, -1.0};
    LevelMeter blocks;
    blocks.add(square.data(), 2);
    blocks.add(square.data() + 2, 2);
    EXPECT_EQ(DecibelText(blocks.peak()), "0.0");
    EXPECT_EQ(DecibelText(blocks.rms()), "0.0");

    LevelMeter silent;
    std::vector<float> zeros(64, 0.0f);
    silent.add(zeros.data(), zeros.size());
    EXPECT_EQ(DecibelText(silent.peak()), "-inf");
    EXPECT_EQ(DecibelText(silent.rms()), "-inf");
    EXPECT_EQ(DecibelText(LevelMeter{}.rms()), "-inf");

    // A NaN anywhere in a block shows, wherever it falls.
    for (std::size_t at : {0u, 1u}) {
        std::vector<float> broken = {0.25f, 0.25f};
        broken[at] = std::numeric_limits<float>::quiet_NaN();
        LevelMeter m;
        m.add(broken.data(), broken.size());
        EXPECT_EQ(DecibelText(m.peak()), "nan") << at;
    }
}

TEST(LevelReport, OneRowPerPluginChannelWithInputBesideOutput) {
    std::vector<float> half = {0.5f, -0.5f};
    std::vector<InputLevel> inputs(2);
    inputs[0].fileChannel = 3;
    inputs[0].meter.add(half.data(), half.size());
    inputs[1].fileChannel = 0;  // fed silence
    std::vector<OutputLevel> outputs(3);
    outputs[0].meter.add(half.data(), half.size());
    outputs[0].fileChannels = {2};
    outputs[2].fileChannels = {1, 3};  // --outputs 3,1,3
    const std::string report = FormatLevelReport(inputs, outputs, 2);
    EXPECT_EQ(report,
              "levels in dBFS over 2 frames (tail included), per plug-in channel:\n"
              "  channel  input from  in peak  in RMS  out peak  out RMS  written to\n"
              "        1      file 3     -6.0    -6.0      -6.0     -6.0      file 2\n"
              "        2     silence     -inf    -inf      -inf     -inf           -\n"
              "        3           -                       -inf     -inf    file 1,3\n");
}

}  // namespace
}  // namespace vst2host
