#include "tools/vst2host/validate_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "tools/vst2host/text_format.h"

namespace vst2host {
namespace {

using Clock = std::chrono::steady_clock;

// The process group of the check process running now, for the signal handler below; 0 when
// none runs.
std::atomic<pid_t> gCheckGroup{0};
static_assert(std::atomic<pid_t>::is_always_lock_free);

// A validator ended by a signal takes the check process it runs, and whatever that forked,
// with it. Async-signal-safe.
void OnTerminatingSignal(int sig) {
    if (const pid_t group = gCheckGroup.load(); group > 0) {
        ::kill(-group, SIGKILL);
        ::kill(group, SIGKILL);
    }
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

constexpr int kTerminatingSignals[] = {SIGINT, SIGTERM, SIGHUP};

void HandleTerminatingSignals() {
    static const bool installed = [] {
        for (const int sig : kTerminatingSignals) {
            struct sigaction old {};
            ::sigaction(sig, nullptr, &old);
            if (old.sa_handler == SIG_IGN) continue;  // as whoever started us wants
            struct sigaction action {};
            action.sa_handler = OnTerminatingSignal;
            sigemptyset(&action.sa_mask);
            ::sigaction(sig, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

// In the child, straight after the fork: a process group of its own, so that one kill reaches
// everything a plug-in forks from it too, and an end when the validator ends, however it does.
void BecomeCheckProcess(pid_t parent) {
    ::setpgid(0, 0);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    // The validator died before the line above: nobody waits for this report.
    if (::getppid() != parent) ::_exit(1);
    for (const int sig : kTerminatingSignals) {
        struct sigaction old {};
        ::sigaction(sig, nullptr, &old);
        if (old.sa_handler == OnTerminatingSignal) ::signal(sig, SIG_DFL);
    }
    // Not the terminal's foreground group any more: reading the terminal would stop it, and so
    // would writing to it where the terminal says so.
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::close(null);
    }
    ::signal(SIGTTOU, SIG_IGN);
}

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
    const SignalStack signalStack;
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
    reporter.End();
    std::fflush(nullptr);
    // No static destructors or atexit handlers of the plug-in: only the report counts.
    ::_exit(0);
}

// How reading a report stopped: at its end record, at the end of the pipe, with the child
// gone (while something it forked still holds the pipe), at the deadline, or failing.
enum class ReadEnd { kEnded, kClosed, kExited, kTimedOut, kFailed };

// A report far beyond what any group writes is a child gone wrong, not a report.
constexpr std::size_t kMaxReport = 1 << 20;

// Whether the child has exited, without reaping it: its id stays its own, and its group's,
// until the group has been killed.
bool Exited(pid_t child) {
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
        if (errno != EINTR) return true;  // nothing left to wait for
    }
    return info.si_pid == child;
}

// Appends what can be read now; false when reading failed (then `error` says how).
bool ReadAvailable(int fd, std::string& out, std::string& error, bool& closed) {
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, 0);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            error = std::string("cannot wait for the check process's report: ") + ::strerror(errno);
            return false;
        }
        if (ready == 0) return true;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = std::string("cannot read the check process's report: ") + ::strerror(errno);
            return false;
        }
        if (n == 0) {
            closed = true;
            return true;
        }
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > kMaxReport) {
            error = "the check process wrote more than 1 MiB of report";
            return false;
        }
    }
}

// Reads what the child writes until its end record, the end of the pipe, the child's exit,
// the deadline, or a failure (then `error` says how).
ReadEnd ReadReport(int fd, pid_t child, Clock::time_point deadline, std::string& out,
                   std::string& error) {
    // How often to look whether the child is gone while something else keeps the pipe open.
    constexpr long long kLookMs = 100;
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return ReadEnd::kTimedOut;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, kLookMs)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            error = std::string("cannot wait for the check process's report: ") + ::strerror(errno);
            return ReadEnd::kFailed;
        }
        bool closed = false;
        if (ready > 0 && !ReadAvailable(fd, out, error, closed)) return ReadEnd::kFailed;
        if (ReportEnded(out)) return ReadEnd::kEnded;
        if (closed) return ReadEnd::kClosed;
        if (ready == 0 && Exited(child)) {
            // Everything it wrote is in the pipe by now.
            if (!ReadAvailable(fd, out, error, closed)) return ReadEnd::kFailed;
            return ReadEnd::kExited;
        }
    }
}

// Waits until the child has exited (not reaping it) or the deadline has passed; false then.
bool ExitsBy(pid_t child, Clock::time_point deadline) {
    while (!Exited(child)) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string Errno(const char* what) {
    return std::string(what) + ": " + ::strerror(errno);
}

}  // namespace

GroupResult RunGroupInChild(const CheckGroup& group, const CheckContext& context,
                            double timeLimitSeconds) {
    HandleTerminatingSignals();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        const std::string why = Errno("cannot create a pipe");
        GroupResult result;
        for (const std::string& check : group.checks) {
            result.records.push_back({check, Verdict::kFail, why});
        }
        return result;
    }
    std::fflush(nullptr);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        BecomeCheckProcess(parent);
        RunChild(group, context, fds[1]);
    }
    const std::string forkError = child < 0 ? Errno("cannot start a child process") : "";
    ::close(fds[1]);
    std::string report;
    std::string death;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(timeLimitSeconds));
    if (child < 0) {
        death = forkError;
    } else {
        // Both sides set the group, so that it exists whichever runs first.
        ::setpgid(child, child);
        gCheckGroup.store(child);
        std::string readError;
        const ReadEnd end = ReadReport(fds[0], child, deadline, report, readError);
        const bool givenUp = end == ReadEnd::kTimedOut || end == ReadEnd::kFailed;
        const bool exited = end == ReadEnd::kExited || (!givenUp && ExitsBy(child, deadline));
        // Whatever is left in the group goes: a hung child, or what a plug-in forked from it.
        // The child is not reaped yet, so the group's id is still its own.
        ::kill(-child, SIGKILL);
        ::kill(child, SIGKILL);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        gCheckGroup.store(0);
        if (end == ReadEnd::kFailed) {
            death = readError;
        } else if (!exited) {
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
