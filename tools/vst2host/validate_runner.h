// Runs one group of validation checks in a child process with a time limit, and turns what
// the child reported (or how it died) into one record per check.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/vst2host/validate_checks.h"

namespace vst2host {

// [main] Forks; the child runs the group on its own instances of the plug-in, with its
// standard output sent to standard error. A check the child was in when it crashed or ran out
// of time fails with that reason; the checks after it fail as not run.
GroupResult RunGroupInChild(const CheckGroup& group, const CheckContext& context,
                            double timeLimitSeconds);

// Every group's records for one plug-in, or why it could not be loaded.
struct PluginValidation {
    std::vector<CheckRecord> records;
    std::optional<std::string> loadError;
    double seconds = 0.0;  // wall time, all groups
    int passed = 0;
    int failed = 0;
};

// [main] Runs every group on the plug-in at `context.pluginPath`. A plug-in that cannot be
// loaded (or crashes or hangs while loading) has only loadError.
PluginValidation ValidatePlugin(const CheckContext& context, double timeLimitSeconds);

}  // namespace vst2host
