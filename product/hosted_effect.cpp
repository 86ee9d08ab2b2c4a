#include "product/hosted_effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "product/effect_factory.h"
#include "runtime/instance_factory.h"

namespace {

// The VST 2 version this host claims, as any current host does.
constexpr intptr_t kHostVersion = 2400;
constexpr double kDefaultRate = 44100.0;
constexpr int32_t kDefaultBlock = 4096;

double ValidRate(double rate) {
    return rate > 0.0 && std::isfinite(rate) ? rate : kDefaultRate;
}

int32_t ValidBlock(int32_t block) {
    return block > 0 ? block : kDefaultBlock;
}

std::string Text(AEffect* effect, int32_t opcode) {
    char text[256] = {};
    effect->dispatcher(effect, opcode, 0, 0, text, 0.0f);
    text[sizeof text - 1] = '\0';
    return text;
}

// The time frames later, had the transport rolled on at the block's tempo. A stopped
// transport stays where it is, as hosts report it.
void Advance(VstTimeInfo& time, double frames, double fallbackRate) {
    if (!(time.flags & kVstTransportPlaying) || frames <= 0.0) return;
    time.samplePos += frames;
    const double rate = time.sampleRate > 0.0 ? time.sampleRate : fallbackRate;
    if (!(time.flags & kVstPpqPosValid) || !(time.flags & kVstTempoValid)) return;
    time.ppqPos += frames / rate * time.tempo / 60.0;
    if (!(time.flags & kVstBarsValid) || !(time.flags & kVstTimeSigValid) ||
        time.timeSigNumerator <= 0 || time.timeSigDenominator <= 0) {
        return;
    }
    const double bar = 4.0 * time.timeSigNumerator / time.timeSigDenominator;
    const double bars = std::floor((time.ppqPos - time.barStartPos) / bar);
    if (bars > 0.0) time.barStartPos += bars * bar;
}

}  // namespace

std::unique_ptr<HostedEffect> HostedEffect::Open(double sampleRate, int32_t maxBlock) {
    std::unique_ptr<HostedEffect> self(new HostedEffect);
    self->sampleRate_ = ValidRate(sampleRate);
    self->maxBlock_ = ValidBlock(maxBlock);
    self->effect_ = CreateInstance(NewEffect(), HostCallback);
    if (!self->effect_) return nullptr;
    // The record's user field is the host's: it leads the callback back here.
    self->effect_->user = self.get();
    self->inputs_ = static_cast<uint32_t>(std::max(self->effect_->numInputs, 0));
    self->outputs_ = static_cast<uint32_t>(std::max(self->effect_->numOutputs, 0));
    self->floatIn_.resize(self->inputs_);
    self->doubleIn_.resize(self->inputs_);
    self->floatOut_.resize(self->outputs_);
    self->doubleOut_.resize(self->outputs_);

    self->Dispatch(effOpen);
    self->Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(self->sampleRate_));
    self->Dispatch(effSetBlockSize, 0, self->maxBlock_);
    const int32_t count = std::max(self->effect_->numParams, 0);
    for (int32_t i = 0; i < count; ++i)
        self->parameters_.push_back(ProbeParameter(self->effect_, i));
    self->name_ = Text(self->effect_, effGetEffectName);
    self->vendor_ = Text(self->effect_, effGetVendorString);
    self->vendorVersion_ = static_cast<int32_t>(self->Dispatch(effGetVendorVersion));
    return self;
}

HostedEffect::~HostedEffect() {
    if (!effect_) return;
    SetActive(false);
    Dispatch(effClose);
}

intptr_t HostedEffect::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

intptr_t VSTCALLBACK HostedEffect::HostCallback(AEffect* effect, int32_t opcode, int32_t, intptr_t,
                                                void*, float) {
    // The version is asked before the record exists, so before user leads anywhere.
    if (opcode == audioMasterVersion) return kHostVersion;
    const auto* self = effect ? static_cast<const HostedEffect*>(effect->user) : nullptr;
    if (!self) return 0;
    switch (opcode) {
        case audioMasterGetTime:
            // Only the thread that processes hears the time, so a state call on another thread
            // never reads a record the audio thread is writing: it hears "no time", as from a
            // VST 2 host without a transport.
            if (self->processing_.load(std::memory_order_relaxed) != ThisThreadToken()) return 0;
            return reinterpret_cast<intptr_t>(self->timeAnswer_);
        case audioMasterGetSampleRate:
            return static_cast<intptr_t>(self->sampleRate_);
        case audioMasterGetBlockSize:
            return self->maxBlock_;
        default:
            return 0;
    }
}

