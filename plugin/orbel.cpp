#include "plugin/orbel.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

// Brackets a process call: from here to its end this thread's time queries share one request.
class COrbel::ProcessCall {
  public:
    explicit ProcessCall(COrbel& adapter) : adapter_(adapter) {
        adapter_.blockTimeAsked_ = false;
        adapter_.inCall_ = true;
        adapter_.processThread_.store(ThisThreadToken(), std::memory_order_relaxed);
    }
    ~ProcessCall() {
        adapter_.processThread_.store(0, std::memory_order_relaxed);
        adapter_.inCall_ = false;
    }
    ProcessCall(const ProcessCall&) = delete;
    ProcessCall& operator=(const ProcessCall&) = delete;

  private:
    COrbel& adapter_;
};

COrbel* createAdapter(TZolt* effectObject, const OrbelCallbacks& callbacks,
                      audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams) {
    if (!hostCallback || hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    try {
        return new COrbel(effectObject, callbacks, hostCallback, numPrograms, numParams);
    } catch (...) {
        return nullptr;  // out of memory for the adapter or its MIDI ring
    }
}

COrbel::COrbel(TZolt* effect, const OrbelCallbacks& table, audioMasterCallback hostCallback,
               int32_t numPrograms, int32_t numParams)
    : AudioEffectX(hostCallback, numPrograms, numParams),
      effectObject(effect),
      drawContext(nullptr),
      midiWriteIndex(0),
      midiReadIndex(0),
      midiEventsDropped(0),
      midiRing(kMidiRingSize, VstMidiEvent{}),
      callbacks(table) {
    canProcessReplacing(true);
    canDoubleReplacing(true);
    if (callbacks.attach) callbacks.attach(this);
}

COrbel::~COrbel() {
    // The editor goes first: its frame and view refer to this adapter and its callbacks, and
    // closing it must happen while the runtime object still exists.
    AEffEditor* editor = editor_;
    setEditor(nullptr);
    delete editor;
    // Each entry holds one reference; a draw context may still hold another.
    for (CBaseObject*& font : fontList) {
        font->forget();
        font = nullptr;
    }
    if (callbacks.release) callbacks.release(this);
}

void COrbel::open() {
    if (callbacks.open) callbacks.open(this);
}

void COrbel::close() {
    if (callbacks.close) callbacks.close(this);
}

void COrbel::suspend() {
    if (callbacks.suspend) callbacks.suspend(this);
}

void COrbel::resume() {
    AudioEffectX::resume();
    if (callbacks.resume) callbacks.resume(this);
}

void COrbel::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
    if (!callbacks.processReplacing) return;
    const ProcessCall call(*this);
    callbacks.processReplacing(this, inputs, outputs, sampleFrames);
}

void COrbel::processDoubleReplacing(double** inputs, double** outputs, int32_t sampleFrames) {
    if (!callbacks.processDoubleReplacing) return;
    const ProcessCall call(*this);
    callbacks.processDoubleReplacing(this, inputs, outputs, sampleFrames);
}

VstTimeInfo* COrbel::askTime(int32_t filter, bool inBlock) {
    if (!inBlock) return getTimeInfo(filter);
    blockTime_ = getTimeInfo(kBlockTimeFilter);
    blockTimeAsked_ = true;
    return blockTime_;
}

void COrbel::setParameter(int32_t index, float value) {
    if (callbacks.setParameter) callbacks.setParameter(this, index, static_cast<double>(value));
}

float COrbel::getParameter(int32_t index) {
    return callbacks.getParameter ? static_cast<float>(callbacks.getParameter(this, index)) : 0.0f;
}

void COrbel::setProgramName(char* name) {
    if (callbacks.setProgramName) callbacks.setProgramName(this, name);
}

void COrbel::getProgramName(char* name) {
    if (callbacks.getProgramName) callbacks.getProgramName(this, name);
}

void COrbel::getParameterLabel(int32_t index, char* label) {
    if (callbacks.getParameterLabel) callbacks.getParameterLabel(this, index, label);
}

void COrbel::getParameterDisplay(int32_t index, char* text) {
    if (callbacks.getParameterDisplay) callbacks.getParameterDisplay(this, index, text);
}

void COrbel::getParameterName(int32_t index, char* text) {
    if (callbacks.getParameterName) callbacks.getParameterName(this, index, text);
}

int32_t COrbel::getChunk(void** data, bool isPreset) {
    return callbacks.getChunk ? callbacks.getChunk(this, data, isPreset ? 1 : 0) : 0;
}

int32_t COrbel::setChunk(void* data, int32_t byteSize, bool isPreset) {
    return callbacks.setChunk ? callbacks.setChunk(this, data, byteSize, isPreset ? 1 : 0) : 0;
}

bool COrbel::getProgramNameIndexed(int32_t category, int32_t index, char* text) {
    if (!callbacks.getProgramNameIndexed) return false;
    return (callbacks.getProgramNameIndexed(this, category, index, text) & 0xFF) != 0;
}

int32_t COrbel::processEvents(VstEvents* events) {
    if (!events) return 1;
    int32_t write = midiWriteIndex.load(std::memory_order_relaxed);
    // Records before the read index are still unread; the acquire pairs with the reader's
    // release, so a record is reused only once the reader is done with it.
    int32_t read = midiReadIndex.load(std::memory_order_acquire);
    // The host's list is longer than the record declares: read its pointers through the
    // list's address rather than by indexing the two-entry array.
    const auto* list = reinterpret_cast<const unsigned char*>(events) + offsetof(VstEvents, events);
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = nullptr;
        std::memcpy(&event, list + static_cast<size_t>(i) * sizeof event, sizeof event);
        if (!event || event->type != kVstMidiType) continue;
        const int32_t next = write + 1 == kMidiRingSize ? 0 : write + 1;
        if (next == read) read = midiReadIndex.load(std::memory_order_acquire);
        if (next == read) {
            // Overwriting unread events would lose a whole burst: the newest ones go instead.
            midiEventsDropped.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        // A host may hand over a shorter record than ours: what it does not declare reads 0.
        // One too short to hold a status and two data bytes carries no message; queued, it
        // would read as a status-0 event, so it is dropped.
        const int32_t declared = event->byteSize;
        if (declared < static_cast<int32_t>(offsetof(VstMidiEvent, midiData) + 3)) {
            midiEventsDropped.fetch_add(1, std::memory_order_relaxed);
            continue;
        }
        const size_t bytes = std::min(static_cast<size_t>(declared), sizeof(VstMidiEvent));
        VstMidiEvent& record = midiRing[static_cast<size_t>(write)];
        record = VstMidiEvent{};
        std::memcpy(&record, event, bytes);
        record.type = kVstMidiType;
        write = next;
        // Publishes the record just written to the reader.
        midiWriteIndex.store(write, std::memory_order_release);
    }
    return 1;
}

bool COrbel::getEffectName(char* name) {
    return callbacks.getEffectName && (callbacks.getEffectName(this, name) & 0xFF) != 0;
}

bool COrbel::getVendorString(char* text) {
    return callbacks.getVendorString && (callbacks.getVendorString(this, text) & 0xFF) != 0;
}

bool COrbel::getProductString(char* text) {
    return callbacks.getProductString && (callbacks.getProductString(this, text) & 0xFF) != 0;
}

int32_t COrbel::getVendorVersion() {
    return callbacks.getVendorVersion ? callbacks.getVendorVersion(this) : 0;
}

int32_t COrbel::canDo(char* text) {
    if (text && std::strcmp(text, "receiveVstMidiEvent") == 0) return 1;
    return -1;
}
