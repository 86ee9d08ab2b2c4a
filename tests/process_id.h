// The test process's id, for file names that parallel test runs must not share.
#pragma once

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

inline int TestProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}
