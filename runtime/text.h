// Text and path helpers on byte strings. Both "\" and "/" count as separators.
#pragma once

#include <string>

bool Equals(const std::string& a, const std::string& b);
bool EqualsNoCase(const std::string& a, const std::string& b);
bool StartsWith(const std::string& s, const std::string& prefix);
bool EndsWith(const std::string& s, const std::string& suffix);
bool IsSeparator(char c);
bool StartsWithSeparator(const std::string& s);
bool EndsWithSeparator(const std::string& s);
std::string IncludeTrailingSeparator(const std::string& s);
std::string IncludeLeadingSeparator(const std::string& s);
std::string ExcludeLeadingSeparator(const std::string& s);
int LastSeparator(const std::string& s);
std::string ExtractDirectory(const std::string& s);
std::string ExtractFileName(const std::string& s);
std::string ExtractExtension(const std::string& s);

// The separator this platform appends.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif
