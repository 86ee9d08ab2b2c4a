// Turning a plug-in's values and foreign text into output a terminal or a JSON reader accepts.
#pragma once

#include <cstdint>
#include <string>

namespace vst2host {

// "0x" and eight lower-case hex digits.
std::string Hex32(int32_t value);

// The four characters of a VST identifier (first character in the most significant byte), or
// an empty string when any of them is not printable ASCII.
std::string FourCharText(int32_t id);

// A float as a plug-in author types it back in: every digit that tells it apart ("%.9g").
std::string Exact(float value);

// A number with this many decimals ("%.*f").
std::string Fixed(double value, int decimals);

// Seconds as short as they read exactly ("2", "0.5").
std::string Seconds(double seconds);

// Seconds as milliseconds, two decimals below 10 ms and one above ("0.67 ms", "12.5 ms").
std::string Milliseconds(double seconds);

// Control characters replaced with '?', so foreign text cannot steer a terminal.
std::string Printable(const std::string& text);

// A quoted JSON string. Valid UTF-8 passes through; any other byte is read as Latin-1, the
// usual encoding of older plug-ins, and written as a \u escape, so the result is always valid.
std::string JsonString(const std::string& text);

}  // namespace vst2host
