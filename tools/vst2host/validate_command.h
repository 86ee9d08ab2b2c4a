// `vst2host validate`: puts any VST 2 plug-in through the checks of validate_checks.h, each
// group in a child process, and prints one line per check.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vst2host {

struct ValidateRequest {
    // One plug-in, or directories (searched through) and plug-ins to sweep.
    std::vector<std::string> paths;
    std::optional<std::string> strictness;  // 1..10, default 5
    std::optional<std::string> timeLimit;   // seconds per group, default 120
    bool json = false;
};

// [main] Exit status: 0 when every check passed, 1 when any failed. For one plug-in, throws
// LoadError when it cannot be loaded; a sweep lists such libraries instead. Throws
// CommandError for a bad option value.
int RunValidateCommand(const ValidateRequest& request);

}  // namespace vst2host
