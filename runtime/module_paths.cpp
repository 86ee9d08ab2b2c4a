#include "runtime/module_paths.h"

#include <cstdio>

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
    PlatformListDirectory(directory, [&names](const std::string& entry, bool isDirectory) {
        if (entry.empty() || entry.front() == '.' || isDirectory) return;
        names.push_back(entry);
    });
}

void DebugLog(const std::string& text) {
    std::FILE* file = PlatformOpenFile(DebugLogFileName(), "a");
    if (!file) return;
    std::fprintf(file, "%s\n", text.c_str());
    std::fclose(file);
    DebugSignal();
}
