// The instance's life, interfaces, buses, set-up and state. Processing is in vst3_process.cpp,
// the controller's parameter calls in vst3_controller.cpp.
#include "product/vst3/vst3_plugin.h"

#include <string>

#include "plugin/entry_guard.h"
#include "product/vst3/vst3_stream.h"
#include "product/vst3/vst3_text.h"

namespace vst3 {

namespace {

// Until a host sets up processing: the rate and largest block a VST 2 host most often starts with.
constexpr double kFirstRate = 44100.0;
constexpr int32_t kFirstBlock = 4096;

}  // namespace

Vst3Plugin* Vst3Plugin::Create() {
    return Guarded(
        []() -> Vst3Plugin* {
            std::unique_ptr<HostedEffect> effect = HostedEffect::Open(kFirstRate, kFirstBlock);
            return effect ? new Vst3Plugin(std::move(effect)) : nullptr;
        },
        static_cast<Vst3Plugin*>(nullptr));
}

Vst3Plugin::Vst3Plugin(std::unique_ptr<HostedEffect> effect) : effect_(std::move(effect)) {
    floatIn_.resize(effect_->Inputs());
    doubleIn_.resize(effect_->Inputs());
    floatOut_.resize(effect_->Outputs());
    doubleOut_.resize(effect_->Outputs());
    changes_.Reserve(effect_->Parameters(), effect_->MaxBlock());
}

Vst3Plugin::~Vst3Plugin() {
    if (handler_) handler_->release();
}

tresult Vst3Plugin::queryInterface(const char* iid, void** obj) {
    if (!obj) return kInvalidArgument;
    void* found = nullptr;
    if (SameUid(iid, FUnknown::iid) || SameUid(iid, IPluginBase::iid) ||
        SameUid(iid, IComponent::iid)) {
        found = static_cast<IComponent*>(this);
    } else if (SameUid(iid, IAudioProcessor::iid)) {
        found = static_cast<IAudioProcessor*>(this);
    } else if (SameUid(iid, IProcessContextRequirements::iid)) {
        found = static_cast<IProcessContextRequirements*>(this);
    } else if (SameUid(iid, IEditController::iid)) {
        found = static_cast<IEditController*>(this);
    }
    *obj = found;
    if (!found) return kNoInterface;
    addRef();
    return kResultOk;
}

uint32_t Vst3Plugin::addRef() {
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
}

uint32_t Vst3Plugin::release() {
    const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) Guarded([this] { delete this; });
    return left;
}

tresult Vst3Plugin::initialize(FUnknown*) {
    // The effect is open since creation. A host that initializes the controller side too
    // (the same object) gets the same answer.
    return kResultOk;
}

tresult Vst3Plugin::terminate() {
    if (handler_) handler_->release();
    handler_ = nullptr;
    return kResultOk;
}

tresult Vst3Plugin::getControllerClassId(char* classId) {
    // The component is its own controller: there is no separate class to name.
    if (classId) std::memset(classId, 0, sizeof(Uid));
    return kResultFalse;
}

tresult Vst3Plugin::setIoMode(int32_t) {
    return kResultOk;
}

int32_t Vst3Plugin::Buses(int32_t dir) const {
    if (dir == kInput) return static_cast<int32_t>(effect_->Inputs() / 2);
    if (dir == kOutput) return static_cast<int32_t>(effect_->Outputs() / 2);
    return 0;
}

bool Vst3Plugin::ValidBus(int32_t type, int32_t dir, int32_t index) const {
    return type == kAudio && index >= 0 && index < Buses(dir);
}

int32_t Vst3Plugin::getBusCount(int32_t type, int32_t dir) {
    return type == kAudio ? Buses(dir) : 0;
}

tresult Vst3Plugin::getBusInfo(int32_t type, int32_t dir, int32_t index, BusInfo* bus) {
    if (!bus || !ValidBus(type, dir, index)) return kInvalidArgument;
    *bus = BusInfo{};
    bus->mediaType = kAudio;
    bus->direction = dir;
    bus->channelCount = 2;
    // Inputs by their channel numbers, outputs as the buses the effect switches.
    const std::string name = dir == kInput ? "Input " + std::to_string(2 * index + 1) + "/" +
                                                 std::to_string(2 * index + 2)
                                           : "Bus " + std::to_string(index + 1);
    CopyText(name, bus->name);
    bus->busType = index == 0 ? kMain : kAux;
    bus->flags = kDefaultActive;
    return kResultOk;
}

