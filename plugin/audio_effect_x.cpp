#include "plugin/audio_effect_x.h"

#include <cmath>
#include <cstring>

const char* const kPlugCanDos[8] = {
    "sendVstEvents",      "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
    "receiveVstTimeInfo", "offline",          "midiProgramNames", "bypass"};

const char* const kHostCanDos[14] = {"sendVstEvents",
                                     "sendVstMidiEvent",
                                     "sendVstTimeInfo",
                                     "receiveVstEvents",
                                     "receiveVstMidiEvent",
                                     "reportConnectionChanges",
                                     "acceptIOChanges",
                                     "sizeWindow",
                                     "offline",
                                     "openFileSelector",
                                     "closeFileSelector",
                                     "startStopProcess",
                                     "shellCategory",
                                     "sendVstMidiEventFlagIsRealtime"};

namespace {
constexpr int kReceiveVstMidiEvent = 3;
}

AudioEffectX::AudioEffectX(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams)
    : AudioEffect(hostCallback, numPrograms, numParams) {}

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
    auto b = [](bool v) -> intptr_t { return v ? 1 : 0; };
    switch (opcode) {
        case effProcessEvents:
            return processEvents(static_cast<VstEvents*>(ptr));
        case effCanBeAutomated:
            return b(canParameterBeAutomated(index));
        case effString2Parameter:
            return b(string2parameter(index, static_cast<char*>(ptr)));
        case effGetProgramNameIndexed:
            return b(
                getProgramNameIndexed(static_cast<int32_t>(value), index, static_cast<char*>(ptr)));
        case effGetInputProperties:
            return b(getInputProperties(index, static_cast<VstPinProperties*>(ptr)));
        case effGetOutputProperties:
            return b(getOutputProperties(index, static_cast<VstPinProperties*>(ptr)));
        case effGetPlugCategory:
            return getPlugCategory();
        case effOfflineNotify:
            return b(offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<int32_t>(value),
                                   index != 0));
        case effOfflinePrepare:
            return b(
                offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value)));
        case effOfflineRun:
            return b(offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<int32_t>(value)));
        case effProcessVarIo:
            return b(processVariableIo(static_cast<VstVariableIo*>(ptr)));
        case effSetSpeakerArrangement:
            return b(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                           static_cast<VstSpeakerArrangement*>(ptr)));
        case effSetBypass:
            return b(setBypass(value != 0));
        case effGetEffectName:
            return b(getEffectName(static_cast<char*>(ptr)));
        case effGetVendorString:
            return b(getVendorString(static_cast<char*>(ptr)));
        case effGetProductString:
            return b(getProductString(static_cast<char*>(ptr)));
        case effGetVendorVersion:
            return getVendorVersion();
        case effVendorSpecific:
            return vendorSpecific(index, value, ptr, opt);
        case effCanDo:
            return canDo(static_cast<char*>(ptr));
        case effGetTailSize:
            return getGetTailSize();
        case effGetParameterProperties:
            return b(getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
        case effGetVstVersion:
            return getVstVersion();
        case effEditKeyDown:
        case effEditKeyUp: {
            if (!editor_) return 0;
            VstKeyCode key{};
            key.character = index;
            key.virt = static_cast<uint8_t>(value & 0xFF);
            // Hosts pass the modifier as a float; NaN or a huge value must not be undefined.
            const int32_t modifier = std::isfinite(opt) && std::fabs(opt) < 2147483648.0f
                                         ? static_cast<int32_t>(opt)
                                         : 0;
            key.modifier = static_cast<uint8_t>(modifier & 0xFF);
            return b(opcode == effEditKeyDown ? editor_->onKeyDown(key) : editor_->onKeyUp(key));
        }
        case effSetEditKnobMode:
            return editor_ ? b(editor_->setKnobMode(static_cast<int32_t>(value))) : 0;
        case effGetMidiProgramName:
            return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
        case effGetCurrentMidiProgram:
            return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
        case effGetMidiProgramCategory:
            return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
        case effHasMidiProgramsChanged:
            return b(hasMidiProgramsChanged(index));
        case effGetMidiKeyName:
            return b(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
        case effBeginSetProgram:
            return b(beginSetProgram());
        case effEndSetProgram:
            return b(endSetProgram());
        case effGetSpeakerArrangement:
            return b(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                           static_cast<VstSpeakerArrangement**>(ptr)));
        case effShellGetNextPlugin:
            return getNextShellPlugin(static_cast<char*>(ptr));
        case effStartProcess:
            return startProcess();
        case effStopProcess:
            return stopProcess();
        case effSetTotalSampleToProcess:
            return setTotalSampleToProcess(static_cast<int32_t>(value));
        case effSetPanLaw:
            return b(setPanLaw(static_cast<int32_t>(value), opt));
        case effBeginLoadBank:
            return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
        case effBeginLoadProgram:
            return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
        case effSetProcessPrecision:
            return b(setProcessPrecision(static_cast<int32_t>(value)));
        case effGetNumMidiInputChannels:
            return getNumMidiInputChannels();
        case effGetNumMidiOutputChannels:
            return getNumMidiOutputChannels();
        default:
            if (opcode >= effProcessEvents && opcode <= effGetNumMidiOutputChannels) return 0;
            return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume() {
    if ((cEffect_.flags & effFlagsIsSynth) ||
        canDo(const_cast<char*>(kPlugCanDos[kReceiveVstMidiEvent])) == 1) {
        wantEvents(1);
    }
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** input,
                                         VstSpeakerArrangement** output) {
    if (input) *input = nullptr;
    if (output) *output = nullptr;
    return false;
}

int32_t AudioEffectX::getPlugCategory() {
    return (cEffect_.flags & effFlagsIsSynth) ? 2 : 0;
}

bool AudioEffectX::beginEdit(int32_t index) {
    return CallHost(audioMasterBeginEdit, index) != 0;
}
bool AudioEffectX::endEdit(int32_t index) {
    return CallHost(audioMasterEndEdit, index) != 0;
}
bool AudioEffectX::ioChanged() {
    return CallHost(audioMasterIOChanged) != 0;
}
bool AudioEffectX::needIdle() {
    return CallHost(audioMasterNeedIdle) != 0;
}
bool AudioEffectX::updateDisplay() {
    return CallHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::sizeWindow(int32_t width, int32_t height) {
    return CallHost(audioMasterSizeWindow, width, height) != 0;
}

double AudioEffectX::updateSampleRate() {
    intptr_t answer = CallHost(audioMasterGetSampleRate);
    if (answer > 0) sampleRate_ = static_cast<float>(answer);
    return sampleRate_;
}

int32_t AudioEffectX::updateBlockSize() {
    intptr_t answer = CallHost(audioMasterGetBlockSize);
    if (answer > 0) blockSize_ = static_cast<int32_t>(answer);
    return blockSize_;
}

int32_t AudioEffectX::getInputLatency() {
    return static_cast<int32_t>(CallHost(audioMasterGetInputLatency));
}
int32_t AudioEffectX::getOutputLatency() {
    return static_cast<int32_t>(CallHost(audioMasterGetOutputLatency));
}

VstTimeInfo* AudioEffectX::getTimeInfo(int32_t filter) {
    return reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, filter));
}

