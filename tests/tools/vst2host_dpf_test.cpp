// vst2host with a plug-in it knows nothing of: DISTRHO's 3 Band EQ as Debian ships it
// (dpf-plugins-vst). It keeps no chunks, has parameters with continuous display texts and no
// 64-bit path. At its defaults it passes audio at unity gain; its Master knob at the bottom
// of its range takes 24 dB off, counted as 6 dB per halving: exactly 1/16.
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "tests/tools/host_process.h"
#include "tests/tools/sound_file.h"

namespace host_test {
namespace {

constexpr int kRate = 48000;
constexpr int64_t kFrames = 4800;

class ThreeBandEq : public ::testing::Test {
  protected:
    void SetUp() override {
        struct stat st {};
        // Missing means the machine lacks dpf-plugins-vst: a failure, never a skip.
        ASSERT_EQ(stat(DPF_3BANDEQ, &st), 0) << DPF_3BANDEQ << " missing; install dpf-plugins-vst";
        std::vector<float> samples;
        for (int64_t f = 0; f < kFrames; ++f) {
            const double t = static_cast<double>(f) / kRate;
            samples.push_back(static_cast<float>(0.25 * std::sin(2 * std::numbers::pi * 1000 * t)));
            samples.push_back(static_cast<float>(0.25 * std::sin(2 * std::numbers::pi * 300 * t)));
        }
        WriteSound(dir.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate, samples);
    }
    ScratchDir dir;
};

TEST_F(ThreeBandEq, RendersAtUnityGainAndAtTheMasterSetting) {
    const struct {
        const char* what;
        std::vector<std::string> options;
        double gain;
    } cases[] = {
        {"defaults", {}, 1.0},
        {"Master by its display text", {"--set", "Master=-24.000000"}, 1.0 / 16},
        {"Master by index", {"--set", "3=0"}, 1.0 / 16},
    };
    const Sound in = ReadSound(dir.file("in.wav"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {
            "render", DPF_3BANDEQ, dir.file("in.wav"), dir.file("out.wav"), "--tail", "0.1"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = RunHost(args);
        ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
        const Sound out = ReadSound(dir.file("out.wav"));
        ASSERT_EQ(out.channels, 2);
        ASSERT_EQ(out.sampleRate, kRate);
        ASSERT_EQ(out.frames, kFrames + kRate / 10);
        double worst = 0.0;
        for (std::size_t i = 0; i < in.samples.size(); ++i) {
            worst = std::max(worst, std::fabs(out.samples[i] - c.gain * in.samples[i]));
        }
        EXPECT_LT(worst, 1e-6);
    }
}

TEST_F(ThreeBandEq, SavesItsParametersAsAListAndLoadsThem) {
    const std::string preset = dir.file("quiet.fxp");
    const Result saved = RunHost({"preset", "save", DPF_3BANDEQ, preset, "--set", "3=0"});
    ASSERT_TRUE(saved.exited && saved.status == 0) << Describe(saved);
    EXPECT_EQ(saved.err, "vst2host: wrote " + preset + " (6 parameter values)\n");
    const auto bytes = ReadBytes(preset);
    ASSERT_EQ(bytes.size(), 56u + 6 * 4);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "FxCk");
    EXPECT_EQ(std::string(bytes.begin() + 16, bytes.begin() + 20), "D3EQ");

    const Result info = RunHost({"info", DPF_3BANDEQ, "--preset", preset});
    ASSERT_TRUE(info.exited && info.status == 0) << Describe(info);
    const auto rows = ParameterTable(info.out);
    ASSERT_EQ(rows.size(), 6u) << info.out;
    EXPECT_EQ(rows[3].name, "Master");
    EXPECT_EQ(rows[3].display, "-24.000000");
    EXPECT_EQ(rows[0].display, "0.000000");

    // The router's program is not this plug-in's.
    const Result wrong = RunHost({"info", LOTTA_ROUTER, "--preset", preset});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(Lines(wrong.err).size(), 1u) << wrong.err;
}

TEST_F(ThreeBandEq, RefusesTheMissing64BitPath) {
    const Result r =
        RunHost({"render", DPF_3BANDEQ, dir.file("in.wav"), dir.file("out.wav"), "--double"});
    EXPECT_EQ(r.status, 2) << Describe(r);
    EXPECT_EQ(r.err,
              "vst2host: --double: the plug-in cannot process 64-bit samples (flag 0x1000 "
              "missing)\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.wav"});
}

}  // namespace
}  // namespace host_test
