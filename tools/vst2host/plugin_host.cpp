#include "tools/vst2host/plugin_host.h"

#include "tools/vst2host/text_format.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <utility>

namespace vst2host {
namespace {

constexpr const char* kHostVendor = "Kelvane";
constexpr const char* kHostProduct = "vst2host";
constexpr intptr_t kHostVstVersion = 2400;
// Hosts' vendor and product buffers hold 64 bytes, terminator included.
constexpr std::size_t kHostStringCapacity = 64;
// Tried in this order, as hosts do: the VST 2.4 name first, then the older ones.
constexpr const char* kEntryNames[] = {"VSTPluginMain", "main", "MAIN"};

using EntryProc = AEffect*(VSTCALLBACK*)(audioMasterCallback);

// A stopped transport at the start of the song, in the host's tempo and metre.
VstTimeInfo MakeTimeInfo(const HostSettings& s) {
    VstTimeInfo t{};
    t.sampleRate = s.sampleRate;
    t.tempo = s.tempo;
    t.timeSigNumerator = s.timeSigNumerator;
    t.timeSigDenominator = s.timeSigDenominator;
    t.flags = kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    return t;
}

// The callback receives only the effect record, so each instance's state is registered under
// its record. Plug-ins call back before their record exists (the version query inside the
// entry) and may call from any thread, hence the "loading" slot and the lock.
class StateRegistry {
  public:
    void add(const AEffect* effect, HostState* state) {
        std::lock_guard lock(mutex_);
        entries_.emplace_back(effect, state);
    }
    void remove(const AEffect* effect) {
        std::lock_guard lock(mutex_);
        std::erase_if(entries_, [effect](const auto& e) { return e.first == effect; });
    }
    void setLoading(HostState* state) {
        std::lock_guard lock(mutex_);
        loading_ = state;
    }
    // The state of the instance that owns this record; for an unknown record, the instance
    // being loaded, else a process-wide default.
    HostState& find(const AEffect* effect) {
        std::lock_guard lock(mutex_);
        for (const auto& [e, state] : entries_) {
            if (e == effect) return *state;
        }
        return loading_ != nullptr ? *loading_ : fallback_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::pair<const AEffect*, HostState*>> entries_;
    HostState* loading_ = nullptr;
    HostState fallback_{HostSettings{}, MakeTimeInfo(HostSettings{})};
};

StateRegistry& Registry() {
    static StateRegistry registry;
    return registry;
}

void CopyHostString(void* ptr, const char* text) {
    if (ptr == nullptr) return;
    char* out = static_cast<char*>(ptr);
    const std::size_t n = std::min(std::strlen(text), kHostStringCapacity - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

// [any] The host callback. Plug-ins call it from their own threads too, and nothing
// may escape into foreign code, so it only reads settings and copies fixed strings.
intptr_t VSTCALLBACK HostCallback(AEffect* effect, int32_t opcode, int32_t /*index*/,
                                  intptr_t /*value*/, void* ptr, float /*opt*/) noexcept {
    switch (opcode) {
        case audioMasterVersion:
            return kHostVstVersion;
        case audioMasterGetTime:
            return reinterpret_cast<intptr_t>(&Registry().find(effect).timeInfo);
        case audioMasterGetSampleRate:
            return static_cast<intptr_t>(Registry().find(effect).settings.sampleRate);
        case audioMasterGetBlockSize:
            return Registry().find(effect).settings.blockSize;
        case audioMasterGetVendorString:
            CopyHostString(ptr, kHostVendor);
            return 1;
        case audioMasterGetProductString:
            CopyHostString(ptr, kHostProduct);
            return 1;
        case audioMasterCanDo:
            return 0;
        default:
            return 0;
    }
}

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

void SetPlayPosition(HostState& state, double samplePos) {
    VstTimeInfo& t = state.timeInfo;
    const HostSettings& s = state.settings;
    const bool starting = (t.flags & kVstTransportPlaying) == 0;
    t.samplePos = samplePos;
    t.sampleRate = s.sampleRate;
    t.nanoSeconds = samplePos / s.sampleRate * 1e9;
    t.ppqPos = samplePos / s.sampleRate * s.tempo / 60.0;
    // A bar holds numerator notes of 1/denominator, i.e. 4 * numerator / denominator quarters.
    const double barLength = 4.0 * s.timeSigNumerator / s.timeSigDenominator;
    t.barStartPos = std::floor(t.ppqPos / barLength) * barLength;
    t.flags |= kVstTransportPlaying;
    if (starting) {
        t.flags |= kVstTransportChanged;
    } else {
        t.flags &= ~kVstTransportChanged;
    }
}

#ifdef _WIN32
struct LoadedPlugin::Library {
    HMODULE handle = nullptr;
    ~Library() {
        if (handle != nullptr) FreeLibrary(handle);
    }
    // Null with the reason in why when the library cannot be loaded.
    bool open(const std::string& path, std::string& why) {
        handle = LoadLibraryA(path.c_str());
        if (handle != nullptr) return true;
        why = SystemMessage(GetLastError());
        return false;
    }
    void* symbol(const char* name) const {
        return reinterpret_cast<void*>(GetProcAddress(handle, name));
    }
    static std::string SystemMessage(DWORD code) {
        char text[512] = {};
        const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, code, 0, text, sizeof text, nullptr);
        std::string message(text, n);
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                    message.back() == ' ' || message.back() == '.')) {
            message.pop_back();
        }
        return message.empty() ? "error " + std::to_string(code) : message;
    }
};
#else
struct LoadedPlugin::Library {
    void* handle = nullptr;
    ~Library() {
        if (handle != nullptr) dlclose(handle);
    }
    bool open(const std::string& path, std::string& why) {
        // Without a slash dlopen searches the system's library paths; a host means the file
        // here.
        const std::string dlPath = path.find('/') == std::string::npos ? "./" + path : path;
        // RTLD_NOW: a missing symbol is a load error now, not an abort in the middle of a call.
        handle = dlopen(dlPath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr) return true;
        const char* error = dlerror();
        why = error != nullptr ? error : "unknown dlopen error";
        return false;
    }
    void* symbol(const char* name) const {
        dlerror();
        return dlsym(handle, name);
    }
};
#endif

LoadedPlugin::LoadedPlugin(const std::string& path, const HostSettings& settings)
    : path_(path), library_(std::make_unique<Library>()), state_(std::make_unique<HostState>()) {
    state_->settings = settings;
    state_->timeInfo = MakeTimeInfo(settings);
    const std::string prefix = "cannot load " + path + ": ";

    std::string why;
    if (!library_->open(path, why)) throw LoadError(prefix + OneLine(why));

    EntryProc entry = nullptr;
    for (const char* name : kEntryNames) {
        void* symbol = library_->symbol(name);
        if (symbol != nullptr) {
            entry = reinterpret_cast<EntryProc>(symbol);
            entryName_ = name;
            break;
        }
    }
    if (entry == nullptr) {
        throw LoadError(prefix + "no VST 2 entry point (VSTPluginMain, main or MAIN)");
    }

    Registry().setLoading(state_.get());
    AEffect* effect = entry(&HostCallback);
    Registry().setLoading(nullptr);
    if (effect == nullptr) {
        throw LoadError(prefix + entryName_ + " returned no effect");
    }
    // A record with the wrong magic is not an instance this host may drive: no effClose.
    if (effect->magic != kEffectMagic) {
        throw LoadError(prefix + "not a VST 2 plug-in (" + entryName_ + " returned magic " +
                        Hex32(effect->magic) + ", expected " + Hex32(kEffectMagic) + " 'VstP')");
    }
    if (effect->dispatcher == nullptr) {
        throw LoadError(prefix + "the effect record has no dispatcher");
    }

    effect_ = effect;
    Registry().add(effect_, state_.get());
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(settings.sampleRate));
    dispatch(effSetBlockSize, 0, settings.blockSize);
}

LoadedPlugin::~LoadedPlugin() {
    // effClose destroys the instance; the library is unloaded only after that, by library_.
    dispatch(effClose);
    Registry().remove(effect_);
    effect_ = nullptr;
}

intptr_t LoadedPlugin::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string LoadedPlugin::dispatchText(int32_t opcode, int32_t index, intptr_t value) const {
    char buffer[kTextBufferSize] = {};
    dispatch(opcode, index, value, buffer);
    buffer[kTextBufferSize - 1] = '\0';
    return buffer;
}

float LoadedPlugin::getParameter(int32_t index) const {
    return effect_->getParameter != nullptr ? effect_->getParameter(effect_, index) : 0.0f;
}

void LoadedPlugin::setParameter(int32_t index, float value) const {
    if (effect_->setParameter != nullptr) effect_->setParameter(effect_, index, value);
}

#ifdef _WIN32
StdoutDiversion::StdoutDiversion() {
    std::cout.flush();
    std::fflush(stdout);
    savedStdout_ = _dup(1);
    if (savedStdout_ >= 0) _dup2(2, 1);
}

StdoutDiversion::~StdoutDiversion() {
    if (savedStdout_ < 0) return;
    std::cout.flush();
    std::fflush(stdout);
    _dup2(savedStdout_, 1);
    _close(savedStdout_);
}
#else
StdoutDiversion::StdoutDiversion() {
    std::cout.flush();
    std::fflush(stdout);
    savedStdout_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (savedStdout_ >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
}

StdoutDiversion::~StdoutDiversion() {
    if (savedStdout_ < 0) return;
    std::cout.flush();
    std::fflush(stdout);
    dup2(savedStdout_, STDOUT_FILENO);
    close(savedStdout_);
}
#endif

}  // namespace vst2host