int32_t AudioEffectX::getCurrentProcessLevel() {
    return static_cast<int32_t>(CallHost(audioMasterGetCurrentProcessLevel));
}
int32_t AudioEffectX::getAutomationState() {
    return static_cast<int32_t>(CallHost(audioMasterGetAutomationState));
}

bool AudioEffectX::getHostVendorString(char* text) {
    return CallHost(audioMasterGetVendorString, 0, 0, text) != 0;
}
bool AudioEffectX::getHostProductString(char* text) {
    return CallHost(audioMasterGetProductString, 0, 0, text) != 0;
}
int32_t AudioEffectX::getHostVendorVersion() {
    return static_cast<int32_t>(CallHost(audioMasterGetVendorVersion));
}
intptr_t AudioEffectX::hostVendorSpecific(int32_t arg1, intptr_t arg2, void* ptr, float opt) {
    return CallHost(audioMasterVendorSpecific, arg1, arg2, ptr, opt);
}
bool AudioEffectX::canHostDo(char* text) {
    return CallHost(audioMasterCanDo, 0, 0, text) != 0;
}
int32_t AudioEffectX::getHostLanguage() {
    return static_cast<int32_t>(CallHost(audioMasterGetLanguage));
}
void* AudioEffectX::getDirectory() {
    return reinterpret_cast<void*>(CallHost(audioMasterGetDirectory));
}

bool AudioEffectX::openFileSelector(VstFileSelect* selector) {
    return selector && CallHost(audioMasterOpenFileSelector, 0, 0, selector) != 0;
}
bool AudioEffectX::closeFileSelector(VstFileSelect* selector) {
    return selector && CallHost(audioMasterCloseFileSelector, 0, 0, selector) != 0;
}

bool AudioEffectX::offlineRead(VstOfflineTask* offline, int32_t option, bool readSource) {
    return CallHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}
bool AudioEffectX::offlineWrite(VstOfflineTask* offline, int32_t option) {
    return CallHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}
bool AudioEffectX::offlineStart(VstAudioFile* files, int32_t numAudioFiles,
                                int32_t numNewAudioFiles) {
    return CallHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, files) != 0;
}
int32_t AudioEffectX::offlineGetCurrentPass() {
    return CallHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0;
}
int32_t AudioEffectX::offlineGetCurrentMetaPass() {
    return CallHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}

void AudioEffectX::wantEvents(int32_t filter) {
    CallHost(audioMasterWantMidi, 0, filter);
}
int32_t AudioEffectX::tempoAt(int32_t pos) {
    return static_cast<int32_t>(CallHost(audioMasterTempoAt, 0, pos));
}
int32_t AudioEffectX::getNumAutomatableParameters() {
    return static_cast<int32_t>(CallHost(audioMasterGetNumAutomatableParameters));
}
int32_t AudioEffectX::getParameterQuantization() {
    return static_cast<int32_t>(CallHost(audioMasterGetParameterQuantization));
}
AEffect* AudioEffectX::getPreviousPlug(int32_t /*input*/) {
    return reinterpret_cast<AEffect*>(CallHost(audioMasterGetPreviousPlug));
}
AEffect* AudioEffectX::getNextPlug(int32_t /*output*/) {
    return reinterpret_cast<AEffect*>(CallHost(audioMasterGetNextPlug));
}
int32_t AudioEffectX::willProcessReplacing() {
    return static_cast<int32_t>(CallHost(audioMasterWillReplaceOrAccumulate));
}
int32_t AudioEffectX::setOutputSamplerate(float samplerate) {
    return static_cast<int32_t>(
        CallHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate));
}
VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        CallHost(audioMasterGetInputSpeakerArrangement));
}
VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        CallHost(audioMasterGetOutputSpeakerArrangement));
}
int32_t AudioEffectX::openWindow(VstWindow* window) {
    return static_cast<int32_t>(CallHost(audioMasterOpenWindow, 0, 0, window));
}
bool AudioEffectX::closeWindow(VstWindow* window) {
    return CallHost(audioMasterCloseWindow, 0, 0, window) != 0;
}
bool AudioEffectX::getChunkFile(void* nativePath) {
    return nativePath && CallHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
    return CallHost(audioMasterProcessEvents, 0, 0, events) == 1;
}
