// Runs the built vst2host the way a person does, against the built plug-in and against
// libraries that are odd or not plug-ins at all, and reads what it prints and how it exits.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/host_process.h"

namespace {

using host_test::Describe;
using host_test::Fields;
using host_test::Lines;
using host_test::ParameterTable;
using host_test::Result;
using host_test::RunHost;

TEST(Vst2hostInfo, DescribesTheRouter) {
    const Result r = RunHost({"info", LOTTA_ROUTER});
    ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
    EXPECT_EQ(r.err, "");
    auto fields = Fields(r.out);
    EXPECT_EQ(fields["Plug-in"], LOTTA_ROUTER);
    EXPECT_EQ(fields["Entry point"], "VSTPluginMain");
    EXPECT_EQ(fields["Effect name"], "\"Kelvane_Lotta router\"");
    EXPECT_EQ(fields["Vendor"], "\"Kelvane\"");
    EXPECT_EQ(fields["Product"], "\"Kelvane_Lotta router\"");
    EXPECT_EQ(fields["Vendor version"], "1000");
    EXPECT_EQ(fields["VST version"], "2400");
    EXPECT_EQ(fields["Unique id"], "0 (0x00000000)");
    EXPECT_EQ(fields["Inputs"], "16");
    EXPECT_EQ(fields["Outputs"], "16");
    EXPECT_EQ(fields["Flags"],
              "0x00001030 (can replacing, programs are chunks, can double replacing)");
    EXPECT_EQ(fields["Programs"], "1 (current 0: \"Kelvane_Lotta router\")");
    EXPECT_EQ(fields["State chunk"], "260 bytes");
    EXPECT_EQ(fields["Parameters"], "8");
}

TEST(Vst2hostInfo, ListsTheEightBusSwitchesAsMuted) {
    const Result r = RunHost({"info", LOTTA_ROUTER});
    ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
    const auto rows = ParameterTable(r.out);
    ASSERT_EQ(rows.size(), 8u) << r.out;
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE("parameter " + std::to_string(i));
        EXPECT_EQ(rows[i].index, std::to_string(i));
        EXPECT_EQ(rows[i].name, "enable item bus " + std::to_string(i + 1));
        EXPECT_EQ(rows[i].label, "");
        EXPECT_EQ(rows[i].display, "muted");
        EXPECT_EQ(rows[i].value, "0.000000");
    }
}

TEST(Vst2hostInfo, DescribesAForeignPluginWithOddText) {
    const Result r = RunHost({"info", ODD_PLUGIN});
    ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
    auto fields = Fields(r.out);
    EXPECT_EQ(fields["Entry point"], "MAIN");
    // The tab is a control character: replaced so it cannot reach the terminal.
    EXPECT_EQ(fields["Effect name"], "\"Odd \"quoted\" back\\slash?tab\"");
    EXPECT_EQ(fields["Vendor"], "\"Caf\xe9 Audio\"");
    EXPECT_EQ(fields["Product"],
              "\"host=Kelvane/vst2host version=2400 rate=44100 block=512 "
              "time=44100Hz,120bpm,4/4,stopped cando=0 set=44100/512\"");
    EXPECT_EQ(fields["Vendor version"], "7");
    EXPECT_EQ(fields["Unique id"], "1096958820 (0x41624364, 'AbCd')");
    EXPECT_EQ(fields["Category"], "2 (synth)");
    EXPECT_EQ(fields["Record version"], "3");
    EXPECT_EQ(fields["Inputs"], "2");
    EXPECT_EQ(fields["Outputs"], "6");
    EXPECT_EQ(fields["Initial delay"], "64 samples");
    EXPECT_EQ(fields["Flags"], "0x00008111 (has editor, can replacing, is synth, bit 15)");
    EXPECT_EQ(fields["Programs"], "3 (current 2: \"third \xe2\x9c\x93\")");
    EXPECT_EQ(fields["State chunk"], "none (not chunk based)");
    EXPECT_EQ(fields["Parameters"], "2");
    const auto rows = ParameterTable(r.out);
    ASSERT_EQ(rows.size(), 2u) << r.out;
    EXPECT_EQ(rows[0].name, "gain");
    EXPECT_EQ(rows[0].label, "dB");
    EXPECT_EQ(rows[0].display, "-6.0");
    EXPECT_EQ(rows[0].value, "0.250000");
    EXPECT_EQ(rows[1].index, "1");
    EXPECT_EQ(rows[1].name, "mix");
    EXPECT_EQ(rows[1].label, "%");
    EXPECT_EQ(rows[1].display, "50");
    EXPECT_EQ(rows[1].value, "0.500000");
}

