// Windows: the DLL entry routine records the module handle, paths come from the wide calls
// (converted to and from UTF-8 path texts) and the debug log beeps after each line.
#include <windows.h>

#include <algorithm>
#include <ctime>
#include <cwchar>
#include <memory>

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

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    // Invalid UTF-8 becomes U+FFFD rather than failing: such a text names no file anyway.
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

bool Utf8(const std::wstring& wide, std::string& text) {
    text.clear();
    if (wide.empty()) return true;
    const int length =
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    text.resize(static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()),
                        text.data(), length, nullptr, nullptr);
    return true;
}

// Paths of MAX_PATH or more open only in the "\\?\" form, which must be absolute and
// normalised.
std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0) return path;
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) return path;
    full.resize(written);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

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
    // A name that does not fit is cut to the buffer's size: grow until it fits. Windows
    // paths end at 32767 wide characters.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(static_cast<HMODULE>(module), buffer.data(), size);
        if (length == 0) return {};
        if (length < size) {
            buffer.resize(length);
            break;
        }
        if (buffer.size() > 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
    // Only a loader that hands out the "\\?\" form puts it in; the runtime's texts go without.
    if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        buffer.replace(0, 8, L"\\\\");
    } else if (buffer.rfind(L"\\\\?\\", 0) == 0) {
        buffer.erase(0, 4);
    }
    std::string text;
    return Utf8(buffer, text) ? text : std::string();
}

bool PlatformListDirectory(const std::string& directory,
                           const std::function<void(const std::string&, bool)>& visit) {
    // FindFirstFileW rather than std::filesystem, whose directory reading here stops at
    // MAX_PATH; names convert to UTF-8, never through the code page.
    std::wstring pattern = Wide(directory);
    if (pattern.empty()) return false;
    if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    const std::wstring prefix = pattern;
    pattern = LongPathForm(pattern + L'*');
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return false;
    // visit may throw when memory runs out: the search is closed on every way out.
    const std::unique_ptr<void, decltype(&FindClose)> closer(search, &FindClose);
    do {
        std::string name;
        if (!Utf8(found.cFileName, name)) continue;
        DWORD attributes = found.dwFileAttributes;
        // A link counts as what it points to.
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            const HANDLE target =
                CreateFileW(LongPathForm(prefix + found.cFileName).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
            BY_HANDLE_FILE_INFORMATION info;
            const bool read =
                target != INVALID_HANDLE_VALUE && GetFileInformationByHandle(target, &info);
            if (target != INVALID_HANDLE_VALUE) CloseHandle(target);
            if (!read) continue;
            attributes = info.dwFileAttributes;
        }
        visit(name, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(search, &found));
    return true;
}

std::FILE* PlatformOpenFile(const std::string& text, const char* mode) {
    const std::wstring wideMode = Wide(mode ? mode : "");
    if (text.empty() || wideMode.empty()) return nullptr;
    return _wfopen(LongPathForm(Wide(text)).c_str(), wideMode.c_str());
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
