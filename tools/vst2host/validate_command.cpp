#include "tools/vst2host/validate_command.h"

#include <charconv>
#include <iomanip>
#include <iostream>
#include <vector>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/command_error.h"
#include "tools/vst2host/text_format.h"
#include "tools/vst2host/validate_runner.h"

namespace vst2host {
namespace {

constexpr int kDefaultStrictness = 5;
constexpr double kDefaultTimeLimit = 120.0;

int ParseStrictness(const std::optional<std::string>& text) {
    if (!text) return kDefaultStrictness;
    int value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || value < 1 || value > 10) {
        throw CommandError("validate: --strictness must be a whole number from 1 to 10, not '" +
                           *text + "'");
    }
    return value;
}

double ParseTimeLimit(const std::optional<std::string>& text) {
    if (!text) return kDefaultTimeLimit;
    try {
        std::size_t used = 0;
        const double value = std::stod(*text, &used);
        if (used == text->size() && value > 0.0 && value <= 86400.0) return value;
    } catch (const std::exception&) {
    }
    throw CommandError("validate: --timeout must be a number of seconds above 0, not '" + *text +
                       "'");
}

const char* Word(Verdict v) {
    return v == Verdict::kPass ? "PASS" : v == Verdict::kFail ? "FAIL" : "SKIP";
}

void PrintText(const std::vector<CheckRecord>& records, int passed, int failed) {
    for (const CheckRecord& r : records) {
        std::cout << Word(r.verdict) << "  " << std::left << std::setw(30) << r.name << r.detail
                  << "\n";
    }
    std::cout << passed << " passed, " << failed << " failed\n";
}

void PrintJson(const ValidateRequest& request, int strictness,
               const std::vector<CheckRecord>& records, int passed, int failed) {
    std::cout << "{\n  \"plugin\": " << JsonString(request.pluginPath)
              << ",\n  \"strictness\": " << strictness << ",\n  \"checks\": [";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CheckRecord& r = records[i];
        std::cout << (i ? ",\n" : "\n") << "    {\"name\": " << JsonString(r.name)
                  << ", \"result\": \""
                  << (r.verdict == Verdict::kPass   ? "pass"
                      : r.verdict == Verdict::kFail ? "fail"
                                                    : "skip")
                  << "\", \"detail\": " << JsonString(r.detail) << "}";
    }
    std::cout << "\n  ],\n  \"passed\": " << passed << ",\n  \"failed\": " << failed << "\n}\n";
}

}  // namespace

int RunValidateCommand(const ValidateRequest& request) {
    const int strictness = ParseStrictness(request.strictness);
    const double timeLimit = ParseTimeLimit(request.timeLimit);
    CheckContext context;
    context.pluginPath = request.pluginPath;
    context.strictness = strictness;

    std::vector<CheckRecord> records;
    bool first = true;
    for (const CheckGroup& group : CheckGroups()) {
        GroupResult result = RunGroupInChild(group, context, timeLimit);
        // The first group opens the plug-in before anything else: its failure to load (or a
        // crash or hang while loading) means there is nothing to validate.
        if (result.loadError) throw LoadError(*result.loadError);
        if (first && !result.records.empty() &&
            result.records.front().detail.starts_with("not run")) {
            throw LoadError("cannot load " + request.pluginPath + ": " +
                            result.records.front().detail.substr(9));
        }
        first = false;
        records.insert(records.end(), result.records.begin(), result.records.end());
    }

    int passed = 0;
    int failed = 0;
    for (const CheckRecord& r : records) {
        if (r.verdict == Verdict::kPass) ++passed;
        if (r.verdict == Verdict::kFail) ++failed;
    }
    if (request.json) {
        PrintJson(request, strictness, records, passed, failed);
    } else {
        PrintText(records, passed, failed);
    }
    return failed == 0 ? 0 : 1;
}

}  // namespace vst2host
