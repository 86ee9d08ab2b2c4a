// POSIX stand-ins: the module is found with dladdr, clocks come from clock_gettime and the
// debug log lives in the temporary directory.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "plugin/platform.h"

namespace {

void* gModuleInstance = nullptr;
std::string gModuleFileName;

std::string ResolveModuleFileName(const void* addressInModule) {
    Dl_info info{};
    if (dladdr(addressInModule, &info) == 0 || !info.dli_fname) return {};
    std::string name = info.dli_fname;
    if (name.empty() || name.front() == '/') return name;
    // A host may have loaded us through a relative path and the working directory can change
    // later, so make it absolute now. Symbolic links are kept: files beside the module are
    // looked up where the host found it.
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return name;
    if (name.rfind("./", 0) == 0) name.erase(0, 2);
    return std::string(cwd) + "/" + name;
}

// The load notification: runs when the dynamic loader maps this module. It is a static
// object declared after the variables it fills, so they are initialised before it runs.
struct ModuleLoadNotification {
    ModuleLoadNotification() {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&ResolveModuleFileName), &info) != 0) {
            gModuleInstance = info.dli_fbase;
        }
        gModuleFileName = ResolveModuleFileName(reinterpret_cast<void*>(&ResolveModuleFileName));
    }
} gModuleLoadNotification;

}  // namespace

void* ModuleInstance() {
    return gModuleInstance;
}

std::string PlatformModuleFileName(void* module) {
    if (!module) return {};
    if (module == gModuleInstance) return gModuleFileName;
    return ResolveModuleFileName(module);
}

bool PlatformListDirectory(const std::string& directory,
                           const std::function<void(const std::string&, bool)>& visit) {
    namespace fs = std::filesystem;
    // Only the non-throwing calls: a directory that changes while it is listed must not
    // throw out of the host's call.
    std::error_code error;
    fs::directory_iterator it(directory, error);
    if (error) return false;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code statError;
        const fs::file_status status = fs::status(it->path(), statError);
        if (statError || !fs::exists(status)) continue;
        visit(it->path().filename().native(), fs::is_directory(status));
    }
    return true;
}

std::FILE* PlatformOpenFile(const std::string& text, const char* mode) {
    return std::fopen(text.c_str(), mode);
}

int32_t ClockMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    auto ms = static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    // Wraps like a 32-bit tick counter; differences stay right across the wrap.
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

// The coarse real-time clock: the same epoch as gettimeofday at a few milliseconds'
// resolution, as fine as Windows' system-time clock and read without leaving user space,
// since the audio thread reads it on every block.
double WallClockSeconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec / 1000) * 0.000001;
}

std::string DebugLogFileName() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp ? tmp : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir + "vosk.log.txt";
}

void DebugSignal() {}
