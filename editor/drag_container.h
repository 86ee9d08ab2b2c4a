// What a drag carries: a list of entries, each a file path or a piece of text, in UTF-8.
// Platforms fill it from their own formats (Win32 CF_UNICODETEXT / CF_HDROP with shortcuts
// resolved; X11 XDND's text/uri-list and UTF-8 text).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CDragContainer {
  public:
    enum class Kind { kFile, kText };
    struct Entry {
        Kind kind;
        std::string utf8;
    };

    CDragContainer() = default;
    explicit CDragContainer(std::vector<Entry> entries) : entries_(std::move(entries)) {}

    int32_t count() const { return static_cast<int32_t>(entries_.size()); }
    // Null past the end; the text lives as long as the container.
    const Entry* entry(int32_t index) const {
        return index >= 0 && index < count() ? &entries_[static_cast<size_t>(index)] : nullptr;
    }

  private:
    std::vector<Entry> entries_;
};
