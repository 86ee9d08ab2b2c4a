// The product's effect record, hosted the way a VST 2 host drives it, for every format that is
// not VST 2 itself: open at a rate and block size, switch on and off, parameters, state chunks,
// the time answers, and blocks split where parameters change or the announced block size ends.
// A format's adapter translates its own calls into these and nothing else.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "plugin/thread_token.h"
#include "plugin/vst2_abi.h"
#include "product/parameter_steps.h"

// A parameter set to value from sample offset on, within one Process() call.
struct ParameterChange {
    uint32_t offset = 0;
    uint32_t index = 0;
    float value = 0.0f;
};

class HostedEffect {
  public:
    // [main] A new instance of the product's effect, opened at the given rate and largest
    // block, or null when the effect cannot be made. Rates that are not positive and finite
    // read as 44100 Hz, block sizes below 1 as 4096.
    static std::unique_ptr<HostedEffect> Open(double sampleRate, int32_t maxBlock);
    // [main] Switches off and closes the effect.
    ~HostedEffect();
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    // [any] What the effect announced when it was opened.
    uint32_t Inputs() const { return inputs_; }
    uint32_t Outputs() const { return outputs_; }
    uint32_t Parameters() const { return static_cast<uint32_t>(parameters_.size()); }
    bool CanDouble() const { return (effect_->flags & effFlagsCanDoubleReplacing) != 0; }
    double SampleRate() const { return sampleRate_; }
    int32_t MaxBlock() const { return maxBlock_; }
    // [any] Name, initial value and steps of parameter index (< Parameters()).
    const ParameterSteps& Describe(uint32_t index) const { return parameters_[index]; }
    // [any] The effect's name, vendor and version as a VST 2 host reads them.
    const std::string& Name() const { return name_; }
    const std::string& Vendor() const { return vendor_; }
    int32_t VendorVersion() const { return vendorVersion_; }

    // [main] While switched off: a new rate and largest block (same reading as Open).
    void Configure(double sampleRate, int32_t maxBlock);
    // [main] Switches processing on or off; repeating a state is harmless.
    void SetActive(bool active);
    bool Active() const { return active_; }

    // [any] The value the effect routes with now, 0..1. Index out of range reads 0.
    float Parameter(uint32_t index) const;
    // [any] Sets a parameter at once, as a VST 2 host's setParameter; out of range is ignored.
    void SetParameter(uint32_t index, float value);

    // [any] The effect's state chunk; false when it gives none. Safe while Process() runs on
    // another thread: the effect's state calls take their own lock, the audio path none.
    bool SaveChunk(std::vector<uint8_t>& chunk) const;
    // [any] Whether bytes look like a chunk this effect writes: the same length and header.
    bool ChunkFits(const void* data, size_t size) const;
    // [main] Restores a chunk through the effect's own state path.
    void RestoreChunk(const void* data, size_t size);

    // [audio] Processes frames of every channel. inputs and outputs hold Inputs() and
    // Outputs() pointers (or are null); a null channel reads as silence or is not written.
    // changes, sorted by offset, are applied at their offsets (the block is split there; one
    // at or past the end is applied after the last frame). Pieces never exceed MaxBlock().
    // time, or null for none, is the answer to the effect's time requests at frame 0; later
    // pieces see it moved on by their offset while the transport plays.
    void Process(float* const* inputs, float* const* outputs, uint32_t frames,
                 std::span<const ParameterChange> changes, const VstTimeInfo* time) {
        Dispatch(inputs, outputs, frames, changes, time);
    }
    // [audio] The same in 64-bit; only when CanDouble().
    void Process(double* const* inputs, double* const* outputs, uint32_t frames,
                 std::span<const ParameterChange> changes, const VstTimeInfo* time) {
        if (CanDouble()) Dispatch(inputs, outputs, frames, changes, time);
    }
    // [any] time as a piece starting frames later sees it: moved on while the transport plays.
    VstTimeInfo TimeAfter(const VstTimeInfo& time, uint32_t frames) const;

  private:
    HostedEffect() = default;
    static intptr_t VSTCALLBACK HostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                             intptr_t value, void* ptr, float opt);
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) const;
    // [audio] The usual block, run inline in the format's own call: no change, 1 frame or more
    // and no longer than announced, so the effect runs it at once with the caller's arrays (it
    // writes no entry). Pieces() takes every other block; an empty one calls nothing.
    bool Whole(uint32_t frames, std::span<const ParameterChange> changes) const {
        return changes.empty() && frames - 1 < static_cast<uint32_t>(maxBlock_);
    }
    // [audio] The usual block at once, inline in the format's own call; any other in pieces.
    template <typename Sample>
    void Dispatch(Sample* const* inputs, Sample* const* outputs, uint32_t frames,
                  std::span<const ParameterChange> changes, const VstTimeInfo* time) {
        if (Whole(frames, changes)) {
            Enter(time);
            Call(const_cast<Sample**>(inputs), const_cast<Sample**>(outputs),
                 static_cast<int32_t>(frames));
            Leave();
        } else {
            Pieces(inputs, outputs, frames, changes, time);
        }
    }
    // [audio] One processReplacing or processDoubleReplacing call, as Sample says.
    template <typename Sample>
    void Call(Sample** inputs, Sample** outputs, int32_t frames) {
        if constexpr (std::is_same_v<Sample, float>) {
            effect_->processReplacing(effect_, inputs, outputs, frames);
        } else {
            effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
        }
    }
    // [audio] Around a call into the effect: the time it is to answer, to this thread only.
    void Enter(const VstTimeInfo* time) {
        timeAnswer_ = time;
        processing_.store(ThisThreadToken(), std::memory_order_relaxed);
    }
    void Leave() { processing_.store(0, std::memory_order_relaxed); }
    // [audio] Any block: split where changes apply and where the announced size ends.
    void Pieces(float* const* inputs, float* const* outputs, uint32_t frames,
                std::span<const ParameterChange> changes, const VstTimeInfo* time);
    void Pieces(double* const* inputs, double* const* outputs, uint32_t frames,
                std::span<const ParameterChange> changes, const VstTimeInfo* time);
    template <typename Sample>
    void Run(Sample* const* inputs, Sample* const* outputs, uint32_t frames,
             std::span<const ParameterChange> changes, const VstTimeInfo* time,
             std::vector<Sample*>& in, std::vector<Sample*>& out);

    AEffect* effect_ = nullptr;
    uint32_t inputs_ = 0;
    uint32_t outputs_ = 0;
    std::vector<ParameterSteps> parameters_;
    std::string name_;
    std::string vendor_;
    int32_t vendorVersion_ = 0;
    double sampleRate_ = 44100.0;
    int32_t maxBlock_ = 4096;
    bool active_ = false;
    // One piece's channel pointers, made once so processing never allocates.
    std::vector<float*> floatIn_, floatOut_;
    std::vector<double*> doubleIn_, doubleOut_;
    // The time answered while a piece runs, to the thread running it: the caller's record at
    // frame 0, pieceTime_ (moved on) later, or null for none.
    const VstTimeInfo* timeAnswer_ = nullptr;
    VstTimeInfo pieceTime_{};
    std::atomic<uintptr_t> processing_{0};
    static_assert(std::atomic<uintptr_t>::is_always_lock_free);
};
