#include "plugin/audio_effect.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/entry_guard.h"

namespace {

AudioEffect* ObjectOf(AEffect* effect) {
    return effect ? static_cast<AudioEffect*>(effect->object) : nullptr;
}

intptr_t VSTCALLBACK DispatchEntry(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                   void* ptr, float opt) {
    AudioEffect* object = ObjectOf(effect);
    if (!object) return 0;
    const intptr_t result =
        Guarded([&] { return object->dispatcher(opcode, index, value, ptr, opt); }, intptr_t{0});
    if (opcode == effClose) {
        // The host forgets the record after effClose, whatever its handling threw.
        delete object;
        return 1;
    }
    return result;
}

void VSTCALLBACK ProcessEntry(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    if (AudioEffect* object = ObjectOf(effect)) {
        Guarded([&] { object->process(inputs, outputs, frames); });
    }
}

void VSTCALLBACK ProcessReplacingEntry(AEffect* effect, float** inputs, float** outputs,
                                       int32_t frames) {
    if (AudioEffect* object = ObjectOf(effect)) {
        Guarded([&] { object->processReplacing(inputs, outputs, frames); });
    }
}

void VSTCALLBACK ProcessDoubleReplacingEntry(AEffect* effect, double** inputs, double** outputs,
                                             int32_t frames) {
    if (AudioEffect* object = ObjectOf(effect)) {
        Guarded([&] { object->processDoubleReplacing(inputs, outputs, frames); });
    }
}

void VSTCALLBACK SetParameterEntry(AEffect* effect, int32_t index, float value) {
    if (AudioEffect* object = ObjectOf(effect)) {
        Guarded([&] { object->setParameter(index, value); });
    }
}

float VSTCALLBACK GetParameterEntry(AEffect* effect, int32_t index) {
    AudioEffect* object = ObjectOf(effect);
    return object ? Guarded([&] { return object->getParameter(index); }, 0.0f) : 0.0f;
}

// The value-to-text helpers write into host buffers of maxLen bytes, zero included.
void CopyBounded(const std::string& text, char* out, int32_t maxLen) {
    if (!out || maxLen <= 0) return;
    size_t n = std::min(text.size(), static_cast<size_t>(maxLen - 1));
    std::memcpy(out, text.data(), n);
    out[n] = 0;
}

std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams)
    : audioMaster_(hostCallback),
      editor_(nullptr),
      sampleRate_(44100.0f),
      blockSize_(1024),
      numPrograms_(numPrograms),
      numParams_(numParams),
      curProgram_(0),
      cEffect_{} {
    cEffect_.magic = kEffectMagic;
    cEffect_.dispatcher = DispatchEntry;
    cEffect_.process = ProcessEntry;
    cEffect_.setParameter = SetParameterEntry;
    cEffect_.getParameter = GetParameterEntry;
    cEffect_.processReplacing = ProcessReplacingEntry;
    cEffect_.processDoubleReplacing = ProcessDoubleReplacingEntry;
    cEffect_.numPrograms = numPrograms;
    cEffect_.numParams = numParams;
    cEffect_.numInputs = 1;
    cEffect_.numOutputs = 2;
    cEffect_.ioRatio = 1.0f;
    cEffect_.object = this;
    cEffect_.uniqueID = kDefaultUniqueId;
    cEffect_.version = 1;
    cEffect_.flags = effFlagsCanReplacing;
}

AudioEffect::~AudioEffect() {
    delete editor_;
}

intptr_t AudioEffect::CallHost(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt) {
    return audioMaster_ ? audioMaster_(&cEffect_, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::SetFlag(int32_t flag, bool state) {
    if (state) {
        cEffect_.flags |= flag;
    } else {
        cEffect_.flags &= ~flag;
    }
}

void AudioEffect::setEditor(AEffEditor* editor) {
    editor_ = editor;
    SetFlag(effFlagsHasEditor, editor != nullptr);
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
    switch (opcode) {
        case effOpen:
            open();
            return 0;
        case effClose:
            close();
            return 0;
        case effSetProgram:
            if (value >= 0 && value < numPrograms_) setProgram(static_cast<int32_t>(value));
            return 0;
        case effGetProgram:
            return getProgram();
        case effSetProgramName:
            setProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetProgramName:
            getProgramName(static_cast<char*>(ptr));
            return 0;
        case effGetParamLabel:
            getParameterLabel(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamDisplay:
            getParameterDisplay(index, static_cast<char*>(ptr));
            return 0;
        case effGetParamName:
            getParameterName(index, static_cast<char*>(ptr));
            return 0;
        case effSetSampleRate:
            setSampleRate(opt);
            return 0;
        case effSetBlockSize:
            setBlockSize(static_cast<int32_t>(value));
            return 0;
        case effMainsChanged:
            if (value) {
                resume();
            } else {
                suspend();
            }
            return 0;
        case effEditGetRect:
            if (!editor_ || !ptr) return 0;
            return editor_->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        case effEditOpen:
            return editor_ && editor_->open(ptr) ? 1 : 0;
        case effEditClose:
            if (editor_) editor_->close();
            return 0;
        case effEditIdle:
            if (editor_) editor_->idle();
            return 0;
        case effIdentify:
            return kIdentifyAnswer;
        case effGetChunk:
            if (!ptr) return 0;
            return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk:
            return setChunk(ptr, static_cast<int32_t>(value), index != 0);
        default:
            return 0;
    }
}

void AudioEffect::setParameterAutomated(int32_t index, float value) {
    setParameter(index, value);
    CallHost(audioMasterAutomate, index, 0, nullptr, value);
}

int32_t AudioEffect::getMasterVersion() {
    if (!audioMaster_) return 1;
    auto version = static_cast<int32_t>(CallHost(audioMasterVersion));
    return version == 0 ? 1 : version;
}

int32_t AudioEffect::getCurrentUniqueId() {
    return static_cast<int32_t>(CallHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() {
    CallHost(audioMasterIdle);
}

bool AudioEffect::isInputConnected(int32_t input) {
    if (!audioMaster_) return true;
    return CallHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output) {
    if (!audioMaster_) return true;
    return CallHost(audioMasterPinConnected, output, 1) == 0;
}

void AudioEffect::dB2string(float value, char* text, int32_t maxLen) {
    if (value <= 0.0f) {
        CopyBounded("-oo", text, maxLen);
        return;
    }
    CopyBounded(Format("%.2f", 20.0 * std::log10(value)), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, int32_t maxLen) {
    if (samples == 0.0f) {
        CopyBounded("0", text, maxLen);
        return;
    }
    CopyBounded(Format("%.2f", getSampleRate() / samples), text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, int32_t maxLen) {
    CopyBounded(Format("%.2f", samples * 1000.0 / getSampleRate()), text, maxLen);
}

void AudioEffect::float2string(float value, char* text, int32_t maxLen) {
    CopyBounded(Format("%.2f", value), text, maxLen);
}

void AudioEffect::int2string(int32_t value, char* text, int32_t maxLen) {
    CopyBounded(std::to_string(value), text, maxLen);
}
