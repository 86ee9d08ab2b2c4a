#include "runtime/module_paths.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "plugin/platform.h"
#include "runtime/text.h"

std::string ModuleFileName(void* module) {
    return PlatformModuleFileName(module);
}

std::string ModuleDirectory() {
    return ExtractDirectory(ModuleFileName(ModuleInstance()));
}

std::string ModuleRelativePath(const std::string& s) {
    return ModuleDirectory() + ExcludeLeadingSeparator(s);
}

void ListDataFiles(const std::string& directory, std::vector<std::string>& names) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(directory, error);
    if (error) return;
    const std::string prefix = IncludeTrailingSeparator(directory);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (entry.empty() || entry.front() == '.') continue;
        std::error_code statError;
        fs::file_status status = fs::status(prefix + entry, statError);
        if (statError || !fs::exists(status) || fs::is_directory(status)) continue;
        names.push_back(entry);
    }
}

void DebugLog(const std::string& text) {
    std::FILE* file = std::fopen(DebugLogFileName().c_str(), "a");
    if (!file) return;
    std::fprintf(file, "%s\n", text.c_str());
    std::fclose(file);
    DebugSignal();
}
