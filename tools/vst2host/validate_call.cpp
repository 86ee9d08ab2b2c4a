#include "tools/vst2host/validate_call.h"

#include <cxxabi.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <typeinfo>
#include <utility>

namespace vst2host {
namespace {

thread_local PluginCall tCall;
thread_local const char* tThreadName = nullptr;
thread_local std::string tCloseFault;
const CheckReporter* gCrashReporter = nullptr;

// The opcodes' names, by number, as plug-in sources spell them.
constexpr const char* kOpcodeNames[] = {"effOpen",
                                        "effClose",
                                        "effSetProgram",
                                        "effGetProgram",
                                        "effSetProgramName",
                                        "effGetProgramName",
                                        "effGetParamLabel",
                                        "effGetParamDisplay",
                                        "effGetParamName",
                                        "effGetVu",
                                        "effSetSampleRate",
                                        "effSetBlockSize",
                                        "effMainsChanged",
                                        "effEditGetRect",
                                        "effEditOpen",
                                        "effEditClose",
                                        "effEditDraw",
                                        "effEditMouse",
                                        "effEditKey",
                                        "effEditIdle",
                                        "effEditTop",
                                        "effEditSleep",
                                        "effIdentify",
                                        "effGetChunk",
                                        "effSetChunk",
                                        "effProcessEvents",
                                        "effCanBeAutomated",
                                        "effString2Parameter",
                                        "effGetNumProgramCategories",
                                        "effGetProgramNameIndexed",
                                        "effCopyProgram",
                                        "effConnectInput",
                                        "effConnectOutput",
                                        "effGetInputProperties",
                                        "effGetOutputProperties",
                                        "effGetPlugCategory",
                                        "effGetCurrentPosition",
                                        "effGetDestinationBuffer",
                                        "effOfflineNotify",
                                        "effOfflinePrepare",
                                        "effOfflineRun",
                                        "effProcessVarIo",
                                        "effSetSpeakerArrangement",
                                        "effSetBlockSizeAndSampleRate",
                                        "effSetBypass",
                                        "effGetEffectName",
                                        "effGetErrorText",
                                        "effGetVendorString",
                                        "effGetProductString",
                                        "effGetVendorVersion",
                                        "effVendorSpecific",
                                        "effCanDo",
                                        "effGetTailSize",
                                        "effIdle",
                                        "effGetIcon",
                                        "effSetViewPosition",
                                        "effGetParameterProperties",
                                        "effKeysRequired",
                                        "effGetVstVersion",
                                        "effEditKeyDown",
                                        "effEditKeyUp",
                                        "effSetEditKnobMode",
                                        "effGetMidiProgramName",
                                        "effGetCurrentMidiProgram",
                                        "effGetMidiProgramCategory",
                                        "effHasMidiProgramsChanged",
                                        "effGetMidiKeyName",
                                        "effBeginSetProgram",
                                        "effEndSetProgram",
                                        "effGetSpeakerArrangement",
                                        "effShellGetNextPlugin",
                                        "effStartProcess",
                                        "effStopProcess",
                                        "effSetTotalSampleToProcess",
                                        "effSetPanLaw",
                                        "effBeginLoadBank",
                                        "effBeginLoadProgram",
                                        "effSetProcessPrecision",
                                        "effGetNumMidiInputChannels",
                                        "effGetNumMidiOutputChannels"};

// Without allocating: also used from the signal handler.
void DescribeInto(char* out, std::size_t size, const PluginCall& c) {
    using Kind = PluginCall::Kind;
    switch (c.kind) {
        case Kind::kNone:
            std::snprintf(out, size, "no plug-in call");
            return;
        case Kind::kEntry:
            std::snprintf(out, size, "%s(host callback)", c.entry != nullptr ? c.entry : "entry");
            return;
        case Kind::kDispatch: {
            char unknown[24];
            const char* opcode = unknown;
            if (c.opcode >= 0 && c.opcode < static_cast<int32_t>(std::size(kOpcodeNames))) {
                opcode = kOpcodeNames[c.opcode];
            } else {
                std::snprintf(unknown, sizeof unknown, "opcode %d", static_cast<int>(c.opcode));
            }
            std::snprintf(out, size, "dispatcher(%s, index %d, value %lld, opt %g)", opcode,
                          static_cast<int>(c.index), static_cast<long long>(c.value),
                          static_cast<double>(c.opt));
            return;
        }
        case Kind::kSetParameter:
            std::snprintf(out, size, "setParameter(%d, %g)", static_cast<int>(c.opcode),
                          static_cast<double>(c.opt));
            return;
        case Kind::kGetParameter:
            std::snprintf(out, size, "getParameter(%d)", static_cast<int>(c.opcode));
            return;
        case Kind::kProcess:
            std::snprintf(out, size, "%s(%d frame%s)",
                          c.doubles ? "processDoubleReplacing" : "processReplacing",
                          static_cast<int>(c.frames), c.frames == 1 ? "" : "s");
            return;
    }
}

std::string TypeName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    return status == 0 && name ? name.get() : type.name();
}

void OnFatalSignal(int sig) {
    if (gCrashReporter != nullptr) {
        char where[400] = "outside any plug-in call";
        if (tCall.kind != PluginCall::Kind::kNone) {
            std::strcpy(where, tCall.active ? "in " : "after ");
            const std::size_t prefix = std::strlen(where);
            DescribeInto(where + prefix, sizeof where - prefix, tCall);
        }
        const std::size_t used = std::strlen(where);
        if (tThreadName != nullptr) {
            std::snprintf(where + used, sizeof where - used, " on the %s thread", tThreadName);
        } else {
            std::snprintf(where + used, sizeof where - used, " on a thread the plug-in started");
        }
        gCrashReporter->Crashed(where);
    }
    // Die of the same signal, as if nobody had looked.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

}  // namespace

std::string Describe(const PluginCall& call) {
    char text[400];
    DescribeInto(text, sizeof text, call);
    return text;
}

void SetCallThreadName(const char* name) noexcept {
    tThreadName = name;
}

PluginCall& CurrentCall() noexcept {
    return tCall;
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
    // Room to report a stack overflow from.
    static char altStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = altStack;
    stack.ss_size = sizeof altStack;
    ::sigaltstack(&stack, nullptr);
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
