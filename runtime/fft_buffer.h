// A transform's buffer in script memory. Blocks are separate allocations, so a buffer must
// lie inside one block; one that would run past its block's end is refused.
#pragma once

#include <cstdint>

#include "runtime/memory.h"

// The address of doubleCount doubles from script index `index`, or null when they would
// cross into the next block. The block is created only when the buffer fits.
inline double* ScriptBuffer(CZoltMemory& mem, int32_t index, int64_t doubleCount) {
    const int64_t offset = index & (CZoltMemory::kBlockSize - 1);
    if (doubleCount < 0 || offset + doubleCount > CZoltMemory::kBlockSize) return nullptr;
    return &mem.MemoryAt(index);
}
