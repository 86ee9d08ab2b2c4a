#include "runtime/text.h"

#include <algorithm>

namespace {
char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool Equals(const std::string& a, const std::string& b) {
    return a == b;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

// A text shorter than the prefix is compared over its own length only, so "ab" starts with
// "abc"; callers rely on this to test a partial name against a longer key.
bool StartsWith(const std::string& s, const std::string& prefix) {
    size_t n = std::min(prefix.size(), s.size());
    return s.compare(0, n, prefix, 0, n) == 0;
}

// A suffix longer than the text never matches.
bool EndsWith(const std::string& s, const std::string& suffix) {
    if (suffix.size() > s.size()) return false;
    return s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool StartsWithSeparator(const std::string& s) {
    return !s.empty() && IsSeparator(s.front());
}

bool EndsWithSeparator(const std::string& s) {
    return !s.empty() && IsSeparator(s.back());
}

// An empty text gets no separator: appending one would turn "" into the root directory.
std::string IncludeTrailingSeparator(const std::string& s) {
    if (s.empty() || EndsWithSeparator(s)) return s;
    return s + kPathSeparator;
}

std::string IncludeLeadingSeparator(const std::string& s) {
    if (StartsWithSeparator(s)) return s;
    return kPathSeparator + s;
}

std::string ExcludeLeadingSeparator(const std::string& s) {
    return StartsWithSeparator(s) ? s.substr(1) : s;
}

int LastSeparator(const std::string& s) {
    size_t pos = s.find_last_of("\\/");
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

std::string ExtractDirectory(const std::string& s) {
    int pos = LastSeparator(s);
    return pos < 0 ? std::string() : s.substr(0, static_cast<size_t>(pos) + 1);
}

std::string ExtractFileName(const std::string& s) {
    int pos = LastSeparator(s);
    return pos < 0 ? s : s.substr(static_cast<size_t>(pos) + 1);
}

std::string ExtractExtension(const std::string& s) {
    size_t pos = s.rfind('.');
    return pos == std::string::npos ? std::string() : s.substr(pos);
}
