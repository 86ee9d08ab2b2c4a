// The adapter: the one object per instance that the host sees. It forwards every request
// that concerns the effect through its copy of the callback table.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "plugin/audio_effect_x.h"
#include "plugin/base_object.h"
#include "plugin/orbel_callbacks.h"
#include "plugin/thread_token.h"

class TZolt;
class CDrawContext;

class COrbel : public AudioEffectX {
  public:
    static constexpr int32_t kMidiRingSize = 1000;

    // [main] Built by createAdapter; copies the table, then calls attach.
    COrbel(TZolt* effect, const OrbelCallbacks& table, audioMasterCallback hostCallback,
           int32_t numPrograms, int32_t numParams);
    // [main] From effClose: releases the fonts, then the effect object through release.
    ~COrbel() override;

    // Processing.
    // [main]
    void open() override;
    // [main & open]
    void close() override;
    void suspend() override;
    void resume() override;
    // [audio & resumed]
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, int32_t sampleFrames) override;
    // [any] The host's time record for a time query that needs filter. Inside a process call,
    // on the thread that makes it, the call's first query asks the host with kBlockTimeFilter
    // and every later one gets that record: the block section's questions share one request.
    // Anywhere else (the initialisation section, other threads) each query asks afresh.
    VstTimeInfo* timeInfo(int32_t filter) {
        const bool inBlock = processThread_.load(std::memory_order_relaxed) == ThisThreadToken();
        return inBlock && blockTimeAsked_ ? blockTime_ : askTime(filter, inBlock);
    }
    // [audio] The time record for the block section, which reads all of it at once: inside a
    // process call the call's one request (made now unless a query made it already), outside
    // one a fresh request. Only the thread that processes calls it, so it skips timeInfo's
    // thread check.
    VstTimeInfo* blockTimeInfo() {
        if (!inCall_) return askTime(kBlockTimeFilter, false);
        return blockTimeAsked_ ? blockTime_ : askTime(kBlockTimeFilter, true);
    }
    // What the time queries ask for between them: tempo, position, bars, time signature,
    // playing and recording.
    static constexpr int32_t kBlockTimeFilter = kVstTempoValid | kVstPpqPosValid | kVstBarsValid |
                                                kVstTimeSigValid | kVstTransportPlaying |
                                                kVstTransportRecording;
    // [audio & resumed] Stores MIDI events in the ring; never allocates. A full ring keeps
    // the events it holds and drops (and counts) the ones that do not fit. Each event is
    // copied by at most the byte size it declares, never more than a ring record.
    int32_t processEvents(VstEvents* events) override;

    // Parameters, programs and state.
    // [any]
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    int32_t getChunk(void** data, bool isPreset) override;
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;

    // Identity.
    // [main]
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override;
    int32_t canDo(char* text) override;

    TZolt* effectObject;
    // [main] Set only while the effect view draws.
    CDrawContext* drawContext;
    // [audio] processEvents writes the ring and the runtime reads it; the indices carry the
    // hand-over of each record. Equal indices mean empty, so the ring holds at most
    // kMidiRingSize - 1 events.
    std::atomic<int32_t> midiWriteIndex;
    std::atomic<int32_t> midiReadIndex;
    // [any] Events that arrived while the ring was full, or too short to hold a MIDI message,
    // since construction (wraps at 2^32).
    std::atomic<uint32_t> midiEventsDropped;
    // [main] The font descriptions the drawing functions made for this instance, one reference
    // each.
    std::vector<CBaseObject*> fontList;
    std::vector<VstMidiEvent> midiRing;
    OrbelCallbacks callbacks;

  private:
    class ProcessCall;
    // The host's answer: the block's first request (kept for the block) or a fresh one.
    VstTimeInfo* askTime(int32_t filter, bool inBlock);
    // The thread inside a process call, or none. Only that thread reads or writes the two
    // below, so a time query on another thread never sees a block's record.
    std::atomic<uintptr_t> processThread_{0};
    bool blockTimeAsked_ = false;
    // [audio] Whether a process call is running; read only by blockTimeInfo, on that thread.
    bool inCall_ = false;
    VstTimeInfo* blockTime_ = nullptr;
    static_assert(std::atomic<uintptr_t>::is_always_lock_free);
};

// [main] Asks the host for its version and builds the adapter; null when the host
// answers 0 or the adapter cannot be allocated.
COrbel* createAdapter(TZolt* effectObject, const OrbelCallbacks& callbacks,
                      audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams);
