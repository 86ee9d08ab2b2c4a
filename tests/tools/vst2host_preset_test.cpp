// Program files through the command line: saved from the router and read back byte for byte,
// written by hand as a parameter list, and refused whole when damaged or made for another
// plug-in.
#include <sndfile.h>

#include <bit>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "tests/plugin/routing_model.h"
#include "tests/tools/host_process.h"
#include "tests/tools/sound_file.h"

namespace host_test {
namespace {

using Bytes = std::vector<unsigned char>;

void PutBig(Bytes& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

uint32_t GetBig(const Bytes& b, std::size_t at) {
    return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
           b[at + 3];
}

// A parameter-list program file, laid out here independently of the tool's writer.
Bytes ParameterFile(uint32_t id, const std::vector<float>& values, const std::string& name) {
    Bytes b(56 + 4 * values.size(), 0);
    std::memcpy(b.data(), "CcnK", 4);
    PutBig(b, 4, static_cast<uint32_t>(b.size() - 8));
    std::memcpy(b.data() + 8, "FxCk", 4);
    PutBig(b, 12, 1);
    PutBig(b, 16, id);
    PutBig(b, 20, 1000);
    PutBig(b, 24, static_cast<uint32_t>(values.size()));
    std::memcpy(b.data() + 28, name.data(), name.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        PutBig(b, 56 + 4 * i, std::bit_cast<uint32_t>(values[i]));
    }
    return b;
}

// The router's switches as `info` shows them after loading this program file.
std::vector<std::string> SwitchesAfterLoading(const std::string& preset) {
    const Result r = RunHost({"info", LOTTA_ROUTER, "--preset", preset});
    EXPECT_TRUE(r.exited && r.status == 0) << Describe(r);
    std::vector<std::string> shown;
    for (const ParameterRow& row : ParameterTable(r.out)) shown.push_back(row.display);
    return shown;
}

// Renders distinct content through the router with this program file and checks every sample
// against the routing the switches give.
void ExpectRouting(const std::string& preset, const std::array<bool, 8>& enabled) {
    ScratchDir dir;
    constexpr int64_t kFrames = 300;
    WriteSound(dir.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, kRouterChannels, 44100,
               DistinctFloats(kFrames));
    const Result r = RunHost(
        {"render", LOTTA_ROUTER, dir.file("in.wav"), dir.file("out.wav"), "--preset", preset});
    ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
    const Sound in = ReadSound(dir.file("in.wav"));
    const Sound out = ReadSound(dir.file("out.wav"));
    ASSERT_EQ(out.frames, kFrames);
    const auto sources = RouterSources(enabled);
    for (int64_t f = 0; f < kFrames; ++f) {
        for (int o = 0; o < kRouterChannels; ++o) {
            const int s = sources[static_cast<std::size_t>(o)];
            ASSERT_EQ(out.samples[f * kRouterChannels + o],
                      s < 0 ? 0.0f : in.samples[f * kRouterChannels + s])
                << "frame " << f << " output " << o + 1;
        }
    }
}

TEST(Vst2hostPreset, SavesTheRouterStateAndReadsItBackByteExact) {
    ScratchDir dir;
    const std::string saved = dir.file("buses.fxp"), again = dir.file("again.fxp");
    const Result r = RunHost({"preset", "save", LOTTA_ROUTER, saved, "--set", "1=1", "--set",
                              "enable item bus 7=enabled"});
    ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
    EXPECT_EQ(r.err, "vst2host: wrote " + saved + " (260-byte state chunk)\n");

    const Bytes bytes = ReadBytes(saved);
    ASSERT_EQ(bytes.size(), 60u + 260u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "CcnK");
    EXPECT_EQ(GetBig(bytes, 4), 312u);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "FPCh");
    EXPECT_EQ(GetBig(bytes, 12), 1u);     // format version
    EXPECT_EQ(GetBig(bytes, 16), 0u);     // the router's unique id
    EXPECT_EQ(GetBig(bytes, 20), 1000u);  // its vendor version
    EXPECT_EQ(GetBig(bytes, 24), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])), "Kelvane_Lotta router");
    EXPECT_EQ(GetBig(bytes, 56), 260u);
    // The chunk: marker -1000.0, then the sliders; buses 2 and 7 are sliders 3 and 13.
    const auto chunkFloat = [&bytes](std::size_t k) {
        float v;
        std::memcpy(&v, &bytes[60 + 4 * k], 4);
        return v;
    };
    EXPECT_EQ(chunkFloat(0), -1000.0f);
    for (std::size_t bus = 1; bus <= 8; ++bus) {
        EXPECT_EQ(chunkFloat(2 * bus - 1), bus == 2 || bus == 7 ? 1.0f : 0.0f) << "bus " << bus;
    }

    const Result resaved = RunHost({"preset", "save", LOTTA_ROUTER, again, "--preset", saved});
    ASSERT_TRUE(resaved.exited && resaved.status == 0) << Describe(resaved);
    EXPECT_EQ(ReadBytes(again), bytes);

    const std::vector<std::string> shown = SwitchesAfterLoading(saved);
    EXPECT_EQ(shown, (std::vector<std::string>{"muted", "enabled", "muted", "muted", "muted",
                                               "muted", "enabled", "muted"}));
    ExpectRouting(saved, {false, true, false, false, false, false, true, false});
}

