// What every fuzz target shares: the built plug-in loaded once through its exported entry,
// a host callback, one open and resumed instance per input, and a reader of fuzz bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/vst2_abi.h"
#include "tools/plugin_loader/plugin_library.h"

namespace fuzz {

inline intptr_t VSTCALLBACK HostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*,
                                         float) {
    static VstTimeInfo time = [] {
        VstTimeInfo t{};
        t.sampleRate = 48000.0;
        t.tempo = 120.0;
        t.timeSigNumerator = 4;
        t.timeSigDenominator = 4;
        t.flags = kVstTempoValid | kVstTimeSigValid | kVstTransportPlaying;
        return t;
    }();
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return reinterpret_cast<intptr_t>(&time);
    return 0;
}

// Loaded once and never unloaded (held where the leak check sees it): the fuzzer reads the
// plug-in's coverage counters up to its exit.
inline vst2host::PluginEntry PluginEntry() {
    static const vst2host::PluginLibrary* library = [] {
        try {
            return new vst2host::PluginLibrary(LOTTA_ROUTER_PATH);
        } catch (const vst2host::LoadError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            std::abort();
        }
    }();
    static const vst2host::PluginEntry entry = library->entry("VSTPluginMain");
    if (!entry) {
        std::fprintf(stderr, "no VSTPluginMain in %s\n", LOTTA_ROUTER_PATH);
        std::abort();
    }
    return entry;
}

// One instance, opened and resumed as a host does before processing; closed at the end.
class Instance {
  public:
    Instance() : e_(PluginEntry()(HostCallback)) {
        if (!e_) std::abort();
        Dispatch(effOpen);
        Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        Dispatch(effSetBlockSize, 0, 512);
        Dispatch(effMainsChanged, 0, 1);
    }
    ~Instance() {
        Dispatch(effMainsChanged, 0, 0);
        Dispatch(effClose);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AEffect* effect() const { return e_; }
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return e_->dispatcher(e_, opcode, index, value, ptr, opt);
    }
    // Every parameter reads within 0..1, whatever reached the plug-in.
    void CheckParameters() {
        for (int32_t i = 0; i < e_->numParams; ++i) {
            const float v = e_->getParameter(e_, i);
            if (!(v >= 0.0f && v <= 1.0f)) {
                std::fprintf(stderr, "parameter %d reads %g\n", i, static_cast<double>(v));
                std::abort();
            }
        }
    }

  private:
    AEffect* e_;
};

// Reads fixed-size values off the front of the fuzz input; zeros once it runs out.
class Bytes {
  public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    template <typename T>
    T Take() {
        T value{};
        const size_t n = sizeof(T) < size_ ? sizeof(T) : size_;
        if (n) std::memcpy(&value, data_, n);
        data_ += n;
        size_ -= n;
        return value;
    }
    size_t left() const { return size_; }
    const uint8_t* rest() const { return data_; }

  private:
    const uint8_t* data_;
    size_t size_;
};

// Sixteen channels of 16 frames in both directions, for a short process call.
template <typename Sample>
struct Channels {
    static constexpr int kFrames = 16;
    std::vector<std::vector<Sample>> in =
        std::vector<std::vector<Sample>>(16, std::vector<Sample>(kFrames, Sample(0.25)));
    std::vector<std::vector<Sample>> out =
        std::vector<std::vector<Sample>>(16, std::vector<Sample>(kFrames));
    Sample* inPtrs[16];
    Sample* outPtrs[16];
    Channels() {
        for (int c = 0; c < 16; ++c) {
            inPtrs[c] = in[c].data();
            outPtrs[c] = out[c].data();
        }
    }
};

}  // namespace fuzz
