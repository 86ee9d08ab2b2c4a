// A call into a plug-in as plain values, and its text ("setParameter(3, 0.25)"), made without
// allocating, locking or reading the locale: a crash report writes it from a signal handler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vst2host {

// The call a thread is in, kept as plain values: formatting happens only when it is needed.
struct PluginCall {
    enum class Kind : uint8_t { kNone, kEntry, kDispatch, kSetParameter, kGetParameter, kProcess };
    Kind kind = Kind::kNone;
    const char* entry = nullptr;  // the library's entry, for kEntry
    int32_t opcode = 0;           // or the parameter index
    int32_t index = 0;
    intptr_t value = 0;
    float opt = 0.0f;  // or the parameter value
    int32_t frames = 0;
    bool doubles = false;
    bool active = false;  // false once the call has returned
};

// Text put together in a caller's buffer, cut to fit and always terminated. Async-signal-safe:
// no allocation, no lock, no locale.
class FixedText {
  public:
    // [any] `size` includes the terminator and is at least 1.
    FixedText(char* buffer, std::size_t size) noexcept;
    FixedText& Text(const char* text) noexcept;
    FixedText& Integer(long long value) noexcept;
    // As printf's "%g".
    FixedText& Float(double value) noexcept;
    std::size_t length() const noexcept { return used_; }

  private:
    char* buffer_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// [any] "setParameter(3, 0.25)", "processReplacing(32 frames)". Async-signal-safe.
void DescribeInto(FixedText& out, const PluginCall& call) noexcept;

// [any] The same as a string.
std::string Describe(const PluginCall& call);

}  // namespace vst2host
