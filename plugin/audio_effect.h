// The plug-in side of the VST 2 interface: builds the effect record, answers the basic
// opcodes and wraps the host callback.
#pragma once

#include <cstdint>

#include "plugin/aeff_editor.h"
#include "plugin/vst2_abi.h"

class AudioEffect {
  public:
    // [loading thread] Builds the record the host will receive.
    AudioEffect(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams);
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // [host UI/dispatcher thread]
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setSampleRate(float sampleRate) { sampleRate_ = sampleRate; }
    virtual void setBlockSize(int32_t blockSize) { blockSize_ = blockSize; }

    // [audio thread]
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/,
                                        int32_t /*sampleFrames*/) {}

    // [any thread] Hosts automate from their UI or automation threads while audio runs.
    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    virtual float getParameter(int32_t /*index*/) { return 0.0f; }
    virtual void setParameterAutomated(int32_t index, float value);

    virtual int32_t getProgram() { return curProgram_; }
    virtual void setProgram(int32_t program) { curProgram_ = program; }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name) { ClearText(name); }
    virtual void getParameterLabel(int32_t /*index*/, char* label) { ClearText(label); }
    virtual void getParameterDisplay(int32_t /*index*/, char* text) { ClearText(text); }
    virtual void getParameterName(int32_t /*index*/, char* text) { ClearText(text); }

    virtual int32_t getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual int32_t setChunk(void* /*data*/, int32_t /*byteSize*/, bool /*isPreset*/) { return 0; }

    virtual void setUniqueID(int32_t id) { cEffect_.uniqueID = id; }
    virtual void setNumInputs(int32_t inputs) { cEffect_.numInputs = inputs; }
    virtual void setNumOutputs(int32_t outputs) { cEffect_.numOutputs = outputs; }

    virtual void canProcessReplacing(bool state) { SetFlag(effFlagsCanReplacing, state); }
    virtual void canDoubleReplacing(bool state) { SetFlag(effFlagsCanDoubleReplacing, state); }
    virtual void programsAreChunks(bool state) { SetFlag(effFlagsProgramChunks, state); }
    virtual void setInitialDelay(int32_t delay) { cEffect_.initialDelay = delay; }

    virtual AEffEditor* getEditor() { return editor_; }
    virtual AEffect* getAeffect() { return &cEffect_; }
    virtual float getSampleRate() { return sampleRate_; }
    virtual int32_t getBlockSize() { return blockSize_; }

    virtual int32_t getMasterVersion();
    virtual int32_t getCurrentUniqueId();
    virtual void masterIdle();

    virtual void dB2string(float value, char* text, int32_t maxLen);
    virtual void Hz2string(float samples, char* text, int32_t maxLen);
    virtual void ms2string(float samples, char* text, int32_t maxLen);
    virtual void float2string(float value, char* text, int32_t maxLen);
    virtual void int2string(int32_t value, char* text, int32_t maxLen);

    virtual void process(float** /*inputs*/, float** /*outputs*/, int32_t /*sampleFrames*/) {}
    virtual float getVu() { return 0.0f; }
    virtual void hasVu(bool state) { SetFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state) { SetFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state) { SetFlag(effFlagsCanMono, state); }
    virtual void setRealtimeQualities(int32_t qualities) { cEffect_.realQualities = qualities; }
    virtual void setOfflineQualities(int32_t qualities) { cEffect_.offQualities = qualities; }
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);

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
    int32_t curProgram_;
    AEffect cEffect_;
};
