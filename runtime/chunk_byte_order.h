// State chunks hold little-endian 32-bit floats on every machine, so a state saved on one host
// restores on any other (LV2 hosts may move a state flagged portable between machines). Every
// target built today is little-endian, where this compiles to nothing.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "chunks know little- and big-endian machines only");

// [any] Turns count 32-bit values at bytes from the machine's order into little-endian, or
// back: the same swap either way. Works on bytes, so no float register sees a swapped value.
inline void SwapChunkByteOrder(void* bytes, std::size_t count) {
    if constexpr (std::endian::native == std::endian::big) {
        auto* at = static_cast<unsigned char*>(bytes);
        for (std::size_t i = 0; i < count; ++i, at += 4) {
            uint32_t word;
            std::memcpy(&word, at, 4);
            word = __builtin_bswap32(word);
            std::memcpy(at, &word, 4);
        }
    } else {
        (void)bytes, (void)count;
    }
}
