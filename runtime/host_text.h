// Copies a text into a buffer the host owns: at most capacity bytes, the terminating zero
// included, and nothing after the zero (hosts pass buffers of many sizes).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

inline bool CopyToHost(char* destination, const std::string& text, int32_t capacity) {
    if (!destination || capacity <= 0) return false;
    const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(destination, text.data(), n);
    destination[n] = 0;
    return true;
}
