// Where the module lives, paths relative to it, and the debug log.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <limits.h>
#include <stdlib.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "plugin/platform.h"
#include "runtime/module_paths.h"
#include "tests/runtime/temp_dir.h"

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
std::string ThisExecutable() {
    char name[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, name, sizeof name);
    return length > 0 && length < sizeof name ? std::string(name, length) : "";
}
#else
constexpr char kSeparator = '/';
std::string ThisExecutable() {
    char resolved[PATH_MAX];
    return realpath("/proc/self/exe", resolved) ? resolved : "";
}
#endif

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifndef _WIN32
// Sets an environment variable for one scope and puts back what was there.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};
#endif

TEST(ModulePaths, ModuleIsTheBinaryHoldingTheRuntime) {
    const std::string exe = ThisExecutable();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(ModuleFileName(ModuleInstance()), exe);
    const std::string directory = ModuleDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), kSeparator);
    EXPECT_EQ(directory, exe.substr(0, exe.rfind(kSeparator) + 1));
    EXPECT_EQ(ModuleFileName(nullptr), "");
}

TEST(ModulePaths, RelativePathDropsOneLeadingSeparator) {
    const std::string directory = ModuleDirectory();
    struct Case {
        std::string in;
        std::string tail;
    };
    const Case cases[] = {
        {"/data/x.txt", "data/x.txt"},
        {"\\data\\x.txt", "data\\x.txt"},
        {"data/x.txt", "data/x.txt"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(ModuleRelativePath(c.in), directory + c.tail);
    }
}

#ifdef _WIN32
// A module deeper than MAX_PATH, in folders named outside any code page: its name comes back
// whole (as UTF-8), a file opens beside it, and listing the folder neither throws nor drops
// the names.
TEST(ModulePaths, LongAndWideModulePathsWork) {
    TempDir temp;
    ASSERT_TRUE(temp.ok());
    const std::filesystem::path base = std::filesystem::absolute(temp.path()).lexically_normal();
    std::wstring dir = L"\\\\?\\" + base.wstring();  // no length limit, no normalising
    std::string text = base.string();
    const std::wstring folder = L"\u65e5\u672c\u8a9e_" + std::wstring(40, L'd');
    const std::string folderText = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e_" + std::string(40, 'd');
    while (text.size() < 300) {
        dir += L"\\" + folder;
        text += "\\" + folderText;
        ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr)) << GetLastError();
    }
    std::wstring source = std::filesystem::path(LOTTA_ROUTER_PATH).wstring();
    if (!source.empty() && source.front() == L'/') source = L"Z:" + source;
    ASSERT_TRUE(CopyFileW(source.c_str(), (dir + L"\\lotta_router.dll").c_str(), FALSE))
        << GetLastError();
    HMODULE module = LoadLibraryW((dir + L"\\lotta_router.dll").c_str());
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_EQ(PlatformModuleFileName(module), text + "\\lotta_router.dll");
    FreeLibrary(module);

    const std::string wideName = "\xd0\x98\xce\xbb\xe5\x90\x8d.txt";  // Cyrillic, Greek, CJK
    std::FILE* file = PlatformOpenFile(text + "\\" + wideName, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("x", file);
    std::fclose(file);
    std::vector<std::string> names;
    ListDataFiles(text, names);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"lotta_router.dll", wideName}));
}

TEST(DebugLog, AppendsOneLinePerCallAtTheRootOfTheCurrentDrive) {
    EXPECT_EQ(DebugLogFileName(), "\\vosk.log.txt");
    const std::string log = std::filesystem::absolute("\\vosk.log.txt").string();
    // The file may be someone else's: keep what it held and put it back.
    const bool existed = std::ifstream(log).good();
    const std::string before = existed ? ReadAll(log) : "";
    DebugLog("first line");
    DebugLog("second, with %s and %d kept literally");
    // Text mode: the C runtime ends each line with a carriage return and a line feed.
    EXPECT_EQ(ReadAll(log), before + "first line\r\nsecond, with %s and %d kept literally\r\n");
    if (existed) {
        std::ofstream(log, std::ios::binary | std::ios::trunc) << before;
    } else {
        std::filesystem::remove(log);
    }
}
#else
TEST(DebugLog, AppendsOneLinePerCallToTheTemporaryDirectory) {
    for (const char* suffix : {"", "/"}) {
        SCOPED_TRACE(::testing::Message() << "trailing '" << suffix << "'");
        TempDir dir;
        ASSERT_TRUE(dir.ok());
        ScopedEnv tmp("TMPDIR", dir.path() + suffix);
        const std::string log = dir.File("vosk.log.txt", "earlier\n");
        EXPECT_EQ(DebugLogFileName(), log);
        DebugLog("first line");
        DebugLog("second, with %s and %d kept literally");
        EXPECT_EQ(ReadAll(log), "earlier\nfirst line\nsecond, with %s and %d kept literally\n");
    }
}

TEST(DebugLog, AnUnopenableLogIsSkipped) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    ScopedEnv tmp("TMPDIR", dir.path() + "/missing");
    DebugLog("lost");
    EXPECT_FALSE(std::ifstream(dir.path() + "/missing/vosk.log.txt").good());
}
#endif

}  // namespace
