#include "tools/vst2host/validate_report.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "tools/vst2host/text_format.h"

namespace vst2host {
namespace {

// Protocol lines hold no tab or newline inside a field.
std::string Field(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

char VerdictLetter(Verdict v) {
    return v == Verdict::kPass ? 'P' : v == Verdict::kFail ? 'F' : 'S';
}

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

// All of it, or as much as the reader took before it went away. No allocation, so a signal
// handler may call it too.
void WriteAll(int fd, const char* p, std::size_t left) noexcept {
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

// "the process crashed (...)", whether or not `end` begins with the subject.
std::string TheProcess(const std::string& end) {
    return end.starts_with("the process ") ? end : "the process " + end;
}

// A garbled line as it may be quoted in a verdict: short, and nothing that steers a terminal.
std::string Quoted(const std::string& line) {
    return "'" + Printable(line.substr(0, 40)) + (line.size() > 40 ? "...'" : "'");
}

// What the child's lines said, up to the first line that makes no sense.
struct Reading {
    std::map<std::string, CheckRecord> finished;
    std::string running;
    std::string where;    // the running check's last note
    std::string crashAt;  // where a fatal signal came: "in setParameter(3, 0.25)"
    std::optional<std::string> loadError;
    bool ended = false;   // the end record came
    std::string problem;  // "" when every line made sense
};

constexpr char kEndLine[] = "E\n";

bool Known(const std::vector<std::string>& checks, const std::string& name) {
    return std::find(checks.begin(), checks.end(), name) != checks.end();
}

// False when the line is not one the child writes at that point.
bool Take(Reading& r, const std::vector<std::string>& checks, const std::string& line) {
    if (r.ended) return false;  // nothing comes after the end
    const std::vector<std::string> f = SplitTabs(line);
    const std::string& tag = f[0];
    if (tag == "B" && f.size() == 2) {
        if (!Known(checks, f[1]) || !r.running.empty() || r.finished.count(f[1])) return false;
        r.running = f[1];
        r.where.clear();
        return true;
    }
    if (tag == "N" && f.size() == 2) {
        r.where = f[1];
        return true;
    }
    if (tag == "R" && f.size() == 4 && f[1].size() == 1) {
        const char letter = f[1][0];
        if (f[2] != r.running || (letter != 'P' && letter != 'F' && letter != 'S')) return false;
        const Verdict v = letter == 'P'   ? Verdict::kPass
                          : letter == 'S' ? Verdict::kSkip
                                          : Verdict::kFail;
        r.finished[f[2]] = {f[2], v, f[3]};
        r.running.clear();
        return true;
    }
    if (tag == "L" && f.size() == 2) {
        r.loadError = f[1];
        return true;
    }
    if (tag == "C" && f.size() == 2) {
        r.crashAt = f[1];
        return true;
    }
    if (tag == "E" && f.size() == 1 && r.running.empty()) {
        r.ended = true;
        return true;
    }
    return false;
}

}  // namespace

void CheckReporter::Write(const std::string& line) const noexcept {
    WriteAll(fd_, line.data(), line.size());
}

void CheckReporter::Begin(const std::string& check) {
    Write("B\t" + Field(check) + "\n");
}

void CheckReporter::Finish(const std::string& check, const CheckOutcome& outcome) {
    Write(std::string("R\t") + VerdictLetter(outcome.verdict) + "\t" + Field(check) + "\t" +
          Field(outcome.detail) + "\n");
}

void CheckReporter::Note(const std::string& where) {
    Write("N\t" + Field(where) + "\n");
}

void CheckReporter::LoadFailed(const std::string& message) {
    Write("L\t" + Field(message) + "\n");
}

void CheckReporter::End() {
    Write(kEndLine);
}

void CheckReporter::Crashed(const char* where) const noexcept {
    // From a signal handler: no allocation, one write.
    char line[512] = "C\t";
    std::size_t n = 2;
    for (const char* p = where; *p != '\0' && n < sizeof line - 2; ++p) {
        line[n++] = (*p == '\n' || *p == '\t') ? ' ' : *p;
    }
    line[n++] = '\n';
    WriteAll(fd_, line, n);
}

bool ReportEnded(const std::string& report) {
    return report == kEndLine || report.ends_with(std::string("\n") + kEndLine);
}

GroupResult ParseReport(const std::string& report, const std::vector<std::string>& checks,
                        const std::string& death) {
    Reading r;
    std::size_t start = 0;
    while (start < report.size()) {
        const auto end = report.find('\n', start);
        if (end == std::string::npos) {
            r.problem = "the check process's report was cut short";
            break;
        }
        const std::string line = report.substr(start, end - start);
        if (!Take(r, checks, line)) {
            r.problem = "the check process's report is garbled (" + Quoted(line) + ")";
            break;
        }
        start = end + 1;
    }

    GroupResult result;
    if (r.loadError && r.problem.empty()) {
        result.loadError = r.loadError;
        return result;
    }
    std::string end = death;
    if (!r.crashAt.empty() && !end.empty()) end += " " + r.crashAt;
    const bool unfinished = r.finished.size() < checks.size();
    if (!r.ended && r.problem.empty() && end.empty() && !unfinished) {
        r.problem = "the check process ended before its report did";
    }
    if (r.running.empty() && end.empty() && r.problem.empty() && unfinished) {
        end = "the process ended early";
    }

    // The check that carries what went wrong, when none was running: the first not reported.
    std::string blamed = r.running;
    if (blamed.empty() && !r.problem.empty()) {
        for (const std::string& check : checks) {
            if (!r.finished.count(check)) {
                blamed = check;
                break;
            }
        }
    }
    const std::string cause = !r.problem.empty() ? r.problem : end;
    for (const std::string& check : checks) {
        if (const auto it = r.finished.find(check); it != r.finished.end()) {
            result.records.push_back(it->second);
            // Every check reported, then the process crashed or hung on its way out (in the
            // plug-in's unload), or wrote nonsense: the group's last check carries that.
            if (!cause.empty() && blamed.empty() && check == checks.back()) {
                result.records.back().verdict = Verdict::kFail;
                result.records.back().detail = r.problem.empty()
                                                   ? "finished, then " + TheProcess(end)
                                                   : "finished, then " + r.problem;
            }
        } else if (check == blamed) {
            std::string detail = cause.empty() ? "did not finish" : cause;
            if (check == r.running && !r.where.empty()) detail += " at " + r.where;
            result.records.push_back({check, Verdict::kFail, detail});
        } else {
            std::string why;
            if (r.running.empty()) {
                why = r.problem.empty() ? end : "the report before it is unreadable";
            } else {
                why = "'" + r.running + "' " +
                      (!r.problem.empty() ? "left an unreadable report"
                       : end.empty()      ? "did not finish"
                                          : end);
            }
            result.records.push_back({check, Verdict::kFail, "not run: " + why});
        }
    }
    return result;
}

}  // namespace vst2host
