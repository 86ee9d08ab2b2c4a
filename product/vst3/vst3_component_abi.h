// The VST 3 component: IComponent with its bus records, the processor side (IAudioProcessor,
// the process records, the parameter changes that come with a block) and the context
// requirements a processor declares. Pinned per target below each record.
#pragma once

#include "product/vst3/vst3_base.h"

namespace vst3 {

enum MediaType : int32_t { kAudio = 0, kEvent = 1 };
enum BusDirection : int32_t { kInput = 0, kOutput = 1 };
enum BusType : int32_t { kMain = 0, kAux = 1 };
enum BusFlags : uint32_t { kDefaultActive = 1u << 0, kIsControlVoltage = 1u << 1 };
enum SymbolicSampleSize : int32_t { kSample32 = 0, kSample64 = 1 };
enum ProcessMode : int32_t { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
inline constexpr SpeakerArrangement kStereo = 0x3;  // left and right
inline constexpr uint32_t kNoTail = 0;

struct BusInfo {
    int32_t mediaType;
    int32_t direction;
    int32_t channelCount;
    char16_t name[128];
    int32_t busType;
    uint32_t flags;
};

struct RoutingInfo {
    int32_t mediaType;
    int32_t busIndex;
    int32_t channel;  // -1: all
};

class IComponent : public IPluginBase {
  public:
    static constexpr Uid iid = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
    virtual tresult VST3_API getControllerClassId(char* classId) = 0;
    virtual tresult VST3_API setIoMode(int32_t mode) = 0;
    virtual int32_t VST3_API getBusCount(int32_t type, int32_t dir) = 0;
    virtual tresult VST3_API getBusInfo(int32_t type, int32_t dir, int32_t index, BusInfo* bus) = 0;
    virtual tresult VST3_API getRoutingInfo(RoutingInfo* in, RoutingInfo* out) = 0;
    virtual tresult VST3_API activateBus(int32_t type, int32_t dir, int32_t index, TBool state) = 0;
    virtual tresult VST3_API setActive(TBool state) = 0;
    virtual tresult VST3_API setState(IBStream* state) = 0;
    virtual tresult VST3_API getState(IBStream* state) = 0;

  protected:
    ~IComponent() = default;
};

struct ProcessSetup {
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t maxSamplesPerBlock;
    double sampleRate;
};

struct AudioBusBuffers {
    int32_t numChannels;
    uint64_t silenceFlags;  // bit i: channel i is silent
    union {
        float** channelBuffers32;
        double** channelBuffers64;
    };
};

struct Chord {
    uint8_t keyNote;
    uint8_t rootNote;
    int16_t chordMask;
};

struct FrameRate {
    uint32_t framesPerSecond;
    uint32_t flags;
};

struct ProcessContext {
    enum StatesAndFlags : uint32_t {
        kPlaying = 1u << 1,
        kCycleActive = 1u << 2,
        kRecording = 1u << 3,
        kSystemTimeValid = 1u << 8,
        kProjectTimeMusicValid = 1u << 9,
        kTempoValid = 1u << 10,
        kBarPositionValid = 1u << 11,
        kCycleValid = 1u << 12,
        kTimeSigValid = 1u << 13,
        kSmpteValid = 1u << 14,
        kClockValid = 1u << 15,
        kContTimeValid = 1u << 17,
        kChordValid = 1u << 18,
    };
    uint32_t state;
    double sampleRate;
    int64_t projectTimeSamples;
    int64_t systemTime;
    int64_t continousTimeSamples;
    double projectTimeMusic;
    double barPositionMusic;
    double cycleStartMusic;
    double cycleEndMusic;
    double tempo;
    int32_t timeSigNumerator;
    int32_t timeSigDenominator;
    Chord chord;
    int32_t smpteOffsetSubframes;
    FrameRate frameRate;
    int32_t samplesToNextClock;
};

class IParamValueQueue : public FUnknown {
  public:
    static constexpr Uid iid = MakeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
    virtual ParamID VST3_API getParameterId() = 0;
    virtual int32_t VST3_API getPointCount() = 0;
    virtual tresult VST3_API getPoint(int32_t index, int32_t* sampleOffset, ParamValue* value) = 0;
    virtual tresult VST3_API addPoint(int32_t sampleOffset, ParamValue value, int32_t* index) = 0;

  protected:
    ~IParamValueQueue() = default;
};

class IParameterChanges : public FUnknown {
  public:
    static constexpr Uid iid = MakeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
    virtual int32_t VST3_API getParameterCount() = 0;
    virtual IParamValueQueue* VST3_API getParameterData(int32_t index) = 0;
    virtual IParamValueQueue* VST3_API addParameterData(const ParamID* id, int32_t* index) = 0;

  protected:
    ~IParameterChanges() = default;
};

struct ProcessData {
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t numSamples;
    int32_t numInputs;
    int32_t numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    void* inputEvents;  // IEventList, unused: no event buses
    void* outputEvents;
    ProcessContext* processContext;
};

class IAudioProcessor : public FUnknown {
  public:
    static constexpr Uid iid = MakeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
    virtual tresult VST3_API setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                                SpeakerArrangement* outputs, int32_t numOuts) = 0;
    virtual tresult VST3_API getBusArrangement(int32_t dir, int32_t index,
                                               SpeakerArrangement* arr) = 0;
    virtual tresult VST3_API canProcessSampleSize(int32_t symbolicSampleSize) = 0;
    virtual uint32_t VST3_API getLatencySamples() = 0;
    virtual tresult VST3_API setupProcessing(ProcessSetup* setup) = 0;
    virtual tresult VST3_API setProcessing(TBool state) = 0;
    virtual tresult VST3_API process(ProcessData* data) = 0;
    virtual uint32_t VST3_API getTailSamples() = 0;

