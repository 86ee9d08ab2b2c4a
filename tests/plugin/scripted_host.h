// A scripted VST 2 host: a host callback that records every request the plug-in makes and
// answers from a small script, and a driver that talks to one plug-in instance only
// through its AEffect record, as a real host does.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/vst2_abi.h"
#include "tests/plugin/audio_block.h"
#include "tests/plugin/router_library.h"

struct HostRequest {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

class ScriptedHost {
  public:
    ScriptedHost();
    ScriptedHost(const ScriptedHost&) = delete;
    ScriptedHost& operator=(const ScriptedHost&) = delete;

    // The script. Set it before the plug-in calls back; the callback reads it unguarded.
    intptr_t versionAnswer = 2400;
    bool giveTimeInfo = true;  // false: audioMasterGetTime answers null
    VstTimeInfo timeInfo{};
    intptr_t processEventsAnswer = 1;

    // Calls the entry with this host's callback. The version query arrives before the
    // record exists, so the host is found through the loading thread until the record's
    // user field, which belongs to the host, points back here.
    AEffect* Load(PluginEntry entry);

    std::vector<HostRequest> Requests() const;
    std::vector<HostRequest> RequestsWithOpcode(int32_t opcode) const;
    void ClearRequests();

    static intptr_t VSTCALLBACK Callback(AEffect* effect, int32_t opcode, int32_t index,
                                         intptr_t value, void* ptr, float opt);

  private:
    intptr_t Answer(const HostRequest& request);

    mutable std::mutex mutex_;  // the audio thread and control threads both call back
    std::vector<HostRequest> requests_;
};

// One plug-in instance as the host sees it. Closes the instance on destruction unless the
// test closed it.
class HostedEffect {
  public:
    static constexpr int32_t kBusCount = 8;
    // Generous text buffers: a host never knows how much a plug-in writes.
    static constexpr size_t kTextBufferSize = 256;

    explicit HostedEffect(ScriptedHost& host, PluginEntry entry = RouterLibrary::Get().Main());
    ~HostedEffect();
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    AEffect* effect() const { return effect_; }
    bool valid() const { return effect_ != nullptr; }

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void Open() { Dispatch(effOpen); }
    void Resume() { Dispatch(effMainsChanged, 0, 1); }
    void Suspend() { Dispatch(effMainsChanged, 0, 0); }
    intptr_t Close();
    // What every host does before the first block.
    void Start();

    void SetParameter(int32_t index, float value);
    float GetParameter(int32_t index) const;
    // Switches exactly the listed buses (1..8) on and all others off.
    void SetBuses(const std::vector<int>& busesOn);

    // A text opcode answered into a zero-filled buffer of kTextBufferSize bytes.
    std::string Text(int32_t opcode, int32_t index = 0);

    // The state bytes, copied out of the plug-in; empty when it reports none.
    std::vector<uint8_t> GetChunk();
    intptr_t SetChunk(const void* bytes, intptr_t size);
    intptr_t SetChunk(const std::vector<uint8_t>& bytes) {
        return SetChunk(bytes.data(), static_cast<intptr_t>(bytes.size()));
    }

    void Process(AudioBlock<float>& block) { Process(block, block.frames()); }
    void Process(AudioBlock<double>& block) { Process(block, block.frames()); }
    // With a frame count other than the block's (zero, negative).
    void Process(AudioBlock<float>& block, int32_t frames);
    void Process(AudioBlock<double>& block, int32_t frames);

  private:
    AEffect* effect_ = nullptr;
    bool closed_ = false;
};
