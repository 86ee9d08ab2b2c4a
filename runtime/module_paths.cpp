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
    // Only the non-throwing calls: a name the path texts cannot hold, or a directory that
    // changes while it is listed, must not throw out of the host's call.
    std::error_code error;
    fs::directory_iterator it(PlatformPath(directory), error);
    if (error) return;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string entry;
        if (!PlatformPathText(it->path().filename(), entry)) continue;
        if (entry.empty() || entry.front() == '.') continue;
        std::error_code statError;
        const fs::file_status status = fs::status(it->path(), statError);
        if (statError || !fs::exists(status) || fs::is_directory(status)) continue;
        names.push_back(entry);
    }
}

void DebugLog(const std::string& text) {
    std::FILE* file = PlatformOpenFile(DebugLogFileName(), "a");
    if (!file) return;
    std::fprintf(file, "%s\n", text.c_str());
    std::fclose(file);
    DebugSignal();
}
