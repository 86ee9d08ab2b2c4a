// `vst2host validate` against the router, a well-behaved test plug-in, and the same plug-in
// broken in one way each: every fault fails the checks it should and no others.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "tests/tools/host_process.h"

namespace {

using host_test::Describe;
using host_test::Lines;
using host_test::Result;
using host_test::RunHost;

// The checks a run failed, and the detail of each, from the one-line-per-check report.
std::map<std::string, std::string> FailedChecks(const Result& r) {
    std::map<std::string, std::string> failed;
    for (const std::string& line : Lines(r.out)) {
        if (!line.starts_with("FAIL  ")) continue;
        const std::string rest = line.substr(6);
        const auto gap = rest.find("  ");
        failed[rest.substr(0, gap)] = gap == std::string::npos ? "" : rest.substr(gap);
    }
    return failed;
}

std::set<std::string> Names(const std::map<std::string, std::string>& failed) {
    std::set<std::string> names;
    for (const auto& [name, detail] : failed) names.insert(name);
    return names;
}

// A plug-in that cannot process fails these: the state checks process a few blocks before
// they read a restored state back, as hosts do.
const std::set<std::string> kProcessing = {"state round trip",
                                           "state into second instance",
                                           "process float",
                                           "process double",
                                           "automation while processing",
                                           "allocations while processing",
                                           "real-time factor",
                                           "threads"};

TEST(Validate, PassesTheRouterAndAWellBehavedPlugin) {
    // The noisy one prints lines like the report's on both outputs: they change nothing.
    for (const char* plugin : {LOTTA_ROUTER, BROKEN_PLUGIN_NONE, BROKEN_PLUGIN_NOISY}) {
        SCOPED_TRACE(plugin);
        const Result r = RunHost({"validate", plugin});
        ASSERT_TRUE(r.exited) << Describe(r);
        EXPECT_EQ(r.status, 0) << Describe(r);
        const std::vector<std::string> lines = Lines(r.out);
        ASSERT_EQ(lines.size(), 15u) << Describe(r);
        EXPECT_EQ(lines.back(), "14 passed, 0 failed");
        EXPECT_TRUE(FailedChecks(r).empty()) << Describe(r);
    }
}

TEST(Validate, EachFaultFailsTheChecksThatCoverIt) {
    struct Case {
        const char* what;
        const char* plugin;
        std::set<std::string> failed;
        const char* firstCheck;  // the check that meets the fault first
        const char* detail;      // part of its detail
    };
    const Case cases[] = {
        {"NaN output",
         BROKEN_PLUGIN_NAN_OUTPUT,
         {"process float", "process double", "automation while processing", "threads"},
         "process float",
         "is nan"},
        {"chunk not restored",
         BROKEN_PLUGIN_CHUNK,
         {"state round trip", "state into second instance"},
         "state round trip",
         "differs"},
        {"parameter out of range",
         BROKEN_PLUGIN_PARAMETER_RANGE,
         {"parameter range", "threads"},
         "parameter range",
         "starts at 2"},
        {"allocation in process",
         BROKEN_PLUGIN_ALLOCATES,
         {"allocations while processing"},
         "allocations while processing",
         // new[] in the plug-in, named as the plug-in's and not the C++ runtime's
         "from broken_plugin_allocates.so+"},
        {"crash", BROKEN_PLUGIN_CRASH, kProcessing, "process float",
         "in processReplacing(1 frame) on the main thread"},
        {"hang", BROKEN_PLUGIN_HANG, kProcessing, "process float", "timed out after 2 s"},
        {"exception out of a call",
         BROKEN_PLUGIN_THROWS,
         {"parameter range", "parameter texts", "state round trip"},
         "parameter range",
         "threw std::bad_alloc out of setParameter(0, 1)"},
        {"exception out of effOpen with another instance open",
         BROKEN_PLUGIN_OPEN_THROWS,
         {"open-close warm", "dispatcher opcodes", "state into second instance"},
         "open-close warm",
         "threw std::bad_alloc out of dispatcher(effOpen, index 0"},
        {"slow parameter change",
         BROKEN_PLUGIN_SLOW_PARAMETER,
         {"automation while processing"},
         "automation while processing",
         " ms; a 32-sample step is 0.67 ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = RunHost({"validate", c.plugin, "--timeout", "2"});
        ASSERT_TRUE(r.exited) << Describe(r);
        EXPECT_EQ(r.status, 1) << Describe(r);
        const auto failed = FailedChecks(r);
        EXPECT_EQ(Names(failed), c.failed) << Describe(r);
        ASSERT_TRUE(failed.count(c.firstCheck)) << Describe(r);
        EXPECT_NE(failed.at(c.firstCheck).find(c.detail), std::string::npos) << Describe(r);
        EXPECT_EQ(Lines(r.out).back(), std::to_string(14 - failed.size()) + " passed, " +
                                           std::to_string(failed.size()) + " failed");
    }
}

TEST(Validate, ACrashInProcessingIsReportedAsOne) {
    const Result r = RunHost({"validate", BROKEN_PLUGIN_CRASH});
    const auto failed = FailedChecks(r);
    ASSERT_TRUE(failed.count("process float")) << Describe(r);
    // Sanitizer builds end the child with their report instead of the signal.
    const std::string& detail = failed.at("process float");
    EXPECT_TRUE(detail.find("crashed (signal 11") != std::string::npos ||
                detail.find("exited with status") != std::string::npos)
        << detail;
    EXPECT_NE(failed.at("process double").find("not run: 'process float'"), std::string::npos);
    EXPECT_NE(failed.at("threads").find("on the audio thread"), std::string::npos)
        << failed.at("threads");
}

TEST(Validate, JsonCarriesEveryCheck) {
    const Result r = RunHost({"validate", BROKEN_PLUGIN_CHUNK, "--json", "--strictness", "3"});
    EXPECT_EQ(r.status, 1) << Describe(r);
    EXPECT_NE(r.out.find("\"strictness\": 3"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"name\": \"state round trip\", \"result\": \"fail\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"passed\": 12,\n  \"failed\": 2\n}"), std::string::npos) << r.out;
}

TEST(Validate, JsonStaysJsonWhateverThePluginPrints) {
    const Result r = RunHost({"validate", BROKEN_PLUGIN_NOISY, "--json"});
    EXPECT_EQ(r.status, 0) << Describe(r);
    EXPECT_TRUE(r.out.starts_with("{\n  \"plugin\": ")) << r.out;
    EXPECT_TRUE(r.out.ends_with("\"passed\": 14,\n  \"failed\": 0\n}\n")) << r.out;
    EXPECT_EQ(r.out.find("R\tP"), std::string::npos) << r.out;
}

// A directory sweep: every library found, one row each, libraries that are not plug-ins
// named as such, and the status of the worst.
TEST(Validate, SweepsADirectoryIntoATable) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("vst2host_sweep_" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub");
    fs::copy_file(BROKEN_PLUGIN_NONE, dir / "good.so", fs::copy_options::overwrite_existing);
    fs::copy_file(BROKEN_PLUGIN_THROWS, dir / "sub" / "throws.so",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(NOT_A_PLUGIN, dir / "helper.so", fs::copy_options::overwrite_existing);
    const Result r = RunHost({"validate", dir.string()});
    const Result json = RunHost({"validate", dir.string(), "--json", "--strictness", "1"});
    fs::remove_all(dir);

    EXPECT_EQ(r.status, 1) << Describe(r);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 5u) << Describe(r);
    EXPECT_TRUE(lines[1].starts_with("good.so ")) << lines[1];
    EXPECT_NE(lines[1].find(" 14       0 "), std::string::npos) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("helper.so ")) << lines[2];
    EXPECT_NE(lines[2].find("not a plug-in"), std::string::npos) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("sub/throws.so ")) << lines[3];
    EXPECT_NE(lines[3].find(" 11       3 "), std::string::npos) << lines[3];
    EXPECT_NE(lines[3].find("parameter range: threw std::bad_alloc"), std::string::npos);
    EXPECT_TRUE(
        lines[4].starts_with("3 libraries: 1 passed every check, 1 failed, 1 not a "
                             "plug-in; "))
        << lines[4];
    // Progress names each library and what is left.
    EXPECT_NE(r.err.find("[2/3, 1 left] " + (dir / "helper.so").string()), std::string::npos)
        << r.err;

    EXPECT_EQ(json.status, 1) << Describe(json);
    EXPECT_NE(json.out.find("\"result\": \"not a plug-in\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"firstFailure\": \"parameter range: threw std::bad_alloc"),
              std::string::npos)
        << json.out;
}

TEST(Validate, RefusesWhatItCannotLoadOrParse) {
    struct Case {
        std::vector<std::string> args;
        const char* error;
    };
    const Case cases[] = {
        {{"validate", NOT_A_PLUGIN}, "no VST 2 entry point"},
        {{"validate", "/nonexistent/plugin.so"}, "cannot load"},
        {{"validate", LOTTA_ROUTER, "--strictness", "11"}, "--strictness"},
        {{"validate", LOTTA_ROUTER, "--timeout", "0"}, "--timeout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const Result r = RunHost(c.args);
        EXPECT_EQ(r.status, 2) << Describe(r);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.error), std::string::npos) << Describe(r);
    }
}

}  // namespace
