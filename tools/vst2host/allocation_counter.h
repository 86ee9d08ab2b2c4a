// Counts heap allocations made on one thread while it is inside a plug-in's process call. The
// counting allocator functions are interposed in the vst2host program itself, so a plug-in's
// calls to malloc (and operator new, which ends in malloc) reach them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vst2host {

// [audio] Between these two calls, allocations made on this thread are counted.
void BeginCountingAllocations() noexcept;
void EndCountingAllocations() noexcept;
// [any] Allocations counted so far, on every thread that counted.
uint64_t CountedAllocations() noexcept;
// [any] The first allocation counted: the code address it was asked from (inside the
// library that asked, when a plug-in called malloc itself) and its size.
struct FirstAllocation {
    void* caller = nullptr;
    std::size_t size = 0;
};
FirstAllocation FirstCountedAllocation() noexcept;
// [any] What is counted: "malloc" when every allocation function is interposed, "operator
// new" in sanitizer builds, whose runtime owns malloc.
const char* CountedAllocationFunctions() noexcept;

}  // namespace vst2host
