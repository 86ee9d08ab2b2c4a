#include "product/vst3/vst3_text.h"

#include <algorithm>
#include <cstring>

namespace vst3 {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The code point starting at text[at], and how many bytes it takes; kReplacement for one byte
// that starts no valid sequence.
char32_t Decode(const std::string& text, size_t at, size_t& length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    length = 1;
    if (lead < 0x80) return lead;
    const int more = lead >= 0xF5   ? -1
                     : lead >= 0xF0 ? 3
                     : lead >= 0xE0 ? 2
                     : lead >= 0xC2 ? 1
                                    : -1;
    if (more < 0 || at + static_cast<size_t>(more) >= text.size()) return kReplacement;
    char32_t code = lead & (0x3F >> more);
    for (int i = 1; i <= more; ++i) {
        const unsigned char next = byte(at + static_cast<size_t>(i));
        if ((next & 0xC0) != 0x80) return kReplacement;
        code = (code << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[more] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
        return kReplacement;
    length = static_cast<size_t>(more) + 1;
    return code;
}

}  // namespace

std::u16string ToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t at = 0, length = 0; at < text.size(); at += length) {
        const char32_t code = Decode(text, at, length);
        if (code < 0x10000) {
            out.push_back(static_cast<char16_t>(code));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

void CopyText(const std::string& text, char* out, size_t size) {
    if (!out || size == 0) return;
    const size_t count = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), count);
    std::memset(out + count, 0, size - count);
}

void CopyText(const std::string& text, char16_t* out, size_t size) {
    if (!out || size == 0) return;
    const std::u16string wide = ToUtf16(text);
    size_t count = std::min(wide.size(), size - 1);
    // A high surrogate whose partner does not fit goes too.
    if (count > 0 && count < wide.size() && wide[count - 1] >= 0xD800 && wide[count - 1] < 0xDC00)
        --count;
    std::copy_n(wide.begin(), count, out);
    std::fill(out + count, out + size, u'\0');
}

}  // namespace vst3