tresult Vst3Plugin::getRoutingInfo(RoutingInfo*, RoutingInfo*) {
    return kNotImplemented;
}

tresult Vst3Plugin::activateBus(int32_t type, int32_t dir, int32_t index, TBool state) {
    if (!ValidBus(type, dir, index) || index >= 32) return kInvalidArgument;
    std::atomic<uint32_t>& active = dir == kInput ? activeInputs_ : activeOutputs_;
    const uint32_t bit = 1u << index;
    if (state) {
        active.fetch_or(bit, std::memory_order_relaxed);
    } else {
        active.fetch_and(~bit, std::memory_order_relaxed);
    }
    return kResultOk;
}

tresult Vst3Plugin::setActive(TBool state) {
    return Guarded(
        [&] {
            if (state && !effect_->Active())
                changes_.Reserve(effect_->Parameters(), effect_->MaxBlock());
            effect_->SetActive(state != 0);
            return kResultOk;
        },
        kInternalError);
}

tresult Vst3Plugin::SetComponentState(IBStream* state) {
    if (!state) return kInvalidArgument;
    return Guarded(
        [&] {
            std::vector<uint8_t> own;
            if (!effect_->SaveChunk(own)) return kNotImplemented;
            // One byte more than a chunk: a longer stream shows as too long.
            std::vector<uint8_t> bytes(own.size() + 1);
            const size_t size = ReadUpTo(state, bytes.data(), bytes.size());
            if (!effect_->ChunkFits(bytes.data(), size)) return kResultFalse;
            effect_->RestoreChunk(bytes.data(), size);
            return kResultOk;
        },
        kInternalError);
}

tresult Vst3Plugin::GetComponentState(IBStream* state) {
    if (!state) return kInvalidArgument;
    return Guarded(
        [&] {
            std::vector<uint8_t> chunk;
            if (!effect_->SaveChunk(chunk)) return kNotImplemented;
            return WriteAll(state, chunk.data(), chunk.size()) ? kResultOk : kResultFalse;
        },
        kInternalError);
}

tresult Vst3Plugin::setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                       SpeakerArrangement* outputs, int32_t numOuts) {
    if (numIns != Buses(kInput) || numOuts != Buses(kOutput)) return kResultFalse;
    if ((numIns > 0 && !inputs) || (numOuts > 0 && !outputs)) return kResultFalse;
    for (int32_t i = 0; i < numIns; ++i) {
        if (inputs[i] != kStereo) return kResultFalse;
    }
    for (int32_t i = 0; i < numOuts; ++i) {
        if (outputs[i] != kStereo) return kResultFalse;
    }
    return kResultTrue;
}

tresult Vst3Plugin::getBusArrangement(int32_t dir, int32_t index, SpeakerArrangement* arr) {
    if (!arr || !ValidBus(kAudio, dir, index)) return kInvalidArgument;
    *arr = kStereo;
    return kResultTrue;
}

tresult Vst3Plugin::canProcessSampleSize(int32_t symbolicSampleSize) {
    if (symbolicSampleSize == kSample32) return kResultTrue;
    return symbolicSampleSize == kSample64 && effect_->CanDouble() ? kResultTrue : kResultFalse;
}

uint32_t Vst3Plugin::getLatencySamples() {
    return 0;
}

tresult Vst3Plugin::setupProcessing(ProcessSetup* setup) {
    if (!setup) return kInvalidArgument;
    // Rate, block size and sample size change only while switched off.
    if (effect_->Active() || canProcessSampleSize(setup->symbolicSampleSize) != kResultTrue)
        return kResultFalse;
    return Guarded(
        [&] {
            effect_->Configure(setup->sampleRate, setup->maxSamplesPerBlock);
            changes_.Reserve(effect_->Parameters(), effect_->MaxBlock());
            return kResultOk;
        },
        kOutOfMemory);
}

tresult Vst3Plugin::setProcessing(TBool) {
    // The effect keeps nothing between blocks that a restart should clear.
    return kResultOk;
}

uint32_t Vst3Plugin::getTailSamples() {
    return kNoTail;
}

uint32_t Vst3Plugin::getProcessContextRequirements() {
    return Vst3Time::kRequirements;
}

}  // namespace vst3
