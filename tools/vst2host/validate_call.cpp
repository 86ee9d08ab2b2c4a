#include "tools/vst2host/validate_call.h"

#include <cxxabi.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <typeinfo>
#include <utility>

namespace vst2host {
namespace {

thread_local PluginCall tCall;
thread_local CallSlot* tSlot = nullptr;
thread_local const char* tThreadName = nullptr;
thread_local std::string tCloseFault;
const CheckReporter* gCrashReporter = nullptr;

std::string TypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && name ? name.get() : type.name();
}

// Only async-signal-safe work: no allocation, no stdio, no locale.
void OnFatalSignal(int sig) {
    if (gCrashReporter != nullptr) {
        char where[400];
        FixedText text(where, sizeof where);
        if (tCall.kind == PluginCall::Kind::kNone) {
            text.Text("outside any plug-in call");
        } else {
            text.Text(tCall.active ? "in " : "after ");
            DescribeInto(text, tCall);
        }
        if (tThreadName != nullptr) {
            text.Text(" on the ").Text(tThreadName).Text(" thread");
        } else {
            text.Text(" on a thread the plug-in started");
        }
        gCrashReporter->Crashed(where);
    }
    // Die of the same signal, as if nobody had looked.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

}  // namespace

void SetCallThreadName(const char* name) noexcept {
    tThreadName = name;
}

const PluginCall& CurrentCall() noexcept {
    return tCall;
}

void EnterCall(const PluginCall& call) noexcept {
    tCall = call;
    tCall.active = true;
    if (tSlot != nullptr) tSlot->Store(tCall);
}

void LeaveCall() noexcept {
    tCall.active = false;
    if (tSlot != nullptr) tSlot->Store(tCall);
}

// A reader that sees any word of a newer call (release here, acquire there) also sees the
// count that call began with, and so tries again. No fences: ThreadSanitizer cannot follow them.
void CallSlot::Store(const PluginCall& call) noexcept {
    uint64_t words[kWords] = {};
    std::memcpy(words, &call, sizeof call);
    const uint32_t sequence = sequence_.load(std::memory_order_relaxed);
    sequence_.store(sequence + 1, std::memory_order_relaxed);  // odd: being written
    for (std::size_t i = 0; i < kWords; ++i) words_[i].store(words[i], std::memory_order_release);
    sequence_.store(sequence + 2, std::memory_order_release);
}

PluginCall CallSlot::Load() const noexcept {
    uint64_t words[kWords];
    for (;;) {
        const uint32_t before = sequence_.load(std::memory_order_acquire);
        for (std::size_t i = 0; i < kWords; ++i) {
            words[i] = words_[i].load(std::memory_order_acquire);
        }
        if (before % 2 == 0 && sequence_.load(std::memory_order_relaxed) == before) break;
        std::this_thread::yield();
    }
    PluginCall call;
    std::memcpy(&call, words, sizeof call);
    return call;
}

void PublishCallsTo(CallSlot* slot) noexcept {
    tSlot = slot;
    if (slot != nullptr) slot->Store(tCall);
}

SignalStack::SignalStack() {
    // Room for the handler, which formats into a few hundred bytes on its own stack, with the
    // sanitizers' larger frames.
    const long wanted = ::sysconf(_SC_SIGSTKSZ);
    size_ = std::max<std::size_t>(64 * 1024, wanted > 0 ? static_cast<std::size_t>(wanted) : 0);
    memory_ = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory_ == MAP_FAILED) {
        memory_ = nullptr;
        return;  // the report of a stack overflow is lost, nothing else
    }
    stack_t stack{};
    stack.ss_sp = memory_;
    stack.ss_size = size_;
    installed_ = ::sigaltstack(&stack, &previous_) == 0;
}

SignalStack::~SignalStack() {
    if (installed_) {
        if ((previous_.ss_flags & SS_DISABLE) != 0) {
            stack_t off{};
            off.ss_flags = SS_DISABLE;
            ::sigaltstack(&off, nullptr);
        } else {
            ::sigaltstack(&previous_, nullptr);
        }
    }
    if (memory_ != nullptr) ::munmap(memory_, size_);
}

