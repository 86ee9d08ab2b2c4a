#include "tools/plugin_loader/plugin_host.h"

#ifdef _WIN32
#include <io.h>
#else
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
#include <vector>

namespace vst2host {
namespace {

constexpr const char* kHostVendor = "Kelvane";
constexpr const char* kHostProduct = "vst2host";
constexpr intptr_t kHostVstVersion = 2400;
// Hosts' vendor and product buffers hold 64 bytes, terminator included.
constexpr std::size_t kHostStringCapacity = 64;

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

std::string Hex32(int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", static_cast<uint32_t>(value));
    return buffer;
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

LoadedPlugin::LoadedPlugin(const std::string& path, const HostSettings& settings)
    : LoadedPlugin(path, settings,
                   [](const LifecycleCall&, const std::function<void()>& call) { call(); }) {}

LoadedPlugin::LoadedPlugin(const std::string& path, const HostSettings& settings,
                           const LifecycleWrapper& wrap)
    : library_(std::make_unique<PluginLibrary>(path)), state_(std::make_unique<HostState>()) {
    state_->settings = settings;
    state_->timeInfo = MakeTimeInfo(settings);
    const PluginEntry entry = library_->mainEntry(&entryName_);

    AEffect* effect = nullptr;
    Registry().setLoading(state_.get());
    try {
        LifecycleCall call;
        call.entryName = entryName_.c_str();
        wrap(call, [&] { effect = entry(&HostCallback); });
    } catch (...) {
        Registry().setLoading(nullptr);
        throw;
    }
    Registry().setLoading(nullptr);
    if (effect == nullptr) {
        throw library_->error(entryName_ + " returned no effect");
    }
    // A record with the wrong magic is not an instance this host may drive: no effClose.
    if (effect->magic != kEffectMagic) {
        throw library_->error("not a VST 2 plug-in (" + entryName_ + " returned magic " +
                              Hex32(effect->magic) + ", expected " + Hex32(kEffectMagic) +
                              " 'VstP')");
    }
    if (effect->dispatcher == nullptr) {
        throw library_->error("the effect record has no dispatcher");
    }

    effect_ = effect;
    Registry().add(effect_, state_.get());
    // An instance that failed to open is in no state to be closed: it is only forgotten, and
    // the callback must not find it again at that address.
    try {
        wrap({effOpen}, [&] { dispatch(effOpen); });
        const auto rate = static_cast<float>(settings.sampleRate);
        wrap({effSetSampleRate, 0, rate}, [&] { dispatch(effSetSampleRate, 0, 0, nullptr, rate); });
        wrap({effSetBlockSize, settings.blockSize},
             [&] { dispatch(effSetBlockSize, 0, settings.blockSize); });
    } catch (...) {
        Registry().remove(effect_);
        effect_ = nullptr;
        throw;
    }
}

LoadedPlugin::~LoadedPlugin() {
    // effClose destroys the instance; the library is unloaded only after that, by library_.
    close([](const LifecycleCall&, const std::function<void()>& call) { call(); });
}

void LoadedPlugin::close(const LifecycleWrapper& wrap) {
    if (effect_ == nullptr) return;
    AEffect* closing = effect_;
    effect_ = nullptr;
    try {
        wrap({effClose}, [&] { closing->dispatcher(closing, effClose, 0, 0, nullptr, 0.0f); });
    } catch (...) {
        Registry().remove(closing);
        throw;
    }
    Registry().remove(closing);
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
