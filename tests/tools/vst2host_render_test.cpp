// `vst2host render` and `demo-input` run as a person runs them: files written with libsndfile,
// rendered through the router and through plug-ins unlike it, read back and compared sample by
// sample with what the routing must give.
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include <bit>
#include <cmath>
#include <limits>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/plugin/routing_model.h"
#include "tests/tools/host_process.h"
#include "tests/tools/sound_file.h"

namespace host_test {
namespace {

constexpr int kRate = 8000;
constexpr int64_t kFrames = 1037;  // not a multiple of the block sizes used

// The process succeeded and said so in one summary line on stderr, nothing on stdout.
void ExpectRendered(const Result& r) {
    ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
    EXPECT_EQ(r.out, "");
    const auto lines = Lines(r.err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("vst2host: rendered ", 0), 0u) << r.err;
}

// One line on stderr starting "vst2host: " and containing `reason`, status 2, nothing else.
void ExpectRefused(const Result& r, const std::string& reason) {
    ASSERT_TRUE(r.exited) << "died of signal " << -r.status;
    EXPECT_EQ(r.status, 2) << Describe(r);
    EXPECT_EQ(r.out, "");
    const auto lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 1u) << r.err;
    EXPECT_EQ(lines[0].rfind("vst2host: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(reason), std::string::npos) << lines[0];
}

struct RoutingCase {
    const char* what;
    int inputFormat;
    std::vector<std::string> options;
    int outputFormat;
};

TEST(Vst2hostRender, RoutesEveryChannelBitExact) {
    const RoutingCase cases[] = {
        {"float WAV", SF_FORMAT_WAV | SF_FORMAT_FLOAT, {}, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"float WAV, 64-bit",
         SF_FORMAT_WAV | SF_FORMAT_FLOAT,
         {"--double"},
         SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"PCM 24 to PCM 24",
         SF_FORMAT_WAV | SF_FORMAT_PCM_24,
         {"--format", "pcm24"},
         SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {"PCM 24 to PCM 24, 64-bit",
         SF_FORMAT_WAV | SF_FORMAT_PCM_24,
         {"--format", "pcm24", "--double"},
         SF_FORMAT_WAV | SF_FORMAT_PCM_24},
        {"PCM 24 to float", SF_FORMAT_WAV | SF_FORMAT_PCM_24, {}, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
        {"AIFF PCM 24 to PCM 24",
         SF_FORMAT_AIFF | SF_FORMAT_PCM_24,
         {"--format=pcm24"},
         SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
    };
    const std::array<bool, 8> enabled = {false, true, false, false, true, false, false, false};
    const auto sources = RouterSources(enabled);
    for (const RoutingCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const std::string in = dir.file("in"), out = dir.file("out");
        if ((c.inputFormat & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT) {
            WriteSound(in, c.inputFormat, kRouterChannels, kRate, DistinctFloats(kFrames));
        } else {
            WriteSoundInts(in, c.inputFormat, kRouterChannels, kRate, DistinctPcm24(kFrames));
        }
        std::vector<std::string> args = {
            "render", LOTTA_ROUTER, in,    out,     "--block",
            "100",    "--set",      "1=1", "--set", "enable item bus 5=enabled"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ExpectRendered(RunHost(args));

        const Sound input = ReadSound(in);
        const Sound output = ReadSound(out);
        ASSERT_EQ(output.format, c.outputFormat);
        ASSERT_EQ(output.channels, kRouterChannels);
        ASSERT_EQ(output.sampleRate, kRate);
        ASSERT_EQ(output.frames, kFrames);
        const bool integer = (c.outputFormat & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT;
        int mismatches = 0;
        for (int64_t f = 0; f < kFrames; ++f) {
            for (int o = 0; o < kRouterChannels; ++o) {
                const int source = sources[static_cast<std::size_t>(o)];
                const auto at = static_cast<std::size_t>(f * kRouterChannels + o);
                const auto from = static_cast<std::size_t>(f * kRouterChannels + source);
                const bool same =
                    integer ? output.ints[at] == (source < 0 ? 0 : input.ints[from])
                            : std::bit_cast<uint32_t>(output.samples[at]) ==
                                  std::bit_cast<uint32_t>(source < 0 ? 0.0f : input.samples[from]);
                if (!same && ++mismatches <= 3) {
                    ADD_FAILURE() << "frame " << f << " output " << o + 1 << ": "
                                  << output.samples[at] << ", expected input " << source + 1;
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(Vst2hostRender, MapsFileChannelsAndKeepsChosenOutputs) {
    const struct {
        const char* what;
        std::vector<std::string> options;
        std::vector<int>
            fileChannels;  // per output channel: the file channel it carries, 0 silence
    } cases[] = {
        {"defaults: missing inputs silent, bus 1 silent",
         {},
         {0, 0, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"the issue's example",
         {"--map", "3,4,0,1", "--set", "0=1", "--outputs", "1,2,4,9-10"},
         {3, 4, 1, 0, 0}},
        {"silence before a mapped input", {"--map", "0,0,2", "--outputs", "3"}, {2}},
        {"outputs in any order",
         {"--outputs", "16,1", "--set", "enable item bus 8=enabled"},
         {2, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        std::vector<float> samples;
        for (int64_t f = 0; f < kFrames; ++f) {
            for (int ch = 1; ch <= 4; ++ch) samples.push_back(static_cast<float>(ch) / 8.0f);
        }
        WriteSound(dir.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 4, kRate, samples);
        std::vector<std::string> args = {"render", LOTTA_ROUTER, dir.file("in.wav"),
                                         dir.file("out.wav")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ExpectRendered(RunHost(args));
        const Sound output = ReadSound(dir.file("out.wav"));
        ASSERT_EQ(output.channels, static_cast<int>(c.fileChannels.size()));
        ASSERT_EQ(output.frames, kFrames);
        for (int64_t f = 0; f < kFrames; f += 100) {
            for (std::size_t o = 0; o < c.fileChannels.size(); ++o) {
                EXPECT_EQ(output.samples[f * output.channels + o], c.fileChannels[o] / 8.0f)
                    << "frame " << f << " output " << o + 1;
            }
        }
    }
}

TEST(Vst2hostRender, TailAddsRenderedSilence) {
    for (const auto& [tail, extra] : {std::pair{"0", 0}, {"0.25", 2000}, {"0.0001", 1}}) {
        SCOPED_TRACE(std::string("--tail ") + tail);
        ScratchDir dir;
        WriteSound(dir.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate,
                   std::vector<float>(2 * kFrames, 0.25f));
        ExpectRendered(RunHost({"render", LOTTA_ROUTER, dir.file("in.wav"), dir.file("out.wav"),
                                "--set", "0=1", "--outputs", "1,2", "--tail", tail}));
        const Sound output = ReadSound(dir.file("out.wav"));
        ASSERT_EQ(output.frames, kFrames + extra);
        for (int64_t i = 0; i < 2 * output.frames; ++i) {
            ASSERT_EQ(output.samples[i], i < 2 * kFrames ? 0.25f : 0.0f) << "sample " << i;
        }
    }
}

TEST(Vst2hostRender, ClipsIntegerOutputInsteadOfWrappingAround) {
    ScratchDir dir;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> values = {1.5f, -1.5f, 0.5f, 1.0f, -1.0f, nan};
    std::vector<float> samples;
    for (const float v : values) samples.insert(samples.end(), {0.0f, 0.0f, v});
    WriteSound(dir.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 3, kRate, samples);
    // Muted bus 2 passes input 3 through untouched, out of range as it is.
    const Result r = RunHost({"render", LOTTA_ROUTER, dir.file("in.wav"), dir.file("out.wav"),
                              "--outputs", "3", "--format", "pcm16"});
    ExpectRendered(r);
    EXPECT_NE(r.err.find("vst2host: note: 4 samples beyond full scale were clipped"),
              std::string::npos)
        << r.err;
    const Sound output = ReadSound(dir.file("out.wav"));
    ASSERT_EQ(output.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::vector<int32_t> words;
    for (const int32_t v : output.ints) words.push_back(v >> 16);
    EXPECT_EQ(words, (std::vector<int32_t>{32767, -32768, 16384, 32767, -32768, 0}));
}

TEST(Vst2hostRender, OutputKeepsTheInputsFileType) {
    const struct {
        const char* what;
        int inputFormat;
        std::vector<std::string> options;
        int outputFormat;     // 0: refused
        std::string message;  // in the note or the error
        int thirdAt = 2;      // the output column that carries input 3, passed through
    } cases[] = {
        {"FLAC has no float: 24-bit",
         SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
         {"--outputs", "1-4"},
         SF_FORMAT_FLAC | SF_FORMAT_PCM_24,
         "vst2host: note: FLAC (Free Lossless Audio Codec) cannot hold 32 bit float samples; "
         "writing Signed 24 bit PCM"},
        {"FLAC as asked",
         SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
         {"--outputs", "3", "--format", "pcm16"},
         SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
         "",
         0},
        {"AIFF in float",
         SF_FORMAT_AIFF | SF_FORMAT_PCM_16,
         {},
         SF_FORMAT_AIFF | SF_FORMAT_FLOAT,
         ""},
        {"FLAC float asked for",
         SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
         {"--outputs", "3", "--format", "float"},
         0,
         "cannot hold 32 bit float samples"},
        {"FLAC with 16 outputs",
         SF_FORMAT_FLAC | SF_FORMAT_PCM_16,
         {},
         0,
         "cannot hold 16 channels (--outputs keeps fewer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        std::vector<int32_t> samples;
        for (int64_t f = 0; f < kFrames; ++f) {
            for (int ch = 1; ch <= 4; ++ch)
                samples.push_back((ch * 1000 + static_cast<int32_t>(f)) << 16);
        }
        WriteSoundInts(dir.file("in"), c.inputFormat, 4, kRate, samples);
        std::vector<std::string> args = {"render", LOTTA_ROUTER, dir.file("in"), dir.file("out")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = RunHost(args);
        if (c.outputFormat == 0) {
            ExpectRefused(r, c.message);
            EXPECT_EQ(dir.entries(), std::vector<std::string>{"in"});
            continue;
        }
        ExpectRendered(r);
        if (!c.message.empty()) {
            EXPECT_EQ(Lines(r.err).front(), c.message);
        }
        const Sound input = ReadSound(dir.file("in"));
        const Sound output = ReadSound(dir.file("out"));
        EXPECT_EQ(output.format, c.outputFormat);
        ASSERT_EQ(output.frames, kFrames);
        // Whatever the encoding, the 16-bit values pass unchanged.
        for (int64_t f = 0; f < kFrames; ++f) {
            ASSERT_EQ(output.samples[f * output.channels + c.thirdAt], input.samples[f * 4 + 2])
                << "frame " << f;
        }
    }
}

TEST(Vst2hostRender, GivesThePluginAnAdvancingTransport) {
    ScratchDir dir;
    WriteSound(dir.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, kRate,
               std::vector<float>(kFrames, 0.0f));
    ExpectRendered(RunHost(
        {"render", TIME_PROBE_PLUGIN, dir.file("in.wav"), dir.file("out.wav"), "--block", "100"}));
    const Sound out = ReadSound(dir.file("out.wav"));
    ASSERT_EQ(out.channels, 5);
    ASSERT_EQ(out.frames, kFrames);
    for (int64_t f = 0; f < kFrames; ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        const float* row = &out.samples[static_cast<std::size_t>(f * 5)];
        const double blockStart = static_cast<double>(f - f % 100);
        ASSERT_EQ(row[0], std::ldexp(static_cast<double>(f), -20));  // samplePos + offset
        ASSERT_FLOAT_EQ(row[1], static_cast<float>(std::ldexp(blockStart / kRate * 2.0, -10)));
        ASSERT_FLOAT_EQ(row[2], 0.12f);                                 // 120 bpm
        ASSERT_EQ(row[3], static_cast<float>(std::ldexp(kRate, -20)));  // the file's rate
        ASSERT_EQ(row[4], 1.0f);                                        // playing
    }
}

TEST(Vst2hostRender, RefusesBadRequestsWithOneLineAndLeavesFilesAlone) {
    const struct {
        const char* what;
        std::string plugin;
        std::vector<std::string> options;
        std::string reason;
        std::string input = "in.wav";
        std::string output = "out.wav";
        std::string pluginSays = "";  // what the plug-in itself prints when it is closed
    } cases[] = {
        {"missing input", LOTTA_ROUTER, {}, "cannot read", "missing.wav"},
        {"input that is not audio", LOTTA_ROUTER, {}, "cannot read", "notes.txt"},
        {"output in a missing directory",
         LOTTA_ROUTER,
         {},
         "No such file or directory",
         "in.wav",
         "nowhere/out.wav"},
        {"output that is a directory", LOTTA_ROUTER, {}, "Is a directory", "in.wav", "sub"},
        {"unknown option", LOTTA_ROUTER, {"--gain", "2"}, "render: unknown option '--gain'"},
        {"unknown parameter name",
         LOTTA_ROUTER,
         {"--set", "enable item bus 9=enabled"},
         "the plug-in has no parameter named 'enable item bus 9'"},
        {"unknown display text",
         LOTTA_ROUTER,
         {"--set", "0=1", "--set", "enable item bus 2=on"},
         "parameter 'enable item bus 2' never shows 'on'"},
        {"value above 1", LOTTA_ROUTER, {"--set", "0=1.5"}, "the value must be within 0..1"},
        {"negative value", LOTTA_ROUTER, {"--set", "0=-0.1"}, "the value must be within 0..1"},
        {"value not a number", LOTTA_ROUTER, {"--set", "0=on"}, "'on' is not a number"},
        {"index beyond the parameters",
         LOTTA_ROUTER,
         {"--set", "8=1"},
         "the plug-in has no parameter 8"},
        {"map beyond the file",
         LOTTA_ROUTER,
         {"--map", "1,3"},
         "--map: the input file has no channel 3 (it has 2)"},
        {"output channel 0", LOTTA_ROUTER, {"--outputs", "0-2"}, "names channel 0"},
        {"output beyond the plug-in",
         LOTTA_ROUTER,
         {"--outputs", "17"},
         "the plug-in has no output 17"},
        {"block size 0", LOTTA_ROUTER, {"--block", "0"}, "--block: '0' is not a block size"},
        {"negative tail", LOTTA_ROUTER, {"--tail", "-1"}, "--tail: '-1' is not a number"},
        {"unknown encoding", LOTTA_ROUTER, {"--format", "pcm32"}, "--format: 'pcm32'"},
        {"not a plug-in", NOT_A_PLUGIN, {}, "no VST 2 entry point"},
        {"no replacing process",
         ODD_PLUGIN,
         {},
         "cannot process with replacing (flag 0x10",
         "in.wav",
         "out.wav",
         "odd plugin: closed\n"},
        {"no 64-bit process",
         TIME_PROBE_PLUGIN,
         {"--double"},
         "--double: the plug-in cannot process 64-bit samples (flag 0x1000 missing)",
         "in.wav",
         "out.wav",
         "time probe: open rate=8000 block=512 close\n"},
    };
    const std::vector<unsigned char> oldOutput = {'o', 'l', 'd'};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        WriteSound(dir.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate,
                   std::vector<float>(2 * kFrames, 0.5f));
        WriteBytes(dir.file("notes.txt"), {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
        WriteBytes(dir.file("out.wav"), oldOutput);
        mkdir(dir.file("sub").c_str(), 0777);
        const auto before = dir.entries();
        std::vector<std::string> args = {"render", c.plugin, dir.file(c.input), dir.file(c.output)};
        args.insert(args.end(), c.options.begin(), c.options.end());
        Result r = RunHost(args);
        if (!c.pluginSays.empty() && r.err.starts_with(c.pluginSays)) {
            r.err.erase(0, c.pluginSays.size());
        }
        ExpectRefused(r, c.reason);
        // No temporary file left behind, and an existing output untouched.
        EXPECT_EQ(dir.entries(), before);
        EXPECT_EQ(ReadBytes(dir.file("out.wav")), oldOutput);
    }
}

TEST(Vst2hostRender, InterruptedRenderLeavesNoFileBehind) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        ScratchDir dir;
        WriteSound(dir.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 48000,
                   std::vector<float>(2 * 4800, 0.5f));
        // An hour of tail: far longer than the test waits.
        const int pid = StartHost({"render", LOTTA_ROUTER, dir.file("in.wav"), dir.file("out.wav"),
                                   "--outputs", "1", "--tail", "3600"});
        ASSERT_GT(pid, 0);
        // Interrupted once it is writing, i.e. once its temporary file exists.
        for (int wait = 0; wait < 2000 && dir.entries().size() < 2; ++wait) usleep(5000);
        EXPECT_EQ(dir.entries().size(), 2u);
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.wav"});
    }
}

// Rising zero crossings of one channel: a tone of f Hz has about f per second.
int RisingCrossings(const Sound& sound, int channel) {
    int count = 0;
    for (int64_t f = 1; f < sound.frames; ++f) {
        const float a = sound.samples[(f - 1) * sound.channels + channel];
        const float b = sound.samples[f * sound.channels + channel];
        if (a < 0.0f && b >= 0.0f) ++count;
    }
    return count;
}

TEST(Vst2hostDemo, MakesTheInputAndTheReadmeRenderShowsTheBuses) {
    ScratchDir dir;
    // As in a fresh clone: the demo folder does not exist yet.
    const Result made = RunHost({"demo-input", dir.file("demo/in.wav")});
    ASSERT_TRUE(made.exited && made.status == 0) << Describe(made);
    const Sound demo = ReadSound(dir.file("demo/in.wav"));
    ASSERT_EQ(demo.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(demo.channels, 16);
    ASSERT_EQ(demo.sampleRate, 48000);
    ASSERT_EQ(demo.frames, 96000);
    for (int c = 0; c < 16; ++c) {
        const double hz = c == 0 ? 440 : c == 1 ? 660 : 200 + 100 * (c - 1);
        EXPECT_NEAR(RisingCrossings(demo, c), 2 * hz, 1) << "channel " << c + 1;
    }

    const Result r =
        RunHost({"render", LOTTA_ROUTER, dir.file("demo/in.wav"), dir.file("demo/out.wav"), "--set",
                 "enable item bus 1=enabled", "--set", "enable item bus 3=enabled", "--set",
                 "enable item bus 5=enabled", "--report"});
    ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 18u) << r.out;
    EXPECT_EQ(lines[0], "levels in dBFS over 96000 frames (tail included), per plug-in channel:");
    for (int c = 1; c <= 16; ++c) {
        SCOPED_TRACE("channel " + std::to_string(c));
        std::istringstream row(lines[static_cast<std::size_t>(c + 1)]);
        std::string channel, file, source, inPeak, inRms, outPeak, outRms, written, to;
        row >> channel >> file >> source >> inPeak >> inRms >> outPeak >> outRms >> written >> to;
        EXPECT_EQ(channel, std::to_string(c));
        EXPECT_EQ(file + " " + source, "file " + std::to_string(c));
        EXPECT_EQ(inPeak, c <= 2 ? "-6.0" : "-30.0");
        const bool copied = c <= 2 || c == 5 || c == 6 || c == 9 || c == 10;
        EXPECT_EQ(outPeak, copied ? "-6.0" : "-30.0");
        EXPECT_EQ(outRms, copied ? "-9.0" : "-33.0");
        EXPECT_EQ(written + " " + to, "file " + std::to_string(c));
    }
}

}  // namespace
}  // namespace host_test
