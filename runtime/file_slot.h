// Numbered file variables. Slot 0 also carries the state chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum FileSlotMode : int32_t { kFileSlotClosed = 0, kFileSlotRead = 1, kFileSlotWrite = 2 };

struct FileSlot {
    std::string name;  // relative to the module's directory; empty for an in-memory slot
    int32_t position = 0;
    std::vector<float> data;
    uint8_t firstFlag = 0;
    uint8_t secondFlag = 1;
    int32_t mode = kFileSlotClosed;
    int32_t firstCounter = 0;
    int32_t secondCounter = 0;

    // Writes a write slot that has a name to its file, one byte per value.
    void Flush() const noexcept;
    // Flushes, then empties the slot (keeping its storage) and switches its mode.
    void Reset(int32_t newMode);
    // Write mode appends the variable, read mode consumes into it, other modes do nothing.
    // The variable may be one the audio thread reads (a slider), hence the shared access.
    void Exchange(double& variable);
};
