// Sparse script memory: blocks of 65536 doubles, created on first touch.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

using MemoryBlock = std::vector<double>;

class CZoltMemory {
  public:
    static constexpr int32_t kBlockSize = 65536;

    // The double at script index i; its block is created (zero-filled) on first use.
    // References stay valid until the memory is cleared: a full block never moves.
    double& MemoryAt(int32_t i);
    void ClearMemory() { blocks.clear(); }

    std::map<int32_t, MemoryBlock> blocks;
};
