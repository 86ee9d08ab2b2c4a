#include "runtime/callbacks.h"

#include <cstring>

#include "plugin/host_services.h"
#include "plugin/orbel.h"
#include "runtime/audio_loop.h"
#include "runtime/host_text.h"
#include "runtime/parameters.h"
#include "runtime/zolt.h"

namespace {

void Attach(COrbel* adapter) {
    if (TZolt* effect = getEffectObject(adapter)) {
        setNumInputs(adapter, effect->channelCount);
        setNumOutputs(adapter, effect->channelCount);
        setUniqueId(adapter, effect->uniqueId);
        setProgramsAreChunks(adapter, 1);
    }
}

void Release(COrbel* adapter) {
    delete getEffectObject(adapter);
    if (adapter) adapter->effectObject = nullptr;
}

template <void (TZolt::*Operation)()>
void Run(COrbel* adapter) {
    if (TZolt* effect = getEffectObject(adapter)) (effect->*Operation)();
}

int32_t GetVendorVersion(COrbel* adapter) {
    TZolt* effect = getEffectObject(adapter);
    return effect ? effect->vendorVersion : 0;
}

template <std::string CZoltDescription::*Field, int32_t Capacity>
int32_t GetDescription(COrbel* adapter, char* text) {
    TZolt* effect = getEffectObject(adapter);
    return effect && CopyToHost(text, effect->*Field, Capacity) ? 1 : 0;
}

void GetProgramName(COrbel* adapter, char* name) {
    TZolt* effect = getEffectObject(adapter);
    if (!effect) return;
    const auto lock = effect->stateCalls.Lock();
    GetDescription<&CZoltDescription::programName, kProgramNameCapacity>(adapter, name);
}

void SetProgramName(COrbel* adapter, char* name) {
    TZolt* effect = getEffectObject(adapter);
    if (!effect || !name) return;
    // The host's text may be unterminated: never read past the program-name buffer.
    const size_t length = strnlen(name, kProgramNameCapacity);
    const auto lock = effect->stateCalls.Lock();
    effect->programName.assign(name, std::min<size_t>(length, kProgramNameCapacity - 1));
}

int32_t GetProgramNameIndexed(COrbel*, int32_t, int32_t, char*) {
    return 0;
}

int32_t GetChunk(COrbel* adapter, void** data, int32_t /*isPreset*/) {
    TZolt* effect = getEffectObject(adapter);
    if (!effect || !data) return 0;
    return effect->GetState(data);
}

int32_t SetChunk(COrbel* adapter, void* data, int32_t byteSize, int32_t /*isPreset*/) {
    TZolt* effect = getEffectObject(adapter);
    if (!effect || !data || byteSize <= 0) return 0;
    return effect->SetState(data, byteSize);
}

}  // namespace

void FillRuntimeCallbacks(OrbelCallbacks& table) {
    table.attach = Attach;
    table.release = Release;
    table.open = Run<&TZolt::Reset>;
    table.suspend = Run<&TZolt::OnSuspend>;
    table.resume = Run<&TZolt::OnResume>;
    table.editorIdle = Run<&TZolt::OnIdle>;
    table.close = Run<&TZolt::OnClose>;
    table.getVendorVersion = GetVendorVersion;
    table.getVendorString = GetDescription<&CZoltDescription::vendorString, kVendorTextCapacity>;
    table.getProductString = GetDescription<&CZoltDescription::productString, kVendorTextCapacity>;
    table.getEffectName = GetDescription<&CZoltDescription::effectName, kEffectNameCapacity>;
    table.getProgramName = GetProgramName;
    table.setProgramName = SetProgramName;
    table.getProgramNameIndexed = GetProgramNameIndexed;
    table.getParameter = RuntimeGetParameter;
    table.setParameter = RuntimeSetParameter;
    table.getParameterName = RuntimeGetParameterName;
    table.getParameterLabel = RuntimeGetParameterLabel;
    table.getParameterDisplay = RuntimeGetParameterDisplay;
    table.processReplacing = RuntimeProcessReplacing;
    table.processDoubleReplacing = RuntimeProcessDoubleReplacing;
    table.getChunk = GetChunk;
    table.setChunk = SetChunk;
}
