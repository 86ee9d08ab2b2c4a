#include "tests/product/new_counter.h"

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

void* Allocate(std::size_t size, std::size_t alignment = 0) {
    if (gCounting) ++gCalls;
    if (!alignment) return std::malloc(size ? size : 1);
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
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
void* operator new(std::size_t size, std::align_val_t alignment) {
    if (void* p = Allocate(size, static_cast<std::size_t>(alignment))) return p;
    throw std::bad_alloc();
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
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
