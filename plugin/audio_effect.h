// The plug-in side of the VST 2 interface: builds the effect record, answers the basic
// opcodes and wraps the host callback.
#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/aeff_editor.h"
#include "plugin/vst2_abi.h"

class AudioEffect {
  public:
    // [main] Builds the record the host will receive.
    AudioEffect(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams);
    // [main] From effClose, through the dispatcher; deletes the editor.
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // [any] Each opcode keeps the contract of the operation it reaches: hosts send most from
    // [main], events from [audio], chunks and parameter texts from any thread.
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt);

    // Identity: the record's fields and flags, set while the adapter is built (attach) and
    // read by the host afterwards.
    // [main]
    virtual void setUniqueID(int32_t id) { cEffect_.uniqueID = id; }
    virtual void setNumInputs(int32_t inputs) { cEffect_.numInputs = inputs; }
    virtual void setNumOutputs(int32_t outputs) { cEffect_.numOutputs = outputs; }
    virtual void canProcessReplacing(bool state) { SetFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state) { SetFlag(effFlagsCanDoubleReplacing, state); }
    virtual void programsAreChunks(bool state) { SetFlag(effFlagsProgramChunks, state); }
    virtual void hasVu(bool state) { SetFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state) { SetFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state) { SetFlag(effFlagsCanMono, state); }
    virtual void setRealtimeQualities(int32_t qualities) { cEffect_.realQualities = qualities; }
    virtual void setOfflineQualities(int32_t qualities) { cEffect_.offQualities = qualities; }
    // [any] The block section reports its latency here, on [audio].
    virtual void setInitialDelay(int32_t delay) { cEffect_.initialDelay = delay; }
    // [any]
    virtual AEffect* getAeffect() { return &cEffect_; }

    // Parameters.
    // [any] Hosts automate from their UI or automation threads while audio runs.
    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    virtual float getParameter(int32_t /*index*/) { return 0.0f; }
    virtual void setParameterAutomated(int32_t index, float value);
    virtual void getParameterLabel(int32_t /*index*/, char* label) { ClearText(label); }
    virtual void getParameterDisplay(int32_t /*index*/, char* text) { ClearText(text); }
    virtual void getParameterName(int32_t /*index*/, char* text) { ClearText(text); }
    // [any] Value-to-text helpers for parameter displays; they touch nothing shared.
    virtual void dB2string(float value, char* text, int32_t maxLen);
    virtual void Hz2string(float samples, char* text, int32_t maxLen);
    virtual void ms2string(float samples, char* text, int32_t maxLen);
    virtual void float2string(float value, char* text, int32_t maxLen);
    virtual void int2string(int32_t value, char* text, int32_t maxLen);

    // Programs and state.
    // [any] Hosts ask for program names and save and restore state from any thread.
    virtual int32_t getProgram() { return curProgram_.load(std::memory_order_relaxed); }
    virtual void setProgram(int32_t program) {
        curProgram_.store(program, std::memory_order_relaxed);
    }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name) { ClearText(name); }
    virtual int32_t getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual int32_t setChunk(void* /*data*/, int32_t /*byteSize*/, bool /*isPreset*/) { return 0; }

    // Processing.
    // [main] effOpen.
    virtual void open() {}
    // [main & open] effClose and effMainsChanged; audio runs only between resume and suspend.
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    // [main] Stored; the runtime reads them back at its next initialisation.
    virtual void setSampleRate(float sampleRate) { sampleRate_ = sampleRate; }
    virtual void setBlockSize(int32_t blockSize) { blockSize_ = blockSize; }
    // [any]
    virtual float getSampleRate() { return sampleRate_; }
    virtual int32_t getBlockSize() { return blockSize_; }
    // [audio & resumed]
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        int32_t /*sampleFrames*/) {}
    // [audio & resumed] The old accumulating process call.
    virtual void process(float** /*inputs*/, float** /*outputs*/, int32_t /*sampleFrames*/) {}
    // [any]
    virtual float getVu() { return 0.0f; }

    // Editor.
    // [main]
    virtual AEffEditor* getEditor() { return editor_; }

    // Host requests: calls through the host callback.
    // [any]
    virtual int32_t getMasterVersion();
    // [main]
    virtual int32_t getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);

    // [main] Sets or clears the has-editor flag with the editor.
    void setEditor(AEffEditor* editor);

  protected:
    // Calls the host with this record first; 0 when the host gave no callback.
    intptr_t CallHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void SetFlag(int32_t flag, bool state);
    static void ClearText(char* text) {
        if (text) *text = 0;
    }

    audioMasterCallback audioMaster_;
    AEffEditor* editor_;
    float sampleRate_;
    int32_t blockSize_;
    int32_t numPrograms_;
    int32_t numParams_;
    // Atomic: hosts select and read programs from any thread.
    std::atomic<int32_t> curProgram_;
    AEffect cEffect_;
};
