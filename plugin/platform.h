// The few facilities that differ between operating systems. One implementation file per
// platform provides them.
#pragma once

#include <cstdint>
#include <string>

// The handle the load notification stored for this module (null before load completes).
void* ModuleInstance();
// The full file name of the module that the handle names; empty when it cannot be found.
std::string PlatformModuleFileName(void* module);
// A monotonic millisecond tick count, for timed redraws.
int32_t ClockMilliseconds();
// Wall-clock time in seconds, in whole microseconds, at the system clock's own resolution
// (a few milliseconds).
double WallClockSeconds();
// Where the debug log is appended, and the audible signal after each line.
std::string DebugLogFileName();
void DebugSignal();