TEST(Vst2hostPreset, ReadsAParameterListBySettingEachParameter) {
    ScratchDir dir;
    const std::string list = dir.file("list.fxp"), chunk = dir.file("chunk.fxp");
    // 0.75 lands on "enabled" too: the plug-in snaps it.
    WriteBytes(list, ParameterFile(0, {1, 0, 0, 1, 0, 0, 0, 0.75f}, "hand made"));
    const std::vector<std::string> expected = {"enabled", "muted", "muted", "enabled",
                                               "muted",   "muted", "muted", "enabled"};
    EXPECT_EQ(SwitchesAfterLoading(list), expected);
    const Result info = RunHost({"info", LOTTA_ROUTER, "--preset", list});
    EXPECT_NE(info.out.find("Programs:        1 (current 0: \"hand made\")"), std::string::npos)
        << info.out;
    ExpectRouting(list, {true, false, false, true, false, false, false, true});

    // Saved again, the router's own format holds the same switches and the name.
    const Result saved = RunHost({"preset", "save", LOTTA_ROUTER, chunk, "--preset", list});
    ASSERT_TRUE(saved.exited && saved.status == 0) << Describe(saved);
    const Bytes bytes = ReadBytes(chunk);
    ASSERT_GE(bytes.size(), 60u);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "FPCh");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[28])), "hand made");
    EXPECT_EQ(SwitchesAfterLoading(chunk), expected);
}

TEST(Vst2hostPreset, RefusesABadFileBeforeTouchingThePlugin) {
    ScratchDir dir;
    const std::string good = dir.file("good.fxp");
    const Result made = RunHost({"preset", "save", LOTTA_ROUTER, good, "--set", "0=1"});
    ASSERT_TRUE(made.exited && made.status == 0) << Describe(made);
    const Bytes original = ReadBytes(good);
    ASSERT_EQ(original.size(), 320u);

    const struct {
        const char* what;
        std::function<Bytes()> bytes;
        std::string reason;
    } cases[] = {
        {"empty", [] { return Bytes{}; }, "truncated: 0 bytes, shorter than the 56-byte header"},
        {"cut in the header", [&] { return Bytes(original.begin(), original.begin() + 20); },
         "truncated: 20 bytes, shorter than the 56-byte header"},
        {"cut in the chunk", [&] { return Bytes(original.begin(), original.begin() + 100); },
         "truncated: the header counts 312 bytes after its size field, the file has 92"},
        {"wrong magic",
         [&] {
             Bytes b = original;
             std::memcpy(b.data(), "RIFF", 4);
             return b;
         },
         "not a program file (magic 'RIFF', expected 'CcnK')"},
        {"size disagreeing with the file",
         [&] {
             Bytes b = original;
             b.push_back(0);
             return b;
         },
         "the size field says 312 bytes follow it, but the file has 313"},
        {"another plug-in's id",
         [&] {
             Bytes b = original;
             PutBig(b, 16, 0x44334551);
             return b;
         },
         "made for the plug-in with unique id 1144210769 'D3EQ', not this one (0)"},
        {"wrong parameter count",
         [] {
             return ParameterFile(0, {1, 0, 1, 0, 1, 0, 1}, "seven");
         },
         "holds 7 parameters, the plug-in has 8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bad = dir.file("bad.fxp");
        WriteBytes(bad, c.bytes());
        WriteSound(dir.file("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 8000,
                   std::vector<float>(200, 0.5f));
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"info", LOTTA_ROUTER, "--preset", bad},
                 {"render", LOTTA_ROUTER, dir.file("in.wav"), dir.file("out.wav"), "--preset", bad},
                 {"preset", "save", LOTTA_ROUTER, dir.file("copy.fxp"), "--preset", bad}}) {
            SCOPED_TRACE(args[0]);
            const Result r = RunHost(args);
            ASSERT_TRUE(r.exited) << "died of signal " << -r.status;
            EXPECT_EQ(r.status, 2) << Describe(r);
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, "vst2host: " + bad + ": " + c.reason + "\n");
        }
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"bad.fxp", "good.fxp", "in.wav"}));
    }
    // A preset that cannot be read at all names the file and the reason.
    const Result missing = RunHost({"info", LOTTA_ROUTER, "--preset", dir.file("none.fxp")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "vst2host: cannot read " + dir.file("none.fxp") + ": No such file or directory\n");
    const Result directory = RunHost({"info", LOTTA_ROUTER, "--preset", dir.path()});
    EXPECT_EQ(directory.status, 2);
    EXPECT_EQ(directory.err, "vst2host: cannot read " + dir.path() + ": not a regular file\n");
}

}  // namespace
}  // namespace host_test
