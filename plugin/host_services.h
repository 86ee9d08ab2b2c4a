// The flat services the runtime calls on its adapter. Each takes the adapter first,
// tolerates a null adapter (answering 0 and leaving out-arguments untouched) and answers
// 1 for success, 0 for failure.
#pragma once

#include <cstdint>

#include "plugin/vst2_abi.h"

class COrbel;
class TZolt;

// [any] Plain reads of the adapter.
AEffect* getAEffect(COrbel* adapter);
TZolt* getEffectObject(COrbel* adapter);
int32_t getNumInputs(COrbel* adapter);
int32_t getNumOutputs(COrbel* adapter);

// [main] Called once, from the runtime's attach, before the host reads the record.
int32_t setNumInputs(COrbel* adapter, int32_t count);
int32_t setNumOutputs(COrbel* adapter, int32_t count);
int32_t setUniqueId(COrbel* adapter, int32_t identifier);
int32_t setProgramsAreChunks(COrbel* adapter, int32_t flag);

// [any] The values the host last set; read by the initialisation section.
float getSampleRate(COrbel* adapter);
int32_t getBlockSize(COrbel* adapter);

// [any] 0 when the host gives no time record. Within a process call, on its thread, they all
// read the one record the call's first query asked for (COrbel::timeInfo); elsewhere each
// asks the host afresh. The block section calls them on [audio], the initialisation section
// asks for the tempo.
double getTempo(COrbel* adapter);
double getPpqPos(COrbel* adapter);
double getBarStartPos(COrbel* adapter);
int32_t isPlaying(COrbel* adapter);
int32_t isRecording(COrbel* adapter);
int32_t getTimeSignature(COrbel* adapter, double* tempo, double* numerator, double* denominator);

// [audio] The process call's one time record (COrbel::blockTimeInfo), for a block section that
// reads several of the values above at once: the same record they answer from, without a
// thread check per query. Null when the host gives none.
const VstTimeInfo* getBlockTimeInfo(COrbel* adapter);

// [any] Stores the latency in the record, no host request: the block section reports it.
int32_t setInitialDelay(COrbel* adapter, int32_t samples);
// [main] Before the host reads the record's flags.
int32_t setIsSynth(COrbel* adapter, int32_t flag);
// [any] Sets the parameter, then tells the host, which records automation from any thread.
int32_t setParameterAutomated(COrbel* adapter, int32_t index, double value);
// [any] The block section asks for it on [audio], at most every quarter second.
int32_t updateDisplay(COrbel* adapter);
// [audio & resumed] Hosts take outgoing events only while they process.
int32_t sendMidi(COrbel* adapter, int32_t deltaFrames, int32_t status, int32_t data1,
                 int32_t data2);
int32_t sendSysex(COrbel* adapter, int32_t deltaFrames, char* dump, int32_t byteCount);
// [audio & resumed] Takes the next received MIDI event; status and data arrive sign-extended.
// The one reader of the ring that processEvents fills on the same thread.
int32_t getMidiEvent(COrbel* adapter, int32_t* deltaFrames, int32_t* status, int32_t* data1,
                     int32_t* data2);

// [main] The host's identity and idle.
int32_t getHostLanguage(COrbel* adapter);
int32_t getHostProductString(COrbel* adapter, char* text);
int32_t getHostVendorString(COrbel* adapter, char* text);
int32_t getHostVendorVersion(COrbel* adapter);
int32_t getMasterVersion(COrbel* adapter);
int32_t getCurrentUniqueId(COrbel* adapter);
int32_t masterIdle(COrbel* adapter);
