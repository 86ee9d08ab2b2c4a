// The line protocol between a check process and the validator: what the child writes as it
// goes, and how the parent turns those lines, and the way the child ended, into one record
// per check. The parent trusts nothing in it: a cut or garbled report fails the check it
// concerns instead of being guessed at.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vst2host {

enum class Verdict { kPass, kFail, kSkip };

struct CheckOutcome {
    Verdict verdict = Verdict::kPass;
    std::string detail;

    static CheckOutcome Pass(std::string detail = {}) { return {Verdict::kPass, detail}; }
    static CheckOutcome Fail(std::string detail) { return {Verdict::kFail, detail}; }
    static CheckOutcome Skip(std::string detail) { return {Verdict::kSkip, detail}; }
};

struct CheckRecord {
    std::string name;
    Verdict verdict = Verdict::kFail;
    std::string detail;
};

struct GroupResult {
    std::vector<CheckRecord> records;      // one per check of the group, in its order
    std::optional<std::string> loadError;  // the plug-in could not be loaded at all
};

// [any] In the child process: writes what a group's checks find to the parent, one line per
// write, unbuffered, so the parent knows which check was running when the child died.
class CheckReporter {
  public:
    explicit CheckReporter(int fd) : fd_(fd) {}
    void Begin(const std::string& check);
    void Finish(const std::string& check, const CheckOutcome& outcome);
    // Where the running check is ("opcode 13"), named in its failure if the child dies.
    void Note(const std::string& where);
    // The plug-in could not be loaded at all.
    void LoadFailed(const std::string& message);
    // Where a fatal signal came ("in setParameter(3, 0.25) on the automation thread");
    // written from the signal handler.
    void Crashed(const char* where) const noexcept;
    // The report is complete: the parent reads no further, whoever else still holds the pipe.
    void End();
    int fd() const { return fd_; }

  private:
    void Write(const std::string& line) const noexcept;
    int fd_;
};

// [any] Whether the child's report has come to its end record.
bool ReportEnded(const std::string& report);

// [any] The records for a group's checks from everything the child wrote, and how it ended:
// `death` is "" when it exited normally, else why not ("crashed (signal 11, ...)"). A report
// without its end record from a child that exited normally was cut short.
GroupResult ParseReport(const std::string& report, const std::vector<std::string>& checks,
                        const std::string& death);

}  // namespace vst2host