void HostedEffect::Configure(double sampleRate, int32_t maxBlock) {
    if (active_) return;
    sampleRate_ = ValidRate(sampleRate);
    maxBlock_ = ValidBlock(maxBlock);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate_));
    Dispatch(effSetBlockSize, 0, maxBlock_);
}

void HostedEffect::SetActive(bool active) {
    if (active == active_) return;
    Dispatch(effMainsChanged, 0, active ? 1 : 0);
    active_ = active;
}

float HostedEffect::Parameter(uint32_t index) const {
    if (index >= parameters_.size()) return 0.0f;
    return effect_->getParameter(effect_, static_cast<int32_t>(index));
}

void HostedEffect::SetParameter(uint32_t index, float value) {
    if (index >= parameters_.size()) return;
    effect_->setParameter(effect_, static_cast<int32_t>(index), value);
}

bool HostedEffect::SaveChunk(std::vector<uint8_t>& chunk) const {
    void* data = nullptr;
    const intptr_t size = Dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    chunk.assign(bytes, bytes + size);
    return true;
}

bool HostedEffect::ChunkFits(const void* data, size_t size) const {
    // The header is the chunk's first four bytes, which the effect writes the same every time.
    constexpr size_t kHeader = 4;
    std::vector<uint8_t> own;
    if (!data || !SaveChunk(own) || size != own.size()) return false;
    return std::memcmp(data, own.data(), std::min(kHeader, own.size())) == 0;
}

void HostedEffect::RestoreChunk(const void* data, size_t size) {
    if (!data || size > static_cast<size_t>(INT32_MAX)) return;
    Dispatch(effSetChunk, 0, static_cast<intptr_t>(size), const_cast<void*>(data));
}

template <typename Sample>
void HostedEffect::Run(Sample* const* inputs, Sample* const* outputs, uint32_t frames,
                       std::span<const ParameterChange> changes, const VstTimeInfo* time,
                       std::vector<Sample*>& in, std::vector<Sample*>& out) {
    Enter(time);
    const auto block = static_cast<uint32_t>(maxBlock_);
    uint32_t done = 0;
    size_t next = 0;
    for (;;) {
        while (next < changes.size() && (changes[next].offset <= done || done >= frames)) {
            SetParameter(changes[next].index, changes[next].value);
            ++next;
        }
        if (done >= frames) break;
        uint32_t end = frames - done > block ? done + block : frames;
        if (next < changes.size()) end = std::min(end, changes[next].offset);
        // From frame 0 the caller's arrays serve as they are: the effect writes no entry.
        Sample** pieceIn = const_cast<Sample**>(inputs);
        Sample** pieceOut = const_cast<Sample**>(outputs);
        if (done > 0) {
            for (uint32_t c = 0; c < inputs_; ++c)
                in[c] = inputs && inputs[c] ? inputs[c] + done : nullptr;
            for (uint32_t c = 0; c < outputs_; ++c)
                out[c] = outputs && outputs[c] ? outputs[c] + done : nullptr;
            pieceIn = in.data();
            pieceOut = out.data();
        }
        if (time && done > 0) {
            pieceTime_ = TimeAfter(*time, done);
            timeAnswer_ = &pieceTime_;
        }
        Call(pieceIn, pieceOut, static_cast<int32_t>(end - done));
        done = end;
    }
    Leave();
}

VstTimeInfo HostedEffect::TimeAfter(const VstTimeInfo& time, uint32_t frames) const {
    VstTimeInfo later = time;
    Advance(later, frames, sampleRate_);
    return later;
}

void HostedEffect::Pieces(float* const* inputs, float* const* outputs, uint32_t frames,
                          std::span<const ParameterChange> changes, const VstTimeInfo* time) {
    Run(inputs, outputs, frames, changes, time, floatIn_, floatOut_);
}

void HostedEffect::Pieces(double* const* inputs, double* const* outputs, uint32_t frames,
                          std::span<const ParameterChange> changes, const VstTimeInfo* time) {
    Run(inputs, outputs, frames, changes, time, doubleIn_, doubleOut_);
}
