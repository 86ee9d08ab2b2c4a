// The few facilities that differ between operating systems. One implementation file per
// platform provides them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

// Path texts are UTF-8 byte strings on every platform (on POSIX: the bytes the file system
// holds). Windows converts them to and from its wide paths at these calls.

// The handle the load notification stored for this module (null before load completes).
void* ModuleInstance();
// [any] The full file name of the module that the handle names, of any length; empty when it
// cannot be found.
std::string PlatformModuleFileName(void* module);
// [any] The file system's path for a path text. Never throws but for want of memory.
std::filesystem::path PlatformPath(const std::string& text);
// [any] A file-system path as a path text; false when it has none (Windows: a name that is
// not valid UTF-16). Never throws but for want of memory.
bool PlatformPathText(const std::filesystem::path& path, std::string& text);
// [any] std::fopen for a path text (Windows: the wide call, long paths included).
std::FILE* PlatformOpenFile(const std::string& text, const char* mode);
// A monotonic millisecond tick count, for timed redraws.
int32_t ClockMilliseconds();
// Wall-clock time in seconds, in whole microseconds, at the system clock's own resolution
// (a few milliseconds).
double WallClockSeconds();
// Where the debug log is appended, and the audible signal after each line.
std::string DebugLogFileName();
void DebugSignal();
