// UTF-8 to UTF-16 conversion into a buffer that is kept between calls, so drawing text does
// not allocate once the buffer has grown to the longest text seen.
#pragma once

#include <vector>

class WideText {
  public:
    WideText() { buffer_.reserve(256); }
    // The converted text, zero-terminated; the empty string when the conversion fails.
    // Invalid byte sequences come back as U+FFFD. Valid until the next call.
    const wchar_t* Convert(const char* utf8);

  private:
    std::vector<wchar_t> buffer_;
};
