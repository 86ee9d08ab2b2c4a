// The checks of `vst2host validate`, in groups. Each group runs in a child process of its own
// (see validate_runner.h) and reports its checks one by one through a CheckReporter, so a
// plug-in that crashes or hangs costs the check it was in, not the validator.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/validate_call.h"
#include "tools/vst2host/validate_report.h"

namespace vst2host {

// What every check may use: the plug-in's path, how hard to push, and the reporter.
struct CheckContext {
    std::string pluginPath;
    int strictness = 5;  // 1 (quick) .. 10 (exhaustive)
    CheckReporter* reporter = nullptr;
    // The plug-in's own printing is thrown away rather than passed to standard error: a
    // sweep's progress stays readable.
    bool quietPlugin = false;

    // Runs one check: announces it, runs it, reports its outcome. A LoadError, an exception
    // out of the plug-in or one of the validator's own fails it with its message.
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
std::string CheckedText(const ValidatedPlugin& plugin, int32_t opcode, int32_t index, int limit,
                        bool nonEmpty, std::string* text = nullptr);

// The text size limit for a parameter or program text at this strictness: the format's own
// limits from 8 on, the larger buffers hosts pass in practice below.
int ParameterTextLimit(int32_t opcode, int strictness);

}  // namespace vst2host
