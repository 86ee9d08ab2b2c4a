// The extended VST 2 effect base: the opcodes 25 to 79 and the rest of the host requests.
#pragma once

#include <cstdint>

#include "plugin/audio_effect.h"

// The capability vocabulary, as exchanged through effCanDo and audioMasterCanDo.
extern const char* const kPlugCanDos[8];
extern const char* const kHostCanDos[14];

class AudioEffectX : public AudioEffect {
  public:
    // [main]
    AudioEffectX(audioMasterCallback hostCallback, int32_t numPrograms, int32_t numParams);

    // [any] Each opcode keeps the contract of the operation it reaches.
    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                        float opt) override;

    // Identity: what the host asks about the effect, mostly while it loads and lists it.
    // [main]
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual int32_t canDo(char* /*text*/) { return 0; }
    virtual int32_t getVstVersion() { return 2400; }
    virtual int32_t getPlugCategory();
    virtual int32_t getNextShellPlugin(char* /*name*/) { return 0; }
    virtual int32_t getGetTailSize() { return 0; }
    virtual int32_t getNumMidiInputChannels() { return 0; }
    virtual int32_t getNumMidiOutputChannels() { return 0; }
    virtual bool getInputProperties(int32_t /*index*/, VstPinProperties* /*p*/) { return false; }
    virtual bool getOutputProperties(int32_t /*index*/, VstPinProperties* /*p*/) { return false; }
    virtual bool getErrorText(char* /*text*/) { return false; }
    // [main] Flags of the record, set before the host reads them.
    virtual void isSynth(bool state) { SetFlag(effFlagsIsSynth, state); }
    virtual void noTail(bool state) { SetFlag(effFlagsNoSoundInStop, state); }
    virtual void wantAsyncOperation(bool state) { SetFlag(effFlagsExtIsAsync, state); }
    virtual void hasExternalBuffer(bool state) { SetFlag(effFlagsExtHasBuffer, state); }
    // [any] Hosts use it for their own extensions, from whichever thread they like.
    virtual intptr_t vendorSpecific(int32_t /*a*/, intptr_t /*b*/, void* /*ptr*/, float /*opt*/) {
        return 0;
    }

    // Parameters.
    // [any] Like the other parameter queries.
    virtual bool canParameterBeAutomated(int32_t /*index*/) { return true; }
    virtual bool string2parameter(int32_t /*index*/, char* /*text*/) { return false; }
    virtual bool getParameterProperties(int32_t /*index*/, VstParameterProperties* /*p*/) {
        return false;
    }

    // Programs and state.
    // [any] Program names and the calls that bracket a program change or a state load.
    virtual bool getProgramNameIndexed(int32_t /*category*/, int32_t /*index*/, char* /*text*/) {
        return false;
    }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual int32_t beginLoadBank(VstPatchChunkInfo* /*info*/) { return 0; }
    virtual int32_t beginLoadProgram(VstPatchChunkInfo* /*info*/) { return 0; }
    virtual bool copyProgram(int32_t /*destination*/) { return false; }
    virtual int32_t getNumCategories() { return 1; }
    // [main] Hosts list MIDI programs and key names for their user interface.
    virtual int32_t getMidiProgramName(int32_t /*channel*/, MidiProgramName* /*name*/) { return 0; }
    virtual int32_t getCurrentMidiProgram(int32_t /*channel*/, MidiProgramName* /*current*/) {
        return -1;
    }
    virtual int32_t getMidiProgramCategory(int32_t /*channel*/, MidiProgramCategory* /*c*/) {
        return 0;
    }
    virtual bool hasMidiProgramsChanged(int32_t /*channel*/) { return false; }
    virtual bool getMidiKeyName(int32_t /*channel*/, MidiKeyName* /*keyName*/) { return false; }

    // Processing.
    // [main & open] Asks the host for MIDI when this effect is a synth or says it can receive
    // MIDI.
    void resume() override;
    // [main] Set-up changes, which hosts are meant to make while the effect is suspended.
    virtual void setBlockSizeAndSampleRate(int32_t blockSize, float sampleRate) {
        blockSize_ = blockSize;
        sampleRate_ = sampleRate;
    }
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*input*/,
                                       VstSpeakerArrangement* /*output*/) {
        return false;
    }
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input,
                                       VstSpeakerArrangement** output);
    virtual bool setPanLaw(int32_t /*type*/, float /*value*/) { return false; }
    virtual bool setProcessPrecision(int32_t /*precision*/) { return false; }
    virtual void inputConnected(int32_t /*index*/, bool /*state*/) {}
    virtual void outputConnected(int32_t /*index*/, bool /*state*/) {}
    // [any] Helpers for speaker arrangements; they touch nothing shared.
    virtual bool allocateArrangement(VstSpeakerArrangement** /*arrangement*/, int32_t /*n*/) {
        return false;
    }
    virtual bool deallocateArrangement(VstSpeakerArrangement** /*arrangement*/) { return false; }
    virtual bool copySpeaker(void* /*to*/, void* /*from*/) { return false; }
    virtual bool matchArrangement(VstSpeakerArrangement** /*to*/, VstSpeakerArrangement* /*f*/) {
        return false;
    }
    // [any & resumed] Hosts differ in the thread that brackets processing.
    virtual int32_t startProcess() { return 0; }
    virtual int32_t stopProcess() { return 0; }
    // [any] Hosts bypass from their audio thread as often as from their user interface.
    virtual bool setBypass(bool /*onOff*/) { return false; }
    // [audio & resumed] Events arrive before the block they belong to.
    virtual int32_t processEvents(VstEvents* /*events*/) { return 0; }
    virtual bool processVariableIo(VstVariableIo* /*io*/) { return false; }
    virtual int32_t reportCurrentPosition() { return 0; }
    virtual float* reportDestinationBuffer() { return nullptr; }
    // [any] Offline processing runs on a thread of the host's choosing.
    virtual int32_t setTotalSampleToProcess(int32_t value) { return value; }
    virtual bool offlineNotify(VstAudioFile* /*files*/, int32_t /*n*/, bool /*start*/) {
        return false;
    }
    virtual bool offlinePrepare(VstOfflineTask* /*offline*/, int32_t /*count*/) { return false; }
    virtual bool offlineRun(VstOfflineTask* /*offline*/, int32_t /*count*/) { return false; }
    virtual int32_t offlineGetNumPasses() { return 0; }
    virtual int32_t offlineGetNumMetaPasses() { return 0; }

    // Editor.
    // [main]
    virtual void* getIcon() { return nullptr; }
    virtual bool setViewPosition(int32_t /*x*/, int32_t /*y*/) { return false; }
    virtual bool keysRequired() { return false; }
    virtual int32_t fxIdle() { return 0; }

    // Host requests: calls through the host callback; 0 (false, null) without one.
    // [main] Parameter gestures, set-up changes and the editor's window.
    virtual bool beginEdit(int32_t index);
    virtual bool endEdit(int32_t index);
    virtual bool ioChanged();
    virtual double updateSampleRate();
    virtual int32_t updateBlockSize();
    virtual int32_t getInputLatency();
    virtual int32_t getOutputLatency();
    virtual int32_t setOutputSamplerate(float samplerate);
    virtual VstSpeakerArrangement* getInputSpeakerArrangement();
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement();
    virtual int32_t willProcessReplacing();
    virtual AEffect* getPreviousPlug(int32_t input);
    virtual AEffect* getNextPlug(int32_t output);
    virtual int32_t getNumAutomatableParameters();
    virtual int32_t getParameterQuantization();
    virtual bool needIdle();
    virtual bool sizeWindow(int32_t width, int32_t height);
    virtual bool openFileSelector(VstFileSelect* selector);
    virtual bool closeFileSelector(VstFileSelect* selector);
    virtual int32_t openWindow(VstWindow* window);
    virtual bool closeWindow(VstWindow* window);
    // [main] The host's identity.
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual int32_t getHostVendorVersion();
    virtual bool canHostDo(char* text);
    virtual int32_t getHostLanguage();
    virtual void* getDirectory();
    // [main & open] From resume.
    virtual void wantEvents(int32_t filter = 1);
    // [any] Hosts answer time, automation, display and vendor requests on any thread, [audio]
    // included: the block section asks for the time there.
    virtual VstTimeInfo* getTimeInfo(int32_t filter);
    virtual int32_t tempoAt(int32_t pos);
    virtual int32_t getCurrentProcessLevel();
    virtual int32_t getAutomationState();
    virtual bool updateDisplay();
    virtual intptr_t hostVendorSpecific(int32_t arg1, intptr_t arg2, void* ptr, float opt);
    // [any] Offline processing and state loads run on threads of the host's choosing.
    virtual bool offlineRead(VstOfflineTask* offline, int32_t option, bool readSource);
    virtual bool offlineWrite(VstOfflineTask* offline, int32_t option);
    virtual bool offlineStart(VstAudioFile* files, int32_t numAudioFiles, int32_t numNewAudioFiles);
    virtual int32_t offlineGetCurrentPass();
    virtual int32_t offlineGetCurrentMetaPass();
    virtual bool getChunkFile(void* nativePath);

    // [audio & resumed] Hosts take outgoing events only while they process.
    bool sendVstEventsToHost(VstEvents* events);
};
