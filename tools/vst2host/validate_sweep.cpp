#include "tools/vst2host/validate_sweep.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <set>

#include "tools/plugin_loader/plugin_library.h"
#include "tools/vst2host/command_error.h"
#include "tools/vst2host/text_format.h"
#include "tools/vst2host/validate_runner.h"

namespace vst2host {
namespace {

namespace fs = std::filesystem;

struct Row {
    std::string path;
    std::string shown;  // the path as the table shows it: below the directory searched
    PluginValidation v;
    // A library without an entry point is a helper next to the plug-ins, not a broken one.
    bool notAPlugin() const {
        return v.loadError && v.loadError->find(kNoEntryPoint) != std::string::npos;
    }
    bool ok() const { return !v.loadError ? v.failed == 0 : notAPlugin(); }
};

std::string FirstFailure(const Row& row) {
    if (row.notAPlugin()) return "not a plug-in";
    if (row.v.loadError) return *row.v.loadError;
    for (const CheckRecord& r : row.v.records) {
        if (r.verdict == Verdict::kFail) return r.name + ": " + r.detail;
    }
    return "";
}

void PrintTable(const std::vector<Row>& rows, double seconds) {
    std::size_t width = 8;
    for (const Row& row : rows) width = std::max(width, row.shown.size());
    std::cout << std::left << std::setw(static_cast<int>(width)) << "plug-in"
              << "  passed  failed    time  first failure\n";
    int passedAll = 0, failed = 0, notPlugins = 0;
    for (const Row& row : rows) {
        const bool counts = !row.v.loadError;
        std::cout << std::left << std::setw(static_cast<int>(width)) << Printable(row.shown)
                  << std::right << std::setw(8) << (counts ? std::to_string(row.v.passed) : "-")
                  << std::setw(8) << (counts ? std::to_string(row.v.failed) : "-") << std::setw(8)
                  << (Fixed(row.v.seconds, 1) + "s") << "  " << Printable(FirstFailure(row))
                  << "\n";
        if (row.notAPlugin()) {
            ++notPlugins;
        } else if (row.ok()) {
            ++passedAll;
        } else {
            ++failed;
        }
    }
    std::cout << rows.size() << " libraries: " << passedAll << " passed every check, " << failed
              << " failed, " << notPlugins << " not a plug-in; " << Fixed(seconds, 1) << " s\n";
}

void PrintJson(const std::vector<Row>& rows, int strictness, double seconds) {
    std::cout << "{\n  \"strictness\": " << strictness << ",\n  \"seconds\": " << Fixed(seconds, 1)
              << ",\n  \"plugins\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const char* result = row.notAPlugin()  ? "not a plug-in"
                             : row.v.loadError ? "cannot load"
                             : row.ok()        ? "pass"
                                               : "fail";
        std::cout << (i ? ",\n" : "\n") << "    {\n      \"plugin\": " << JsonString(row.path)
                  << ",\n      \"result\": \"" << result
                  << "\",\n      \"passed\": " << row.v.passed
                  << ",\n      \"failed\": " << row.v.failed
                  << ",\n      \"seconds\": " << Fixed(row.v.seconds, 2)
                  << ",\n      \"firstFailure\": " << JsonString(FirstFailure(row))
                  << ",\n      \"checks\": ";
        PrintJsonChecks(std::cout, row.v.records, "      ");
        std::cout << "\n    }";
    }
    std::cout << "\n  ]\n}\n";
}

}  // namespace

std::vector<std::string> FindLibraries(const std::vector<std::string>& paths) {
    std::vector<std::string> found;
    // Plug-in folders link to each other (a suite's own folder from /usr/lib/vst): each file
    // once, under the first name it was found by.
    std::set<fs::path> seen;
    auto add = [&](const fs::path& file) {
        std::error_code error;
        const fs::path real = fs::weakly_canonical(file, error);
        if (seen.insert(error ? file : real).second) found.push_back(file.string());
    };
    for (const std::string& path : paths) {
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            if (!fs::exists(path, error)) {
                throw CommandError("validate: no such file or directory: " + path);
            }
            add(path);
            continue;
        }
        std::vector<fs::path> files;
        const auto options = fs::directory_options::follow_directory_symlink |
                             fs::directory_options::skip_permission_denied;
        for (fs::recursive_directory_iterator it(path, options, error), end; !error && it != end;
             it.increment(error)) {
            if (it->path().extension() == ".so" && it->is_regular_file(error)) {
                files.push_back(it->path());
            }
        }
        if (error) throw CommandError("validate: cannot search " + path + ": " + error.message());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) add(file);
    }
    return found;
}

void PrintJsonChecks(std::ostream& out, const std::vector<CheckRecord>& records,
                     const std::string& indent) {
    out << "[";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CheckRecord& r = records[i];
        out << (i ? ",\n" : "\n") << indent << "  {\"name\": " << JsonString(r.name)
            << ", \"result\": \""
            << (r.verdict == Verdict::kPass   ? "pass"
                : r.verdict == Verdict::kFail ? "fail"
                                              : "skip")
            << "\", \"detail\": " << JsonString(r.detail) << "}";
    }
    out << "\n" << indent << "]";
}

int RunValidateSweep(const std::vector<std::string>& paths, int strictness, double timeLimit,
                     bool json) {
    const std::vector<std::string> libraries = FindLibraries(paths);
    if (libraries.empty()) throw CommandError("validate: no .so files found");
    const auto start = std::chrono::steady_clock::now();
    std::vector<Row> rows;
    for (const std::string& library : libraries) {
        Row row;
        row.path = library;
        row.shown = library;
        for (const std::string& root : paths) {
            const std::string prefix = root.ends_with('/') ? root : root + "/";
            if (library.starts_with(prefix)) row.shown = library.substr(prefix.size());
        }
        const std::size_t left = libraries.size() - rows.size() - 1;
        std::cerr << "[" << rows.size() + 1 << "/" << libraries.size() << ", " << left << " left] "
                  << Printable(library) << " ... " << std::flush;
        CheckContext context;
        context.pluginPath = library;
        context.strictness = strictness;
        context.quietPlugin = true;
        row.v = ValidatePlugin(context, timeLimit);
        std::cerr << (row.notAPlugin()  ? std::string("not a plug-in")
                      : row.v.loadError ? std::string("cannot load")
                                        : std::to_string(row.v.passed) + " passed, " +
                                              std::to_string(row.v.failed) + " failed")
                  << " (" << Fixed(row.v.seconds, 1) << " s)\n";
        rows.push_back(std::move(row));
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (json) {
        PrintJson(rows, strictness, seconds);
    } else {
        PrintTable(rows, seconds);
    }
    const bool allOk = std::all_of(rows.begin(), rows.end(), [](const Row& r) { return r.ok(); });
    return allOk ? 0 : 1;
}

}  // namespace vst2host
