// operator new, counted on the threads that ask for it: a test that links this sees every
// allocation of a plug-in it loads or links where the C++ runtime is shared (Linux); a Windows
// DLL carries its own runtime, so there nothing is counted.
#pragma once

// [any] Counts this thread's calls from now on (true) or no longer (false).
void CountNew(bool on);
// [any] This thread's calls counted so far.
int NewCalls();
