#include "tools/vst2host/validate_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "tools/vst2host/text_format.h"

namespace vst2host {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void RunChild(const CheckGroup& group, const CheckContext& context, int fd) {
    // Plug-ins print, some of it looking like anything at all: the report has a pipe of its
    // own, and what the plug-in prints goes to standard error or nowhere, never to the
    // parent's standard output.
    if (context.quietPlugin) {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
    }
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    CheckReporter reporter(fd);
    SetCallThreadName("main");
    ReportCrashesTo(&reporter);
    CheckContext mine = context;
    mine.reporter = &reporter;
    try {
        group.run(mine);
    } catch (const LoadError& e) {
        reporter.LoadFailed(e.what());
    } catch (const PluginThrew& e) {
        // Only the first instance of a group is made outside a check: one that cannot even be
        // opened leaves nothing to check.
        reporter.LoadFailed(e.what());
    } catch (...) {
    }
    std::fflush(nullptr);
    // No static destructors or atexit handlers of the plug-in: only the report counts.
    ::_exit(0);
}

enum class ReadEnd { kClosed, kTimedOut, kFailed };

// A report far beyond what any group writes is a child gone wrong, not a report.
constexpr std::size_t kMaxReport = 1 << 20;

// Reads everything the child writes until it closes the pipe, the time runs out, or reading
// fails (then `error` says how).
ReadEnd ReadReport(int fd, Clock::time_point deadline, std::string& out, std::string& error) {
    char buffer[4096];
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return ReadEnd::kTimedOut;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            error = std::string("cannot wait for the check process's report: ") + ::strerror(errno);
            return ReadEnd::kFailed;
        }
        if (ready == 0) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::string("cannot read the check process's report: ") + ::strerror(errno);
            return ReadEnd::kFailed;
        }
        if (n == 0) return ReadEnd::kClosed;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > kMaxReport) {
            error = "the check process wrote more than 1 MiB of report";
            return ReadEnd::kFailed;
        }
    }
}

// The child closed its end of the pipe, but may still be running (a plug-in that hangs in
// its unload, or closed every descriptor it inherited): wait for its end only until the
// deadline. False when it did not end in time; it is then killed.
bool ReapBy(pid_t child, Clock::time_point deadline, int& status) {
    for (;;) {
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child) return true;
        if (ended < 0 && errno != EINTR) return true;  // nothing left to wait for
        if (Clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

GroupResult RunGroupInChild(const CheckGroup& group, const CheckContext& context,
                            double timeLimitSeconds) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        GroupResult result;
        for (const std::string& check : group.checks) {
            result.records.push_back({check, Verdict::kFail, "cannot create a pipe"});
        }
        return result;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        RunChild(group, context, fds[1]);
    }
    ::close(fds[1]);
    std::string report;
    std::string death;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(timeLimitSeconds));
    if (child < 0) {
        death = "cannot start a child process";
    } else {
        std::string readError;
        const ReadEnd end = ReadReport(fds[0], deadline, report, readError);
        int status = 0;
        bool killed = end != ReadEnd::kClosed;
        if (killed) {
            ::kill(child, SIGKILL);
        } else {
            killed = !ReapBy(child, deadline, status);
        }
        if (killed) {
            // Killed: the end is certain and near.
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }
        if (end == ReadEnd::kFailed) {
            death = readError;
        } else if (killed) {
            death = "timed out after " + Seconds(timeLimitSeconds) + " s";
        } else if (WIFSIGNALED(status)) {
            const int sig = WTERMSIG(status);
            death = "crashed (signal " + std::to_string(sig) + ", " + ::strsignal(sig) + ")";
        } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            death = "the process exited with status " + std::to_string(WEXITSTATUS(status));
        }
    }
    ::close(fds[0]);
    return ParseReport(report, group.checks, death);
}

PluginValidation ValidatePlugin(const CheckContext& context, double timeLimitSeconds) {
    PluginValidation out;
    const auto start = Clock::now();
    bool first = true;
    for (const CheckGroup& group : CheckGroups()) {
        GroupResult result = RunGroupInChild(group, context, timeLimitSeconds);
        // The first group opens the plug-in before anything else: its failure to load (or a
        // crash or hang while loading) means there is nothing to validate.
        if (!result.loadError && first && !result.records.empty() &&
            result.records.front().detail.starts_with("not run: ")) {
            result.loadError = "cannot load " + context.pluginPath + ": " +
                               result.records.front().detail.substr(9);
        }
        if (result.loadError) {
            out.loadError = result.loadError;
            out.records.clear();
            break;
        }
        first = false;
        out.records.insert(out.records.end(), result.records.begin(), result.records.end());
    }
    for (const CheckRecord& r : out.records) {
        if (r.verdict == Verdict::kPass) ++out.passed;
        if (r.verdict == Verdict::kFail) ++out.failed;
    }
    out.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return out;
}

}  // namespace vst2host
