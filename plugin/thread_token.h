// Which thread is running: the checks that let only the thread inside a process call see
// that call's time record ask this on every block, so it must cost next to nothing.
#pragma once

#include <cstdint>

// [any] A number that no other running thread has at the same time; never 0, which stands
// for no thread.
inline uintptr_t ThisThreadToken() {
#if defined(__linux__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__aarch64__))
    // The thread pointer: one register read, where std::this_thread::get_id() is a library
    // call through the PLT.
    return reinterpret_cast<uintptr_t>(__builtin_thread_pointer());
#else
    // Elsewhere the address of a thread-local object, distinct for every living thread.
    static thread_local const char marker = 0;
    return reinterpret_cast<uintptr_t>(&marker);
#endif
}
