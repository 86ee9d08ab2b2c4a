// `vst2host validate` against the router, a well-behaved test plug-in, and the same plug-in
// broken in one way each: every fault fails the checks it should and no others.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/tools/host_process.h"

namespace {

using host_test::Describe;
using host_test::Lines;
using host_test::Result;
using host_test::RunHost;
using host_test::ScratchDir;
using host_test::StartHost;
using Clock = std::chrono::steady_clock;

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
        // Input copied onto output for the announced 512 frames: the spare space of each must
        // tell them apart. (The threads check processes whole announced blocks only.)
        {"writes past the block",
         BROKEN_PLUGIN_PAST_BLOCK,
         {"process float", "process double", "automation while processing"},
         "process float",
         "output 1 written past the block (frame 511) at 44100 Hz, block of 1"},
        // The same text for every value must not make up for a restore that did nothing.
        {"a restore that changes nothing, behind texts that never change",
         BROKEN_PLUGIN_STATE_TEXT,
         {"state round trip", "state into second instance"},
         "state round trip",
         "('on') when saved; the restore left it as it was"},
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

// The call and the thread a crash came in, whichever of the validator's threads it was on:
// a stack overflow on the audio thread too, which needs a stack to report from.
TEST(Validate, ACrashIsReportedWithItsCallAndThread) {
    for (const char* plugin : {BROKEN_PLUGIN_CRASH, BROKEN_PLUGIN_STACK_OVERFLOW}) {
        SCOPED_TRACE(plugin);
        const Result r = RunHost({"validate", plugin});
        const auto failed = FailedChecks(r);
        EXPECT_EQ(Names(failed), kProcessing) << Describe(r);
        ASSERT_TRUE(failed.count("process float")) << Describe(r);
        // Sanitizer builds end the child with their report instead of the signal.
        for (const char* check : {"process float", "threads"}) {
            const std::string& detail = failed.at(check);
            EXPECT_TRUE(detail.find("crashed (signal 11") != std::string::npos ||
                        detail.find("exited with status") != std::string::npos)
                << detail;
        }
        EXPECT_NE(
            failed.at("process float").find("in processReplacing(1 frame) on the main thread"),
            std::string::npos)
            << failed.at("process float");
        EXPECT_NE(failed.at("process double").find("not run: 'process float'"), std::string::npos);
        EXPECT_NE(failed.at("threads").find("in processReplacing(256 frames) on the audio thread"),
                  std::string::npos)
            << failed.at("threads");
    }
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

// The ids of the processes the broken plug-ins note before they hang, through a file named in
// the environment of the hosts this test starts.
class NotedPids {
  public:
    NotedPids() : path_(dir_.file("pids")) { ::setenv("BROKEN_PLUGIN_PIDS", path_.c_str(), 1); }
    ~NotedPids() {
        ::unsetenv("BROKEN_PLUGIN_PIDS");
        // Whatever a failed test left running goes with it (if the id is still a vst2host's).
        for (const int pid : All()) {
            std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
            if (std::string name; std::getline(comm, name) && name == "vst2host") {
                ::kill(pid, SIGKILL);
            }
        }
    }
    std::vector<int> All() const {
        std::vector<int> pids;
        std::ifstream in(path_);
        for (int pid = 0; in >> pid;) pids.push_back(pid);
        return pids;
    }
    const std::string& path() const { return path_; }
    // The first one noted, or 0 when none was within the time.
    int First(std::chrono::seconds within) const {
        for (const auto end = Clock::now() + within; Clock::now() < end;) {
            if (const std::vector<int> pids = All(); !pids.empty()) return pids.front();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }

  private:
    ScratchDir dir_;
    std::string path_;
};

// A process that has ended counts as gone once it is a zombie: its parent is not this test.
bool Running(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const auto close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

bool EndsWithin(int pid, std::chrono::seconds within) {
    for (const auto end = Clock::now() + within; Clock::now() < end;) {
        if (!Running(pid)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !Running(pid);
}

// A plug-in that forks a copy of the check process, which holds the report pipe open and
// sleeps: every group still ends as its check process does, and takes the copy with it.
TEST(Validate, ACheckEndsWithItsProcessAndTakesWhatItForkedAlong) {
    NotedPids noted;
    const auto start = Clock::now();
    const Result r = RunHost({"validate", BROKEN_PLUGIN_FORKS, "--timeout", "30"});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(r.status, 0) << Describe(r);
    EXPECT_TRUE(FailedChecks(r).empty()) << Describe(r);
    EXPECT_LT(seconds, 30.0);
    const std::vector<int> forked = noted.All();
    // At least one from each group's process (a library loaded afresh forks again).
    EXPECT_GE(forked.size(), 6u);
    for (const int pid : forked) EXPECT_TRUE(EndsWithin(pid, std::chrono::seconds(5))) << pid;
}

// However the validator ends, a check process it leaves hanging in a plug-in ends with it.
TEST(Validate, AKilledValidatorTakesItsHangingCheckAlong) {
    for (const int sig : {SIGKILL, SIGTERM, SIGINT}) {
        SCOPED_TRACE(::strsignal(sig));
        NotedPids noted;
        const int host = StartHost({"validate", BROKEN_PLUGIN_HANG});
        ASSERT_GT(host, 0);
        const int hung = noted.First(std::chrono::seconds(60));
        ::kill(host, sig);
        int status = 0;
        ::waitpid(host, &status, 0);
        ASSERT_GT(hung, 0) << "the plug-in never hung";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        EXPECT_TRUE(EndsWithin(hung, std::chrono::seconds(5)));
    }
}

// Waiting for a check process's report fails (poll, made to fail from the moment the plug-in
// hangs): the check it was in fails with why, the checks after it are not run, and the hanging
// process is ended.
TEST(Validate, AFailedWaitForTheReportFailsTheCheckItWasIn) {
    NotedPids noted;
    const char* asanBefore = std::getenv("ASAN_OPTIONS");
    const std::string asan = asanBefore != nullptr ? asanBefore : "";
    // The address sanitizer's runtime wants to be loaded first; coming second is harmless here.
    ::setenv("ASAN_OPTIONS", (asan + ":verify_asan_link_order=0").c_str(), 1);
    ::setenv("LD_PRELOAD", POLL_FAULT, 1);
    ::setenv("POLL_FAULT_AFTER", noted.path().c_str(), 1);
    const Result r = RunHost({"validate", BROKEN_PLUGIN_HANG, "--timeout", "60"});
    ::unsetenv("LD_PRELOAD");
    ::unsetenv("POLL_FAULT_AFTER");
    if (asanBefore != nullptr) {
        ::setenv("ASAN_OPTIONS", asan.c_str(), 1);
    } else {
        ::unsetenv("ASAN_OPTIONS");
    }
    const std::vector<int> hung = noted.All();
    ASSERT_FALSE(hung.empty()) << Describe(r);
    const auto failed = FailedChecks(r);
    EXPECT_EQ(Names(failed), kProcessing) << Describe(r);
    const std::string why = "cannot wait for the check process's report: Cannot allocate memory";
    const std::map<std::string, std::string> expected = {
        {"state round trip", why},
        {"state into second instance", "not run: 'state round trip' " + why},
        // Their processes may or may not have begun a check before the poll.
        {"process float", why},
        {"threads", why},
    };
    for (const auto& [check, detail] : expected) {
        ASSERT_TRUE(failed.count(check)) << check << "\n" << Describe(r);
        EXPECT_NE(failed.at(check).find(detail), std::string::npos) << failed.at(check);
    }
    for (const int pid : hung) EXPECT_TRUE(EndsWithin(pid, std::chrono::seconds(5))) << pid;
}

// A call on one of the threads check's threads that never returns: after 10 s the check
// names the call and the thread, rather than running into the group's time limit.
TEST(Validate, ACallStuckOnAThreadIsNamedAfterTenSeconds) {
    const auto start = Clock::now();
    const Result r =
        RunHost({"validate", BROKEN_PLUGIN_STUCK, "--strictness", "1", "--timeout", "60"});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto failed = FailedChecks(r);
    EXPECT_EQ(Names(failed), std::set<std::string>{"threads"}) << Describe(r);
    ASSERT_TRUE(failed.count("threads")) << Describe(r);
    EXPECT_NE(failed.at("threads").find("dispatcher(effGetChunk, index 0, value 0, opt 0) on the "
                                        "state thread did not return within 10 s (block "),
              std::string::npos)
        << failed.at("threads");
    EXPECT_GE(seconds, 10.0);
    EXPECT_LT(seconds, 60.0);
}

}  // namespace
