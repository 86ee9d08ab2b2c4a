#include "runtime/file_slot.h"

#include <cstdio>
#include <new>

#include "plugin/platform.h"
#include "runtime/module_paths.h"
#include "runtime/script_numbers.h"

void FileSlot::Flush() const noexcept {
    if (mode != kFileSlotWrite || name.empty()) return;
    std::FILE* file = nullptr;
    try {
        file = PlatformOpenFile(ModuleRelativePath(name), "wb");
    } catch (const std::bad_alloc&) {
        return;  // also runs from the destructor, which must not throw
    }
    if (!file) return;
    for (float v : data) std::fputc(ToIndex(v) & 0xFF, file);
    std::fclose(file);
}

void FileSlot::Reset(int32_t newMode) {
    Flush();
    name.clear();
    position = 0;
    firstCounter = 0;
    secondCounter = 0;
    data.clear();
    firstFlag = 0;
    mode = newMode;
}

void FileSlot::Exchange(double& variable) {
    if (mode == kFileSlotWrite) {
        const auto p = static_cast<size_t>(position);
        if (data.size() < p + 1) data.resize(p + 1, 0.0f);
        position += 1;
        data[p] = static_cast<float>(LoadShared(variable));
    } else if (mode == kFileSlotRead) {
        if (position >= 0 && static_cast<size_t>(position) < data.size()) {
            StoreShared(variable, static_cast<double>(data[static_cast<size_t>(position)]));
            position += 1;
        }
    }
}
