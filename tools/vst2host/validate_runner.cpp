#include "tools/vst2host/validate_runner.h"

#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <sstream>
#include <thread>

namespace vst2host {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

[[noreturn]] void RunChild(const CheckGroup& group, const CheckContext& context, int fd) {
    // Plug-ins print; the parent's standard output carries the report.
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    CheckReporter reporter(fd);
    CheckContext mine = context;
    mine.reporter = &reporter;
    try {
        group.run(mine);
    } catch (const LoadError& e) {
        reporter.LoadFailed(e.what());
    } catch (...) {
    }
    std::fflush(nullptr);
    // No static destructors or atexit handlers of the plug-in: only the report counts.
    ::_exit(0);
}

// Reads everything the child writes until it closes the pipe or the time runs out; answers
// false on time-out.
bool ReadReport(int fd, Clock::time_point deadline, std::string& out) {
    char buffer[4096];
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        out.append(buffer, static_cast<std::size_t>(n));
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

std::string Seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", s);
    return text;
}

}  // namespace

GroupResult RunGroupInChild(const CheckGroup& group, const CheckContext& context,
                            double timeLimitSeconds) {
    GroupResult result;
    int fds[2];
    if (::pipe(fds) != 0) {
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
    bool timedOut = false;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(timeLimitSeconds));
    if (child > 0) {
        timedOut = !ReadReport(fds[0], deadline, report);
        if (timedOut) ::kill(child, SIGKILL);
    }
    ::close(fds[0]);
    int status = 0;
    if (child > 0 && !timedOut) timedOut = !ReapBy(child, deadline, status);
    if (child > 0 && timedOut) {
        // Killed: the end is certain and near.
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }

    std::map<std::string, CheckRecord> finished;
    std::string running;
    std::string where;  // the running check's last note
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> f = SplitTabs(line);
        if (f[0] == "B" && f.size() >= 2) {
            running = f[1];
            where.clear();
        } else if (f[0] == "N" && f.size() >= 2) {
            where = f[1];
        } else if (f[0] == "R" && f.size() >= 4) {
            const Verdict v = f[1] == "P"   ? Verdict::kPass
                              : f[1] == "S" ? Verdict::kSkip
                                            : Verdict::kFail;
            finished[f[2]] = {f[2], v, f[3]};
            if (running == f[2]) running.clear();
        } else if (f[0] == "L" && f.size() >= 2) {
            result.loadError = f[1];
        }
    }

    std::string death;
    if (child < 0) {
        death = "cannot start a child process";
    } else if (timedOut) {
        death = "timed out after " + Seconds(timeLimitSeconds) + " s (hangs)";
    } else if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        death = "crashed (signal " + std::to_string(sig) + ", " + ::strsignal(sig) + ")";
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        death = "the process exited with status " + std::to_string(WEXITSTATUS(status));
    }
    if (result.loadError && child > 0 && !timedOut && WIFEXITED(status)) return result;
    if (running.empty() && death.empty() && finished.size() < group.checks.size()) {
        death = "the process ended early";
    }

    for (const std::string& check : group.checks) {
        if (const auto it = finished.find(check); it != finished.end()) {
            result.records.push_back(it->second);
            // Every check reported, then the process crashed or hung on its way out (in the
            // plug-in's unload): the group's last check carries that.
            if (!death.empty() && running.empty() && check == group.checks.back()) {
                result.records.back().verdict = Verdict::kFail;
                result.records.back().detail = "finished, then the process " + death;
            }
        } else if (check == running) {
            std::string detail = death.empty() ? "did not finish" : death;
            if (!where.empty()) detail += " at " + where;
            result.records.push_back({check, Verdict::kFail, detail});
        } else {
            const std::string why = running.empty() ? death : "'" + running + "' " + death;
            result.records.push_back({check, Verdict::kFail, "not run: " + why});
        }
    }
    return result;
}

}  // namespace vst2host
