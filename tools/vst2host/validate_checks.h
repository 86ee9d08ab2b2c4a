// The checks of `vst2host validate`, in groups. Each group runs in a child process of its own
// (see validate_runner.h) and reports its checks one by one through a CheckReporter, so a
// plug-in that crashes or hangs costs the check it was in, not the validator.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/plugin_loader/plugin_host.h"

namespace vst2host {

enum class Verdict { kPass, kFail, kSkip };

struct CheckOutcome {
    Verdict verdict = Verdict::kPass;
    std::string detail;

    static CheckOutcome Pass(std::string detail = {}) { return {Verdict::kPass, detail}; }
    static CheckOutcome Fail(std::string detail) { return {Verdict::kFail, detail}; }
    static CheckOutcome Skip(std::string detail) { return {Verdict::kSkip, detail}; }
};

// [main] In the child process: writes what a group's checks find to the parent, unbuffered,
// so the parent knows which check was running when the child died.
class CheckReporter {
  public:
    explicit CheckReporter(int fd) : fd_(fd) {}
    void Begin(const std::string& check);
    void Finish(const std::string& check, const CheckOutcome& outcome);
    // Where the running check is ("opcode 13"), named in its failure if the child dies.
    void Note(const std::string& where);
    // The plug-in could not be loaded at all.
    void LoadFailed(const std::string& message);

  private:
    void Write(const std::string& line);
    int fd_;
};

// What every check may use: the plug-in's path, how hard to push, and the reporter.
struct CheckContext {
    std::string pluginPath;
    int strictness = 5;  // 1 (quick) .. 10 (exhaustive)
    CheckReporter* reporter = nullptr;

    // Runs one check: announces it, runs it, reports its outcome. A LoadError or other
    // exception out of the check fails it with its message.
    void Run(const std::string& check, const std::function<CheckOutcome()>& body) const;
    // A number of repetitions that grows with the strictness.
    int Scaled(int atDefault) const;
};

struct CheckGroup {
    const char* name;
    std::vector<std::string> checks;  // in the order the group runs them
    void (*run)(const CheckContext&);
};

// Texts from a plug-in, checked for termination inside the size a host may rely on.
struct TextLimit {
    int32_t opcode;
    const char* what;
    int size;  // terminator included
};

// [main] The groups, in the order they run.
const std::vector<CheckGroup>& CheckGroups();

// Group bodies, one concept per file.
void RunLifecycleChecks(const CheckContext& context);   // validate_checks_lifecycle.cpp
void RunDispatcherChecks(const CheckContext& context);  // validate_checks_dispatcher.cpp
void RunParameterChecks(const CheckContext& context);   // validate_checks_parameters.cpp
void RunStateChecks(const CheckContext& context);       // validate_checks_state.cpp
void RunProcessingChecks(const CheckContext& context);  // validate_checks_process.cpp
void RunThreadChecks(const CheckContext& context);      // validate_checks_threads.cpp

// Calls a text opcode with a 512-byte buffer full of canary bytes; answers a fault ("" when
// none): no terminator inside the limit, or bytes changed beyond it. A buffer left untouched
// (the opcode not answered) and an empty text are faults only when nonEmpty. The text goes
// to *text.
std::string CheckedText(const LoadedPlugin& plugin, int32_t opcode, int32_t index, int limit,
                        bool nonEmpty, std::string* text = nullptr);

// The text size limit for a parameter or program text at this strictness: the format's own
// limits from 8 on, the larger buffers hosts pass in practice below.
int ParameterTextLimit(int32_t opcode, int strictness);

}  // namespace vst2host
