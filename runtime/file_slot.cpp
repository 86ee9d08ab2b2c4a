#include "runtime/file_slot.h"

#include <cstdio>

#include "runtime/module_paths.h"
#include "runtime/script_numbers.h"

void FileSlot::Flush() const {
    if (mode != kFileSlotWrite || name.empty()) return;
    std::FILE* file = std::fopen(ModuleRelativePath(name).c_str(), "wb");
    if (!file) return;
    std::vector<unsigned char> bytes;
    bytes.reserve(data.size());
    for (float v : data) bytes.push_back(static_cast<unsigned char>(ToIndex(v) & 0xFF));
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
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
