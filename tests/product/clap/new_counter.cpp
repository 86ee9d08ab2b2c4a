#include "tests/product/clap/new_counter.h"

#include <cstdlib>
#include <new>

#ifdef _WIN32
// The DLL's allocations never reach the test program's operator new: nothing to count.
void CountNew(bool) {}
int NewCalls() {
    return 0;
}
#else
namespace {
thread_local bool gCounting = false;
thread_local int gCalls = 0;

void* Allocate(std::size_t size) {
    if (gCounting) ++gCalls;
    return std::malloc(size ? size : 1);
}
}  // namespace

void CountNew(bool on) {
    gCounting = on;
}

int NewCalls() {
    return gCalls;
}

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
#endif
