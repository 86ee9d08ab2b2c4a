// The flat services the runtime calls on its adapter. Each takes the adapter first,
// tolerates a null adapter (answering 0 and leaving out-arguments untouched) and answers
// 1 for success, 0 for failure.
#pragma once

#include <cstdint>

#include "plugin/vst2_abi.h"

class COrbel;
class TZolt;

AEffect* getAEffect(COrbel* adapter);
TZolt* getEffectObject(COrbel* adapter);

int32_t getNumInputs(COrbel* adapter);
int32_t getNumOutputs(COrbel* adapter);
// [loading thread] Called once, from the runtime's attach.
int32_t setNumInputs(COrbel* adapter, int32_t count);
int32_t setNumOutputs(COrbel* adapter, int32_t count);
int32_t setUniqueId(COrbel* adapter, int32_t identifier);
int32_t setProgramsAreChunks(COrbel* adapter, int32_t flag);

float getSampleRate(COrbel* adapter);
int32_t getBlockSize(COrbel* adapter);

// [audio thread] Each asks the host afresh; 0 when the host gives no time record.
double getTempo(COrbel* adapter);
double getPpqPos(COrbel* adapter);
double getBarStartPos(COrbel* adapter);
int32_t isPlaying(COrbel* adapter);
int32_t isRecording(COrbel* adapter);
int32_t getTimeSignature(COrbel* adapter, double* tempo, double* numerator, double* denominator);

int32_t setInitialDelay(COrbel* adapter, int32_t samples);
int32_t setIsSynth(COrbel* adapter, int32_t flag);
int32_t setParameterAutomated(COrbel* adapter, int32_t index, double value);
int32_t updateDisplay(COrbel* adapter);
int32_t sendMidi(COrbel* adapter, int32_t deltaFrames, int32_t status, int32_t data1,
                 int32_t data2);
int32_t sendSysex(COrbel* adapter, int32_t deltaFrames, char* dump, int32_t byteCount);
// [audio thread] Takes the next received MIDI event; status and data arrive sign-extended.
int32_t getMidiEvent(COrbel* adapter, int32_t* deltaFrames, int32_t* status, int32_t* data1,
                     int32_t* data2);

int32_t getHostLanguage(COrbel* adapter);
int32_t getHostProductString(COrbel* adapter, char* text);
int32_t getHostVendorString(COrbel* adapter, char* text);
int32_t getHostVendorVersion(COrbel* adapter);
int32_t getMasterVersion(COrbel* adapter);
int32_t getCurrentUniqueId(COrbel* adapter);
int32_t masterIdle(COrbel* adapter);
