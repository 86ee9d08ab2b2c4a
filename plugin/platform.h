// The few facilities that differ between operating systems. One implementation file per
// platform provides them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

// Path texts are UTF-8 byte strings on every platform (on POSIX: the bytes the file system
// holds). Windows converts them to and from its wide paths at these calls.

// The handle the load notification stored for this module (null before load completes).
void* ModuleInstance();
// [any] The full file name of the module that the handle names, of any length; empty when it
// cannot be found.
std::string PlatformModuleFileName(void* module);
// [any] Calls visit(name, isDirectory) for each entry of the directory, in the order the file
// system yields them (perhaps "." and ".." too); a symbolic link counts as what it points to, and
// an entry whose status cannot be read, or whose name has no path text (Windows: not valid
// UTF-16), is skipped. False when the directory cannot be read. Long paths work on Windows.
// Throws nothing but for want of memory.
bool PlatformListDirectory(const std::string& directory,
                           const std::function<void(const std::string&, bool)>& visit);
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
