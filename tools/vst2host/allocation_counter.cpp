#include "tools/vst2host/allocation_counter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VST2HOST_COUNT_OPERATOR_NEW 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VST2HOST_COUNT_OPERATOR_NEW 1
#endif
#endif

namespace {

std::atomic<uint64_t> counted{0};
// Plain thread-local flag: the allocator functions run before and during any other
// initialisation, so nothing here may need a constructor.
thread_local bool counting = false;
// The first counted allocation: who asked, and for how much.
std::atomic<void*> firstCaller{nullptr};
std::atomic<std::size_t> firstSize{0};

inline void Note(void* caller, std::size_t size) noexcept {
    if (!counting) return;
    if (counted.fetch_add(1, std::memory_order_relaxed) == 0) {
        firstCaller.store(caller, std::memory_order_relaxed);
        firstSize.store(size, std::memory_order_relaxed);
    }
}

#define VST2HOST_NOTE(size) Note(__builtin_return_address(0), (size))

}  // namespace

namespace vst2host {

void BeginCountingAllocations() noexcept {
    counting = true;
}

void EndCountingAllocations() noexcept {
    counting = false;
}

uint64_t CountedAllocations() noexcept {
    return counted.load(std::memory_order_relaxed);
}

FirstAllocation FirstCountedAllocation() noexcept {
    return {firstCaller.load(std::memory_order_relaxed), firstSize.load(std::memory_order_relaxed)};
}

const char* CountedAllocationFunctions() noexcept {
#ifdef VST2HOST_COUNT_OPERATOR_NEW
    return "operator new";
#else
    return "malloc";
#endif
}

}  // namespace vst2host

#ifdef VST2HOST_COUNT_OPERATOR_NEW
// The sanitizer runtime owns malloc; counting operator new is what remains possible.
#define VST2HOST_RAW_MALLOC(size) std::malloc(size)
#else
extern "C" void* __libc_malloc(std::size_t size);
// Straight to glibc: an allocation counted at operator new is not counted again in malloc.
#define VST2HOST_RAW_MALLOC(size) __libc_malloc(size)
#endif

// Counted here rather than in malloc, so that the caller recorded is the code that said `new`,
// not the C++ runtime between it and malloc.
void* operator new(std::size_t size) {
    VST2HOST_NOTE(size);
    if (void* p = VST2HOST_RAW_MALLOC(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    VST2HOST_NOTE(size);
    if (void* p = VST2HOST_RAW_MALLOC(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    VST2HOST_NOTE(size);
    return VST2HOST_RAW_MALLOC(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    VST2HOST_NOTE(size);
    return VST2HOST_RAW_MALLOC(size == 0 ? 1 : size);
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

#ifndef VST2HOST_COUNT_OPERATOR_NEW
// glibc's own allocator entry points, which the interposed functions forward to. Memory they
// return is released by glibc's free, which is left alone.
#define VST2HOST_INTERPOSED __attribute__((visibility("default")))

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

VST2HOST_INTERPOSED void* malloc(std::size_t size) noexcept {
    VST2HOST_NOTE(size);
    return __libc_malloc(size);
}
VST2HOST_INTERPOSED void* calloc(std::size_t count, std::size_t size) noexcept {
    VST2HOST_NOTE(count * size);
    return __libc_calloc(count, size);
}
VST2HOST_INTERPOSED void* realloc(void* p, std::size_t size) noexcept {
    VST2HOST_NOTE(size);
    return __libc_realloc(p, size);
}
VST2HOST_INTERPOSED void* memalign(std::size_t alignment, std::size_t size) noexcept {
    VST2HOST_NOTE(size);
    return __libc_memalign(alignment, size);
}
VST2HOST_INTERPOSED void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    VST2HOST_NOTE(size);
    return __libc_memalign(alignment, size);
}
VST2HOST_INTERPOSED int posix_memalign(void** out, std::size_t alignment,
                                       std::size_t size) noexcept {
    VST2HOST_NOTE(size);
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *out = p;
    return 0;
}
}

#endif
