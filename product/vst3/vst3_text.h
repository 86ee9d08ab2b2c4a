// Texts into the fixed-size fields of VST 3 records: 8-bit ones, and the UTF-16 ones of
// Unicode hosts. Every copy is cut to fit and terminated.
#pragma once

#include <cstddef>
#include <string>

namespace vst3 {

// [any] UTF-8 text as UTF-16; a malformed byte becomes U+FFFD.
std::u16string ToUtf16(const std::string& text);
// [any] Copies text into out[size] (size > 0): at most size - 1 units, then a 0. A UTF-16
// pair is never cut in half.
void CopyText(const std::string& text, char* out, size_t size);
void CopyText(const std::string& text, char16_t* out, size_t size);

template <size_t N>
void CopyText(const std::string& text, char (&out)[N]) {
    CopyText(text, out, N);
}
template <size_t N>
void CopyText(const std::string& text, char16_t (&out)[N]) {
    CopyText(text, out, N);
}

}  // namespace vst3