TEST(Vst2hostInfo, SendsWhatAPluginPrintsToStderr) {
    for (const char* format : {"text", "json"}) {
        SCOPED_TRACE(format);
        std::vector<std::string> args = {"info", ODD_PLUGIN};
        if (std::string(format) == "json") args.push_back("--json");
        const Result r = RunHost(args);
        ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
        EXPECT_EQ(r.out.find("odd plugin: closed"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "odd plugin: closed\n");
    }
}

struct RefusalCase {
    const char* what;
    std::string path;
    std::string reason;  // what the one line says after "cannot load PATH: "
};

TEST(Vst2hostErrors, RefusesWhatItCannotHostWithOneLine) {
    const RefusalCase cases[] = {
        {"missing file", "/nonexistent/dir/plugin.so", "cannot open shared object file"},
        {"not a shared library", __FILE__, "invalid ELF header"},
        {"library without an entry point", NOT_A_PLUGIN,
         "no VST 2 entry point (VSTPluginMain, main or MAIN)"},
        {"entry point returning null", NULL_ENTRY_PLUGIN, "VSTPluginMain returned no effect"},
        {"record with the wrong magic", BAD_MAGIC_PLUGIN,
         "not a VST 2 plug-in (VSTPluginMain returned magic 0x00000000, expected 0x56737450 "
         "'VstP')"},
    };
    for (const RefusalCase& c : cases) {
        for (const char* extra : {"", "--json"}) {
            SCOPED_TRACE(std::string(c.what) + " " + extra);
            std::vector<std::string> args = {"info", c.path};
            if (*extra != '\0') args.push_back(extra);
            const Result r = RunHost(args);
            ASSERT_TRUE(r.exited) << "died of signal " << -r.status;
            EXPECT_EQ(r.status, 2) << Describe(r);
            EXPECT_EQ(r.out, "");
            const auto lines = Lines(r.err);
            ASSERT_EQ(lines.size(), 1u) << r.err;
            EXPECT_EQ(r.err.back(), '\n');
            const std::string prefix = "vst2host: cannot load " + c.path + ": ";
            EXPECT_EQ(lines[0].rfind(prefix, 0), 0u) << lines[0];
            EXPECT_NE(lines[0].find(c.reason), std::string::npos) << lines[0];
        }
    }
}

struct UsageCase {
    const char* what;
    std::vector<std::string> args;
    std::string message;  // the one line on stderr, before the pointer to --help
};

TEST(Vst2hostUsage, ExplainsABadCommandLine) {
    const UsageCase cases[] = {
        {"no command", {}, "vst2host: missing command"},
        {"unknown command", {"inspect", LOTTA_ROUTER}, "vst2host: unknown command 'inspect'"},
        {"unknown global option", {"--verbose"}, "vst2host: unknown option '--verbose'"},
        {"missing plug-in", {"info"}, "vst2host: info: missing PLUGIN argument"},
        {"missing plug-in with --json",
         {"info", "--json"},
         "vst2host: info: missing PLUGIN argument"},
        {"unknown option",
         {"info", LOTTA_ROUTER, "--xml"},
         "vst2host: info: unknown option '--xml'"},
        {"flag with a value",
         {"info", LOTTA_ROUTER, "--json=yes"},
         "vst2host: info: unknown option '--json=yes'"},
        {"second plug-in",
         {"info", LOTTA_ROUTER, LOTTA_ROUTER},
         std::string("vst2host: info: unexpected argument '") + LOTTA_ROUTER + "'"},
        {"single-valued option twice",
         {"render", LOTTA_ROUTER, "in.wav", "out.wav", "--block", "64", "--block", "128"},
         "vst2host: render: option --block given more than once"},
        {"option without its value",
         {"render", LOTTA_ROUTER, "in.wav", "out.wav", "--tail"},
         "vst2host: render: option --tail needs a value"},
        {"action missing", {"preset"}, "vst2host: preset: missing action: save"},
        {"unknown action",
         {"preset", "load", LOTTA_ROUTER, "x.fxp"},
         "vst2host: preset: unknown action 'load'; actions: save"},
    };
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = RunHost(c.args);
        ASSERT_TRUE(r.exited) << "died of signal " << -r.status;
        EXPECT_EQ(r.status, 2) << Describe(r);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.message + " (see 'vst2host --help')\n");
    }
}

TEST(Vst2hostUsage, HelpPrintsUsageAndSucceeds) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"info", "--help"}}) {
        SCOPED_TRACE(args.back());
        const Result r = RunHost(args);
        ASSERT_TRUE(r.exited && r.status == 0) << Describe(r);
        EXPECT_EQ(r.out.rfind("usage: vst2host", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("info PLUGIN [--json]"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
}

}  // namespace
