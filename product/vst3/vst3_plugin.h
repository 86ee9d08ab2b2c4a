// One VST 3 instance of the product's effect: a single object that is the component, the audio
// processor and the edit controller at once (hosts then never split it), hosting the effect
// record through HostedEffect. Stereo buses only: the effect's inputs and outputs in pairs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "product/hosted_effect.h"
#include "product/vst3/vst3_changes.h"
#include "product/vst3/vst3_component_abi.h"
#include "product/vst3/vst3_controller_abi.h"
#include "product/vst3/vst3_time.h"

namespace vst3 {

// IComponent and IEditController declare setState and getState alike, so one definition would
// fill both interfaces' slots. These two layers route each interface's pair to its own name.
template <typename Self>
class ComponentStateSlots : public IComponent {
  public:
    tresult VST3_API setState(IBStream* state) final {
        return static_cast<Self*>(this)->SetComponentState(state);
    }
    tresult VST3_API getState(IBStream* state) final {
        return static_cast<Self*>(this)->GetComponentState(state);
    }

  protected:
    ~ComponentStateSlots() = default;
};

template <typename Self>
class ControllerStateSlots : public IEditController {
  public:
    tresult VST3_API setState(IBStream* state) final {
        return static_cast<Self*>(this)->SetControllerState(state);
    }
    tresult VST3_API getState(IBStream* state) final {
        return static_cast<Self*>(this)->GetControllerState(state);
    }

  protected:
    ~ControllerStateSlots() = default;
};

class Vst3Plugin final : public ComponentStateSlots<Vst3Plugin>,
                         public IAudioProcessor,
                         public IProcessContextRequirements,
                         public ControllerStateSlots<Vst3Plugin> {
  public:
    // [main] A new instance with one reference (the caller's), or null when the effect cannot
    // be made. The effect is open from here on, so every call can be answered.
    static Vst3Plugin* Create();

    // FUnknown, for every interface. [any]
    tresult VST3_API queryInterface(const char* iid, void** obj) override;
    uint32_t VST3_API addRef() override;
    uint32_t VST3_API release() override;

    // IPluginBase, shared by the component and the controller. [main]
    tresult VST3_API initialize(FUnknown* context) override;
    tresult VST3_API terminate() override;

    // IComponent. [main]
    tresult VST3_API getControllerClassId(char* classId) override;
    tresult VST3_API setIoMode(int32_t mode) override;
    int32_t VST3_API getBusCount(int32_t type, int32_t dir) override;
    tresult VST3_API getBusInfo(int32_t type, int32_t dir, int32_t index, BusInfo* bus) override;
    tresult VST3_API getRoutingInfo(RoutingInfo* in, RoutingInfo* out) override;
    tresult VST3_API activateBus(int32_t type, int32_t dir, int32_t index, TBool state) override;
    tresult VST3_API setActive(TBool state) override;
    // [main] May come while process() runs on another thread: the effect's state calls take
    // their own lock and the audio path none. A stream that is not exactly a chunk this
    // effect writes (short, long or another header) is refused and changes nothing.
    tresult SetComponentState(IBStream* state);
    tresult GetComponentState(IBStream* state);

    // IAudioProcessor. [main] except process() [audio] and setProcessing() [any].
    tresult VST3_API setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                        SpeakerArrangement* outputs, int32_t numOuts) override;
    tresult VST3_API getBusArrangement(int32_t dir, int32_t index,
                                       SpeakerArrangement* arr) override;
    tresult VST3_API canProcessSampleSize(int32_t symbolicSampleSize) override;
    uint32_t VST3_API getLatencySamples() override;
    tresult VST3_API setupProcessing(ProcessSetup* setup) override;
    tresult VST3_API setProcessing(TBool state) override;
    // [audio] Never allocates or locks. Parameter points are applied at their offsets.
    tresult VST3_API process(ProcessData* data) override;
    uint32_t VST3_API getTailSamples() override;

    // IProcessContextRequirements. [main]
    uint32_t VST3_API getProcessContextRequirements() override;

    // IEditController. [main] Values are read from and written to the effect itself, so what
    // the controller reports is always what routes.
    tresult VST3_API setComponentState(IBStream* state) override;
    tresult SetControllerState(IBStream* state);
    tresult GetControllerState(IBStream* state);
    int32_t VST3_API getParameterCount() override;
    tresult VST3_API getParameterInfo(int32_t paramIndex, ParameterInfo* info) override;
    tresult VST3_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                           char16_t* string) override;
    tresult VST3_API getParamValueByString(ParamID id, char16_t* string,
                                           ParamValue* valueNormalized) override;
    ParamValue VST3_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
    ParamValue VST3_API plainParamToNormalized(ParamID id, ParamValue plainValue) override;
    ParamValue VST3_API getParamNormalized(ParamID id) override;
    // [any] Sets the effect at once, as a VST 2 host's setParameter; never calls the handler.
    tresult VST3_API setParamNormalized(ParamID id, ParamValue value) override;
    tresult VST3_API setComponentHandler(IComponentHandler* handler) override;
    void* VST3_API createView(const char* name) override;

  private:
    explicit Vst3Plugin(std::unique_ptr<HostedEffect> effect);
    ~Vst3Plugin();
    int32_t Buses(int32_t dir) const;
    bool ValidBus(int32_t type, int32_t dir, int32_t index) const;
    template <typename Sample>
    void Route(const ProcessData& data, std::vector<Sample*>& in, std::vector<Sample*>& out);

    std::atomic<uint32_t> references_{1};
    std::unique_ptr<HostedEffect> effect_;
    IComponentHandler* handler_ = nullptr;
    // One bit per bus; a host may switch buses off, and hosts that never call activateBus
    // still get every bus.
    std::atomic<uint32_t> activeInputs_{~0u};
    std::atomic<uint32_t> activeOutputs_{~0u};
    // Made before processing, so process() never allocates.
    Vst3Changes changes_;
    Vst3Time time_;
    std::vector<float*> floatIn_, floatOut_;
    std::vector<double*> doubleIn_, doubleOut_;
};

}  // namespace vst3
