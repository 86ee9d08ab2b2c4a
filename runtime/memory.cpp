#include "runtime/memory.h"

#include <cstddef>

double& CZoltMemory::MemoryAt(int32_t i) {
    const int32_t block = i >> 16;  // arithmetic: negative indexes fall into negative blocks
    const int32_t offset = i & 0xFFFF;
    MemoryBlock& entries = blocks[block];
    if (entries.size() != static_cast<std::size_t>(kBlockSize)) entries.resize(kBlockSize, 0.0);
    return entries[static_cast<std::size_t>(offset)];
}