  protected:
    ~IAudioProcessor() = default;
};

// Reached through queryInterface on the processor; its own vtable holds FUnknown and one method.
class IProcessContextRequirements : public FUnknown {
  public:
    static constexpr Uid iid = MakeUid(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);
    enum Flags : uint32_t {
        kNeedSystemTime = 1u << 0,
        kNeedContinousTimeSamples = 1u << 1,
        kNeedProjectTimeMusic = 1u << 2,
        kNeedBarPositionMusic = 1u << 3,
        kNeedCycleMusic = 1u << 4,
        kNeedSamplesToNextClock = 1u << 5,
        kNeedTempo = 1u << 6,
        kNeedTimeSignature = 1u << 7,
        kNeedChord = 1u << 8,
        kNeedFrameRate = 1u << 9,
        kNeedTransportState = 1u << 10,
    };
    virtual uint32_t VST3_API getProcessContextRequirements() = 0;

  protected:
    ~IProcessContextRequirements() = default;
};

static_assert(offsetof(BusInfo, name) == 12 && offsetof(BusInfo, busType) == 268 &&
                  offsetof(BusInfo, flags) == 272 && sizeof(BusInfo) == 276,
              "bus info layout, every target");
static_assert(sizeof(RoutingInfo) == 12, "routing info layout, every target");
static_assert(offsetof(ProcessSetup, maxSamplesPerBlock) == 8, "process setup layout");
static_assert(kL32 ? offsetof(ProcessSetup, sampleRate) == 12 && sizeof(ProcessSetup) == 20
                   : offsetof(ProcessSetup, sampleRate) == 16 && sizeof(ProcessSetup) == 24,
              "process setup layout (64-bit and 32-bit Windows; 32-bit Linux)");
static_assert(kL32 ? offsetof(AudioBusBuffers, silenceFlags) == 4 &&
                         offsetof(AudioBusBuffers, channelBuffers32) == 12 &&
                         sizeof(AudioBusBuffers) == 16
                   : offsetof(AudioBusBuffers, silenceFlags) == 8 &&
                         offsetof(AudioBusBuffers, channelBuffers32) == 16 &&
                         sizeof(AudioBusBuffers) == 24,
              "audio bus buffers layout");
static_assert(offsetof(ProcessData, numOutputs) == 16, "process data layout");
static_assert(!k64 ||
                  (offsetof(ProcessData, inputs) == 24 && offsetof(ProcessData, outputs) == 32 &&
                   offsetof(ProcessData, inputParameterChanges) == 40 &&
                   offsetof(ProcessData, outputParameterChanges) == 48 &&
                   offsetof(ProcessData, inputEvents) == 56 &&
                   offsetof(ProcessData, outputEvents) == 64 &&
                   offsetof(ProcessData, processContext) == 72 && sizeof(ProcessData) == 80),
              "process data layout, 64-bit");
static_assert(k64 || (offsetof(ProcessData, inputs) == 20 && offsetof(ProcessData, outputs) == 24 &&
                      offsetof(ProcessData, inputParameterChanges) == 28 &&
                      offsetof(ProcessData, outputParameterChanges) == 32 &&
                      offsetof(ProcessData, inputEvents) == 36 &&
                      offsetof(ProcessData, outputEvents) == 40 &&
                      offsetof(ProcessData, processContext) == 44 && sizeof(ProcessData) == 48),
              "process data layout, 32-bit");
static_assert(sizeof(Chord) == 4 && sizeof(FrameRate) == 8, "context parts");
static_assert(kL32 || (offsetof(ProcessContext, sampleRate) == 8 &&
                       offsetof(ProcessContext, projectTimeSamples) == 16 &&
                       offsetof(ProcessContext, systemTime) == 24 &&
                       offsetof(ProcessContext, continousTimeSamples) == 32 &&
                       offsetof(ProcessContext, projectTimeMusic) == 40 &&
                       offsetof(ProcessContext, barPositionMusic) == 48 &&
                       offsetof(ProcessContext, cycleStartMusic) == 56 &&
                       offsetof(ProcessContext, cycleEndMusic) == 64 &&
                       offsetof(ProcessContext, tempo) == 72 &&
                       offsetof(ProcessContext, timeSigNumerator) == 80 &&
                       offsetof(ProcessContext, timeSigDenominator) == 84 &&
                       offsetof(ProcessContext, chord) == 88 &&
                       offsetof(ProcessContext, smpteOffsetSubframes) == 92 &&
                       offsetof(ProcessContext, frameRate) == 96 &&
                       offsetof(ProcessContext, samplesToNextClock) == 104 &&
                       sizeof(ProcessContext) == 112),
              "process context layout, 64-bit and 32-bit Windows");
static_assert(!kL32 || (offsetof(ProcessContext, sampleRate) == 4 &&
                        offsetof(ProcessContext, projectTimeSamples) == 12 &&
                        offsetof(ProcessContext, projectTimeMusic) == 36 &&
                        offsetof(ProcessContext, tempo) == 68 &&
                        offsetof(ProcessContext, timeSigNumerator) == 76 &&
                        offsetof(ProcessContext, frameRate) == 92 &&
                        offsetof(ProcessContext, samplesToNextClock) == 100 &&
                        sizeof(ProcessContext) == 104),
              "process context layout, 32-bit Linux");

}  // namespace vst3
