#include "editor/win32/wide_text.h"

#include <new>

#include "editor/win32/gdiplus_api.h"

const wchar_t* WideText::Convert(const char* utf8) {
    static const wchar_t kEmpty[1] = {0};
    if (!utf8) return kEmpty;
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (count <= 0) return kEmpty;
    const size_t needed = static_cast<size_t>(count) + 1;
    try {
        if (buffer_.size() < needed) buffer_.resize(needed);
    } catch (const std::bad_alloc&) {
        return kEmpty;
    }
    if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buffer_.data(), count) != count) return kEmpty;
    buffer_[static_cast<size_t>(count)] = 0;
    return buffer_.data();
}