void ThrowNamed(const PluginCall& call) {
    try {
        throw;
    } catch (const std::exception& e) {
        const std::string type = TypeName(typeid(e));
        const std::string what = e.what();
        throw PluginThrew("threw " + type + (what == type ? "" : " (\"" + what + "\")") +
                          " out of " + Describe(call));
    } catch (...) {
        throw PluginThrew("threw an exception of unknown type out of " + Describe(call));
    }
}

void ReportCrashesTo(const CheckReporter* reporter) {
    gCrashReporter = reporter;
    struct sigaction action {};
    action.sa_handler = OnFatalSignal;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) ::sigaction(sig, &action, nullptr);
}

namespace {

// Each call that makes, opens or closes the instance, recorded like any other.
void RecordedLifecycleCall(const LifecycleCall& what, const std::function<void()>& call) {
    PluginCall c;
    if (what.opcode == LifecycleCall::kEntry) {
        // A copy: the record outlives an instance that failed to be made, and a crash report
        // may still read it.
        static thread_local char entryName[32];
        std::snprintf(entryName, sizeof entryName, "%s",
                      what.entryName != nullptr ? what.entryName : "entry");
        c.kind = PluginCall::Kind::kEntry;
        c.entry = entryName;
    } else {
        c.kind = PluginCall::Kind::kDispatch;
        c.opcode = what.opcode;
        c.value = what.value;
        c.opt = what.opt;
    }
    Calling(c, call);
}

}  // namespace

std::string TakeCloseFault() {
    return std::exchange(tCloseFault, std::string());
}

ValidatedPlugin::ValidatedPlugin(const std::string& path, const HostSettings& settings)
    : LoadedPlugin(path, settings, RecordedLifecycleCall) {}

ValidatedPlugin::~ValidatedPlugin() {
    try {
        close(RecordedLifecycleCall);
    } catch (const std::exception& e) {
        if (tCloseFault.empty()) tCloseFault = e.what();
    }
}

intptr_t ValidatedPlugin::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                   float opt) const {
    PluginCall call;
    call.kind = PluginCall::Kind::kDispatch;
    call.opcode = opcode;
    call.index = index;
    call.value = value;
    call.opt = opt;
    return Calling(call, [&] { return LoadedPlugin::dispatch(opcode, index, value, ptr, opt); });
}

std::string ValidatedPlugin::dispatchText(int32_t opcode, int32_t index, intptr_t value) const {
    char buffer[kTextBufferSize] = {};
    dispatch(opcode, index, value, buffer);
    buffer[kTextBufferSize - 1] = '\0';
    return buffer;
}

float ValidatedPlugin::getParameter(int32_t index) const {
    PluginCall call;
    call.kind = PluginCall::Kind::kGetParameter;
    call.opcode = index;
    return Calling(call, [&] { return LoadedPlugin::getParameter(index); });
}

void ValidatedPlugin::setParameter(int32_t index, float value) const {
    PluginCall call;
    call.kind = PluginCall::Kind::kSetParameter;
    call.opcode = index;
    call.opt = value;
    Calling(call, [&] { LoadedPlugin::setParameter(index, value); });
}

void ValidatedPlugin::process(float** in, float** out, int32_t frames) const {
    PluginCall call;
    call.kind = PluginCall::Kind::kProcess;
    call.frames = frames;
    AEffect& e = effect();
    Calling(call, [&] { e.processReplacing(&e, in, out, frames); });
}

void ValidatedPlugin::process(double** in, double** out, int32_t frames) const {
    PluginCall call;
    call.kind = PluginCall::Kind::kProcess;
    call.frames = frames;
    call.doubles = true;
    AEffect& e = effect();
    Calling(call, [&] { e.processDoubleReplacing(&e, in, out, frames); });
}

}  // namespace vst2host
