// Runs one group of validation checks in a child process with a time limit, and turns what
// the child reported (or how it died) into one record per check.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/vst2host/validate_checks.h"

namespace vst2host {

struct CheckRecord {
    std::string name;
    Verdict verdict = Verdict::kFail;
    std::string detail;
};

struct GroupResult {
    std::vector<CheckRecord> records;      // one per check of the group, in its order
    std::optional<std::string> loadError;  // the plug-in could not be loaded at all
};

// [main] Forks; the child runs the group on its own instances of the plug-in, with its
// standard output sent to standard error. A check the child was in when it crashed or ran out
// of time fails with that reason; the checks after it fail as not run.
GroupResult RunGroupInChild(const CheckGroup& group, const CheckContext& context,
                            double timeLimitSeconds);

}  // namespace vst2host
