#include "editor/x11/uri_list.h"

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A '%' not followed by two hex digits stays as it is.
std::string PercentDecode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}
}  // namespace

std::string FileUriToPath(const std::string& uri) {
    if (!StartsWithNoCase(uri, "file:")) return {};
    std::string rest = uri.substr(5);
    if (rest.rfind("//", 0) == 0) {
        // Skip the authority (empty, "localhost" or a host name) up to the path.
        const size_t slash = rest.find('/', 2);
        if (slash == std::string::npos) return {};
        rest = rest.substr(slash);
    }
    if (rest.empty() || rest[0] != '/') return {};
    const size_t end = rest.find_first_of("?#");
    return PercentDecode(rest.substr(0, end));
}

std::vector<CDragContainer::Entry> ParseUriList(const std::string& data) {
    std::vector<CDragContainer::Entry> entries;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::string line = data.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0')) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::string path = FileUriToPath(line);
        if (!path.empty()) {
            entries.push_back({CDragContainer::Kind::kFile, std::move(path)});
        } else {
            entries.push_back({CDragContainer::Kind::kText, std::move(line)});
        }
    }
    return entries;
}

std::vector<CDragContainer::Entry> ParseDroppedText(const std::string& data) {
    std::string text = data;
    while (!text.empty() && text.back() == '\0') text.pop_back();
    if (text.empty()) return {};
    return {{CDragContainer::Kind::kText, std::move(text)}};
}
