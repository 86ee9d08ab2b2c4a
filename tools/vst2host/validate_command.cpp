#include "tools/vst2host/validate_command.h"

#include <charconv>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <vector>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/command_error.h"
#include "tools/vst2host/text_format.h"
#include "tools/vst2host/validate_runner.h"
#include "tools/vst2host/validate_sweep.h"

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

bool IsDirectory(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
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

void PrintJson(const std::string& path, int strictness, const std::vector<CheckRecord>& records,
               int passed, int failed) {
    std::cout << "{\n  \"plugin\": " << JsonString(path) << ",\n  \"strictness\": " << strictness
              << ",\n  \"checks\": ";
    PrintJsonChecks(std::cout, records, "  ");
    std::cout << ",\n  \"passed\": " << passed << ",\n  \"failed\": " << failed << "\n}\n";
}

}  // namespace

int RunValidateCommand(const ValidateRequest& request) {
    const int strictness = ParseStrictness(request.strictness);
    const double timeLimit = ParseTimeLimit(request.timeLimit);
    if (request.paths.size() != 1 || IsDirectory(request.paths.front())) {
        return RunValidateSweep(request.paths, strictness, timeLimit, request.json);
    }
    CheckContext context;
    context.pluginPath = request.paths.front();
    context.strictness = strictness;
    const PluginValidation v = ValidatePlugin(context, timeLimit);
    if (v.loadError) throw LoadError(*v.loadError);
    if (request.json) {
        PrintJson(context.pluginPath, strictness, v.records, v.passed, v.failed);
    } else {
        PrintText(v.records, v.passed, v.failed);
    }
    return v.failed == 0 ? 0 : 1;
}

}  // namespace vst2host
