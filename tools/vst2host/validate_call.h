// Every call the checks make into a plug-in goes through here, so that whatever goes wrong in
// one can be told as the call it was: "threw std::bad_alloc out of setParameter(3, 0.25)",
// "crashed (signal 11) in dispatcher(opcode 13, ...) on the automation thread".
#pragma once

#include <signal.h>

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/validate_call_text.h"
#include "tools/vst2host/validate_report.h"

namespace vst2host {

// An exception that left the plug-in, with the call it left.
class PluginThrew : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One thread's current call as other threads may read it while that thread goes on calling:
// a sequence count around the copy tells a reader when it read half of one call and half of
// the next.
class CallSlot {
  public:
    // [any] Only ever from the one thread that publishes to the slot.
    void Store(const PluginCall& call) noexcept;
    // [any] A call as it was stored, never parts of two.
    PluginCall Load() const noexcept;

  private:
    static constexpr std::size_t kWords = (sizeof(PluginCall) + 7) / 8;
    std::atomic<uint32_t> sequence_{0};
    std::atomic<uint64_t> words_[kWords] = {};
};

// [any] From now on the calling thread's calls are also stored in `slot` (nullptr: no longer),
// which must outlive them.
void PublishCallsTo(CallSlot* slot) noexcept;

// [any] While alive, the calling thread's fatal signals are handled on a stack of their own, so
// that a crash from a stack overflow is still reported.
class SignalStack {
  public:
    SignalStack();
    ~SignalStack();
    SignalStack(const SignalStack&) = delete;
    SignalStack& operator=(const SignalStack&) = delete;

  private:
    void* memory_ = nullptr;
    std::size_t size_ = 0;
    bool installed_ = false;
    stack_t previous_{};
};

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

// [any] The thread's current or last call.
const PluginCall& CurrentCall() noexcept;

// Implementation details of Calling: the thread's call begun and ended, and the exception in
// flight turned into PluginThrew.
void EnterCall(const PluginCall& call) noexcept;
void LeaveCall() noexcept;
[[noreturn]] void ThrowNamed(const PluginCall& call);

template <typename Body>
auto Calling(const PluginCall& call, Body&& body) -> decltype(body()) {
    EnterCall(call);
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            LeaveCall();
        } else {
            auto result = body();
            LeaveCall();
            return result;
        }
    } catch (...) {
        LeaveCall();
        ThrowNamed(call);
    }
}

}  // namespace vst2host
