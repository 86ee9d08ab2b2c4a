// Windows: the DLL entry routine records the module handle, paths come from
// GetModuleFileNameA and the debug log beeps after each line.
#include <windows.h>

#include <ctime>

#include "plugin/platform.h"

namespace {

// Written at load, before any entry point can run.
HINSTANCE gModuleInstance = nullptr;

// Programs that link the runtime in (the tests) get no DLL notification: their module is the
// one holding this code. In the DLL the notification below runs after this and agrees.
struct ModuleFromAddress {
    ModuleFromAddress() {
        HMODULE module = nullptr;
        if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                   GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               reinterpret_cast<LPCSTR>(&gModuleInstance), &module)) {
            gModuleInstance = module;
        }
    }
} gModuleFromAddress;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
    // Every notification reason succeeds and carries the same handle.
    gModuleInstance = instance;
    return TRUE;
}

void* ModuleInstance() {
    return gModuleInstance;
}

std::string PlatformModuleFileName(void* module) {
    if (!module) return {};
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(static_cast<HMODULE>(module), buffer, sizeof buffer);
    // A name that does not fit is cut without a terminator; no such path can be used anyway.
    if (length == 0 || length >= sizeof buffer) return {};
    return std::string(buffer, length);
}

int32_t ClockMilliseconds() {
    // The C runtime's clock counts milliseconds since the process started.
    return static_cast<int32_t>(std::clock());
}

double WallClockSeconds() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    // 100-nanosecond units since 1601; the offset to the Unix epoch keeps the values in the
    // same range as on other platforms.
    ULARGE_INTEGER ticks{};
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    constexpr unsigned long long kEpochOffset = 116444736000000000ULL;
    const unsigned long long since1970 = ticks.QuadPart - kEpochOffset;
    const unsigned long long micros = since1970 / 10;
    return static_cast<double>(micros / 1000000) + static_cast<double>(micros % 1000000) * 0.000001;
}

std::string DebugLogFileName() {
    // The root of the current drive.
    return "\\vosk.log.txt";
}

void DebugSignal() {
    Beep(2000, 200);
}
