// Loading a VST 2 plug-in the way a host does: dlopen, find the entry, hand it a host callback,
// check the record, and drive the instance through its dispatcher. Knows nothing of any
// particular plug-in; the project's own is only ever reached through dlopen.
#pragma once

#include <cstdint>
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
