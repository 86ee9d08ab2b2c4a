// Loading a VST 2 plug-in the way a host does: dlopen, find the entry, hand it a host callback,
// check the record, and drive the instance through its dispatcher. Knows nothing of any
// particular plug-in; the project's own is only ever reached through dlopen.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "plugin/vst2_abi.h"
#include "tools/plugin_loader/plugin_library.h"

namespace vst2host {

// What the host tells a plug-in about itself and its processing setup.
struct HostSettings {
    double sampleRate = 44100.0;
    int32_t blockSize = 512;
    double tempo = 120.0;
    int32_t timeSigNumerator = 4;
    int32_t timeSigDenominator = 4;
};

// Everything the host callback answers from, one per loaded instance. Kept at a stable address
// so the callback can find it through the effect record.
struct HostState {
    HostSettings settings;
    VstTimeInfo timeInfo{};
};

// [main] Moves the transport to this sample position and marks it playing, as a host
// does while it plays from the start: the musical position follows from tempo and metre.
void SetPlayPosition(HostState& state, double samplePos);

// One of the calls that make, open and close an instance: the library's entry, or a
// dispatcher call with these arguments.
struct LifecycleCall {
    static constexpr int32_t kEntry = -1;
    int32_t opcode = kEntry;
    intptr_t value = 0;
    float opt = 0.0f;
    const char* entryName = nullptr;  // for the entry: VSTPluginMain, main or MAIN
};

// Makes one of those calls by running `call`; a host that watches its calls into a plug-in
// wraps them here. Whatever `call` throws must leave the wrapper too.
using LifecycleWrapper =
    std::function<void(const LifecycleCall& what, const std::function<void()>& call)>;

// One plug-in instance in one loaded library. Opening happens in the constructor; the
// destructor sends effClose and then unloads the library, in that order.
class LoadedPlugin {
  public:
    // Throws LoadError. After construction the instance has received effOpen,
    // effSetSampleRate and effSetBlockSize.
    explicit LoadedPlugin(const std::string& path, const HostSettings& settings = {});
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    const std::string& path() const { return library_->path(); }
    // The exported name the instance came from: VSTPluginMain, main or MAIN.
    const std::string& entryName() const { return entryName_; }
    AEffect& effect() const { return *effect_; }
    HostState& hostState() const { return *state_; }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) const;
    // Sends a text opcode with a zero-filled buffer of kTextBufferSize bytes and returns the
    // text up to the first zero; the last byte is forced to zero because a foreign plug-in
    // may fill the buffer without terminating it.
    std::string dispatchText(int32_t opcode, int32_t index = 0, intptr_t value = 0) const;
    // 0 when the plug-in left the entry empty.
    float getParameter(int32_t index) const;
    void setParameter(int32_t index, float value) const;

    static constexpr std::size_t kTextBufferSize = 512;

  protected:
    // [main] As above, with every call that makes and opens the instance made through `wrap`.
    LoadedPlugin(const std::string& path, const HostSettings& settings,
                 const LifecycleWrapper& wrap);
    // [main] Sends effClose through `wrap`, once; the destructor then closes nothing more. The
    // instance is gone afterwards even when effClose threw.
    void close(const LifecycleWrapper& wrap);

  private:
    std::string entryName_;
    std::unique_ptr<PluginLibrary> library_;  // closed last
    std::unique_ptr<HostState> state_;
    AEffect* effect_ = nullptr;
};

// [main] While alive, file descriptor 1 points at stderr, so whatever a plug-in prints
// while it is loaded cannot mix with the tool's own output. Restores stdout when destroyed.
class StdoutDiversion {
  public:
    StdoutDiversion();
    ~StdoutDiversion();
    StdoutDiversion(const StdoutDiversion&) = delete;
    StdoutDiversion& operator=(const StdoutDiversion&) = delete;

  private:
    int savedStdout_ = -1;
};

}  // namespace vst2host
