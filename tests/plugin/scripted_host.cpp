#include "tests/plugin/scripted_host.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
// The host whose entry call is running on this thread: the version query comes before the
// record exists, with a null effect.
thread_local ScriptedHost* loadingHost = nullptr;
}  // namespace

ScriptedHost::ScriptedHost() {
    timeInfo.sampleRate = 44100.0;
    timeInfo.tempo = 120.0;
    timeInfo.ppqPos = 8.0;
    timeInfo.timeSigNumerator = 4;
    timeInfo.timeSigDenominator = 4;
    timeInfo.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid;
}

AEffect* ScriptedHost::Load(PluginEntry entry) {
    if (!entry) return nullptr;
    ScriptedHost* previous = loadingHost;
    loadingHost = this;
    AEffect* effect = entry(&ScriptedHost::Callback);
    loadingHost = previous;
    if (effect) effect->user = this;
    return effect;
}

std::vector<HostRequest> ScriptedHost::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::vector<HostRequest> ScriptedHost::RequestsWithOpcode(int32_t opcode) const {
    std::vector<HostRequest> matching;
    for (const HostRequest& request : Requests()) {
        if (request.opcode == opcode) matching.push_back(request);
    }
    return matching;
}

void ScriptedHost::ClearRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
}

intptr_t ScriptedHost::Answer(const HostRequest& request) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
    }
    switch (request.opcode) {
        case audioMasterVersion:
            return versionAnswer;
        case audioMasterGetTime:
            return giveTimeInfo ? reinterpret_cast<intptr_t>(&timeInfo) : 0;
        case audioMasterProcessEvents:
            return processEventsAnswer;
        default:
            return 0;
    }
}

intptr_t VSTCALLBACK ScriptedHost::Callback(AEffect* effect, int32_t opcode, int32_t index,
                                            intptr_t value, void* ptr, float opt) {
    ScriptedHost* host =
        effect && effect->user ? static_cast<ScriptedHost*>(effect->user) : loadingHost;
    if (!host) {
        ADD_FAILURE() << "request " << opcode << " reached no host";
        return 0;
    }
    return host->Answer(HostRequest{effect, opcode, index, value, ptr, opt});
}

HostedEffect::HostedEffect(ScriptedHost& host, PluginEntry entry) : effect_(host.Load(entry)) {}

HostedEffect::~HostedEffect() {
    if (effect_ && !closed_) Close();
}

intptr_t HostedEffect::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    if (!effect_ || closed_) {
        ADD_FAILURE() << "opcode " << opcode << " sent to no instance";
        return 0;
    }
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

intptr_t HostedEffect::Close() {
    const intptr_t answer = Dispatch(effClose);
    closed_ = true;
    return answer;
}

void HostedEffect::Start() {
    Dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    Dispatch(effSetBlockSize, 0, 512);
    Open();
    Resume();
}

void HostedEffect::SetParameter(int32_t index, float value) {
    effect_->setParameter(effect_, index, value);
}

float HostedEffect::GetParameter(int32_t index) const {
    return effect_->getParameter(effect_, index);
}

void HostedEffect::SetBuses(const std::vector<int>& busesOn) {
    for (int32_t i = 0; i < kBusCount; ++i) SetParameter(i, 0.0f);
    for (int bus : busesOn) SetParameter(bus - 1, 1.0f);
}

std::string HostedEffect::Text(int32_t opcode, int32_t index) {
    char buffer[kTextBufferSize] = {};
    Dispatch(opcode, index, 0, buffer);
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::vector<uint8_t> HostedEffect::GetChunk() {
    void* data = nullptr;
    const intptr_t size = Dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t HostedEffect::SetChunk(const void* bytes, intptr_t size) {
    return Dispatch(effSetChunk, 0, size, const_cast<void*>(bytes));
}

void HostedEffect::Process(AudioBlock<float>& block, int32_t frames) {
    effect_->processReplacing(effect_, block.inputs(), block.outputs(), frames);
}

void HostedEffect::Process(AudioBlock<double>& block, int32_t frames) {
    effect_->processDoubleReplacing(effect_, block.inputs(), block.outputs(), frames);
}
