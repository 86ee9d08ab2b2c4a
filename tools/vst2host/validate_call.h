// Every call the checks make into a plug-in goes through here, so that whatever goes wrong in
// one can be told as the call it was: "threw std::bad_alloc out of setParameter(3, 0.25)",
// "crashed (signal 11) in dispatcher(opcode 13, ...) on the automation thread".
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/validate_report.h"

namespace vst2host {

// An exception that left the plug-in, with the call it left.
class PluginThrew : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

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

// [any] "setParameter(3, 0.25)", "processReplacing(32 frames)".
std::string Describe(const PluginCall& call);

// [any] Names the calling thread in crash reports ("the automation thread").
void SetCallThreadName(const char* name) noexcept;

// [any] Runs `body` as this call, recorded for a crash report; an exception out of it becomes
// PluginThrew naming the call.
template <typename Body>
auto Calling(const PluginCall& call, Body&& body) -> decltype(body());

// [main] In a check process: on a fatal signal, the call the faulting thread was in is
// written to the report before the process dies as it would have.
void ReportCrashesTo(const CheckReporter* reporter);

// [main] The message of the first effClose that threw in a destructor on this thread since the
// last call, taken; empty when none did. A destructor cannot throw, so it leaves it here.
std::string TakeCloseFault();

// A loaded plug-in whose calls are recorded and whose exceptions are named, from the entry
// that makes it to the effClose that ends it.
class ValidatedPlugin : public LoadedPlugin {
  public:
    // [main] Throws LoadError, or PluginThrew naming the call that threw.
    explicit ValidatedPlugin(const std::string& path, const HostSettings& settings = {});
    // [main] An exception out of effClose is left for TakeCloseFault.
    ~ValidatedPlugin();
    // [main] or [any] as the plug-in's own entries.
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) const;
    // [main] As LoadedPlugin's, with the call recorded: the base one would bypass dispatch
    // above.
    std::string dispatchText(int32_t opcode, int32_t index = 0, intptr_t value = 0) const;
    float getParameter(int32_t index) const;
    void setParameter(int32_t index, float value) const;
    // [audio]
    void process(float** in, float** out, int32_t frames) const;
    void process(double** in, double** out, int32_t frames) const;
};

// Implementation details of Calling: the thread's current or last call, and the exception in flight
// turned into PluginThrew.
PluginCall& CurrentCall() noexcept;
[[noreturn]] void ThrowNamed(const PluginCall& call);

template <typename Body>
auto Calling(const PluginCall& call, Body&& body) -> decltype(body()) {
    PluginCall& current = CurrentCall();
    current = call;
    current.active = true;
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            current.active = false;
        } else {
            auto result = body();
            current.active = false;
            return result;
        }
    } catch (...) {
        current.active = false;
        ThrowNamed(call);
    }
}

}  // namespace vst2host
