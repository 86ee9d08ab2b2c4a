// operator new, counted on the threads that ask for it. The .clap's own calls reach the
// test program's definition where the C++ runtime is shared (Linux); a Windows DLL carries its
// own runtime, so there nothing is counted.
#pragma once

// [any] Counts this thread's calls from now on (true) or no longer (false).
void CountNew(bool on);
// [any] This thread's calls counted so far.
int NewCalls();
