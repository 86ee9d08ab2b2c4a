#include "plugin/host_services.h"

#include <new>

#include "plugin/orbel.h"

namespace {

template <int32_t kFilter>
VstTimeInfo* TimeInfo(COrbel* adapter) {
    static_assert((kFilter & COrbel::kBlockTimeFilter) == kFilter,
                  "a process call's one time request must answer every query");
    return adapter ? adapter->timeInfo(kFilter) : nullptr;
}

void Store(int32_t* out, int32_t value) {
    if (out) *out = value;
}

}  // namespace

AEffect* getAEffect(COrbel* adapter) {
    return adapter ? adapter->getAeffect() : nullptr;
}

TZolt* getEffectObject(COrbel* adapter) {
    return adapter ? adapter->effectObject : nullptr;
}

int32_t getNumInputs(COrbel* adapter) {
    return adapter ? adapter->getAeffect()->numInputs : 0;
}

int32_t getNumOutputs(COrbel* adapter) {
    return adapter ? adapter->getAeffect()->numOutputs : 0;
}

int32_t setNumInputs(COrbel* adapter, int32_t count) {
    if (!adapter) return 0;
    adapter->setNumInputs(count);
    return 1;
}

int32_t setNumOutputs(COrbel* adapter, int32_t count) {
    if (!adapter) return 0;
    adapter->setNumOutputs(count);
    return 1;
}

int32_t setUniqueId(COrbel* adapter, int32_t identifier) {
    if (!adapter) return 0;
    adapter->setUniqueID(identifier);
    return 1;
}

int32_t setProgramsAreChunks(COrbel* adapter, int32_t flag) {
    if (!adapter) return 0;
    adapter->programsAreChunks((flag & 0xFF) != 0);
    return 1;
}

float getSampleRate(COrbel* adapter) {
    return adapter ? adapter->getSampleRate() : 0.0f;
}

int32_t getBlockSize(COrbel* adapter) {
    return adapter ? adapter->getBlockSize() : 0;
}

double getTempo(COrbel* adapter) {
    const VstTimeInfo* info = TimeInfo<kVstTempoValid>(adapter);
    return info ? info->tempo : 0.0;
}

double getPpqPos(COrbel* adapter) {
    const VstTimeInfo* info = TimeInfo<kVstPpqPosValid>(adapter);
    return info ? info->ppqPos : 0.0;
}

double getBarStartPos(COrbel* adapter) {
    const VstTimeInfo* info = TimeInfo<kVstBarsValid>(adapter);
    return info ? info->barStartPos : 0.0;
}

int32_t isPlaying(COrbel* adapter) {
    const VstTimeInfo* info = TimeInfo<kVstTransportPlaying>(adapter);
    return info && (info->flags & kVstTransportPlaying) ? 1 : 0;
}

int32_t isRecording(COrbel* adapter) {
    const VstTimeInfo* info = TimeInfo<kVstTransportRecording>(adapter);
    return info && (info->flags & kVstTransportRecording) ? 1 : 0;
}

int32_t getTimeSignature(COrbel* adapter, double* tempo, double* numerator, double* denominator) {
    const VstTimeInfo* info = TimeInfo<kVstTimeSigValid | kVstTempoValid>(adapter);
    if (!info) return 0;
    if (tempo) *tempo = info->tempo;
    if (numerator) *numerator = info->timeSigNumerator;
    if (denominator) *denominator = info->timeSigDenominator;
    return 1;
}

const VstTimeInfo* getBlockTimeInfo(COrbel* adapter) {
    return adapter ? adapter->blockTimeInfo() : nullptr;
}

int32_t setInitialDelay(COrbel* adapter, int32_t samples) {
    if (!adapter) return 0;
    adapter->setInitialDelay(samples);
    return 1;
}

int32_t setIsSynth(COrbel* adapter, int32_t flag) {
    if (!adapter) return 0;
    adapter->isSynth((flag & 0xFF) != 0);
    return 1;
}

int32_t setParameterAutomated(COrbel* adapter, int32_t index, double value) {
    if (!adapter) return 0;
    adapter->setParameterAutomated(index, static_cast<float>(value));
    return 1;
}

int32_t updateDisplay(COrbel* adapter) {
    return adapter && adapter->updateDisplay() ? 1 : 0;
}

int32_t sendMidi(COrbel* adapter, int32_t deltaFrames, int32_t status, int32_t data1,
                 int32_t data2) {
    if (!adapter) return 0;
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof event;
    event.deltaFrames = deltaFrames;
    event.midiData[0] = static_cast<char>(status & 0xFF);
    event.midiData[1] = static_cast<char>(data1 & 0xFF);
    event.midiData[2] = static_cast<char>(data2 & 0xFF);
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&event);
    return adapter->sendVstEventsToHost(&list) ? 1 : 0;
}

int32_t sendSysex(COrbel* adapter, int32_t deltaFrames, char* dump, int32_t byteCount) {
    if (!adapter) return 0;
    VstMidiSysexEvent event{};
    event.type = kVstSysExType;
    event.byteSize = sizeof event;
    event.deltaFrames = deltaFrames;
    event.dumpBytes = byteCount;
    event.sysexDump = dump;
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&event);
    return adapter->sendVstEventsToHost(&list) ? 1 : 0;
}

int32_t getMidiEvent(COrbel* adapter, int32_t* deltaFrames, int32_t* status, int32_t* data1,
                     int32_t* data2) {
    if (!adapter) return 0;
    int32_t read = adapter->midiReadIndex.load(std::memory_order_relaxed);
    if (read == adapter->midiWriteIndex.load(std::memory_order_acquire)) {
        Store(deltaFrames, 0);
        Store(status, 0);
        Store(data1, 0);
        Store(data2, 0);
        return 0;
    }
    const VstMidiEvent& record = adapter->midiRing[static_cast<size_t>(read)];
    Store(deltaFrames, record.deltaFrames);
    Store(status, static_cast<signed char>(record.midiData[0]));
    Store(data1, static_cast<signed char>(record.midiData[1]));
    Store(data2, static_cast<signed char>(record.midiData[2]));
    // Hands the record back to processEvents, which may then reuse it.
    adapter->midiReadIndex.store(read + 1 == COrbel::kMidiRingSize ? 0 : read + 1,
                                 std::memory_order_release);
    return 1;
}

int32_t getHostLanguage(COrbel* adapter) {
    return adapter ? adapter->getHostLanguage() : 0;
}

int32_t getHostProductString(COrbel* adapter, char* text) {
    return adapter && adapter->getHostProductString(text) ? 1 : 0;
}

int32_t getHostVendorString(COrbel* adapter, char* text) {
    return adapter && adapter->getHostVendorString(text) ? 1 : 0;
}

int32_t getHostVendorVersion(COrbel* adapter) {
    return adapter ? adapter->getHostVendorVersion() : 0;
}

int32_t getMasterVersion(COrbel* adapter) {
    return adapter ? adapter->getMasterVersion() : 0;
}

int32_t getCurrentUniqueId(COrbel* adapter) {
    return adapter ? adapter->getCurrentUniqueId() : 0;
}

int32_t masterIdle(COrbel* adapter) {
    if (!adapter) return 0;
    adapter->masterIdle();
    return 1;
}
