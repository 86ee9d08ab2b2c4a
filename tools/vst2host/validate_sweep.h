// `vst2host validate DIR...`: every plug-in in the directories (and their subdirectories) and
// among the files given, validated one after the other, with progress on standard error and
// a table (or JSON) at the end.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "tools/vst2host/validate_report.h"

namespace vst2host {

// [main] Exit status 0 when every plug-in passed every check (libraries that are not plug-ins
// are listed, not counted as failures), 1 otherwise.
int RunValidateSweep(const std::vector<std::string>& paths, int strictness, double timeLimit,
                     bool json);

// [main] The libraries a sweep takes from these paths: files as given, directories searched
// through for ".so" files, sorted; each file once, however many links lead to it.
std::vector<std::string> FindLibraries(const std::vector<std::string>& paths);

// [any] The records as a JSON array; `indent` is the indentation of the line it starts on.
void PrintJsonChecks(std::ostream& out, const std::vector<CheckRecord>& records,
                     const std::string& indent);

}  // namespace vst2host
