#include "tests/bench/vst3_router.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "product/vst3/vst3_buses.h"
#include "product/vst3/vst3_component_abi.h"
#include "product/vst3/vst3_controller_abi.h"
#include "product/vst3/vst3_factory_abi.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

using namespace vst3;

constexpr Uid kRouterClassId = MakeUid(0x382F6869, 0xD6BA9245, 0x97D7C2CF, 0x2AC1BBBD);

// No queue: what a host passes while no parameter moves.
class NoChanges : public IParameterChanges {
  public:
    tresult VST3_API queryInterface(const char*, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32_t VST3_API addRef() override { return 1; }
    uint32_t VST3_API release() override { return 1; }
    int32_t VST3_API getParameterCount() override { return 0; }
    IParamValueQueue* VST3_API getParameterData(int32_t) override { return nullptr; }
    IParamValueQueue* VST3_API addParameterData(const ParamID*, int32_t*) override {
        return nullptr;
    }
};

// The module stays loaded for the program's life, so no instance outlives its code.
IPluginFactory* Factory() {
    static IPluginFactory* factory = []() -> IPluginFactory* {
        try {
            auto* library = new vst2host::PluginLibrary(LOTTA_ROUTER_VST3_PATH);
            auto entry = reinterpret_cast<bool (*)(void*)>(library->symbol("ModuleEntry"));
            auto get =
                reinterpret_cast<IPluginFactory*(VST3_API*)()>(library->symbol("GetPluginFactory"));
            return entry && entry(nullptr) && get ? get() : nullptr;
        } catch (const vst2host::LoadError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return nullptr;
        }
    }();
    return factory;
}

template <typename Sample>
void Run(benchmark::State& state, IAudioProcessor* processor, int frames, int32_t sampleSize) {
    const size_t length = static_cast<size_t>(std::max(frames, 1));
    std::vector<std::vector<Sample>> in(16, std::vector<Sample>(length));
    std::vector<std::vector<Sample>> out(16, std::vector<Sample>(length));
    Sample* pointers[2][16];
    for (int c = 0; c < 16; ++c) {
        for (size_t j = 0; j < length; ++j) in[c][j] = static_cast<Sample>((j % 97) * 0.01 - c);
        pointers[0][c] = in[c].data();
        pointers[1][c] = out[c].data();
    }
    AudioBusBuffers buses[2][8];
    for (int dir = 0; dir < 2; ++dir) {
        for (int b = 0; b < 8; ++b) {
            buses[dir][b].numChannels = 2;
            buses[dir][b].silenceFlags = 0;
            BusChannels<Sample>(buses[dir][b]) = &pointers[dir][2 * b];
        }
    }
    NoChanges changes;
    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid |
                    ProcessContext::kTimeSigValid | ProcessContext::kProjectTimeMusicValid;
    context.sampleRate = 48000.0;
    context.tempo = 120.0;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;
    ProcessData data{kRealtime, sampleSize, frames,  8,       8,       buses[0],
                     buses[1],  &changes,   nullptr, nullptr, nullptr, &context};
    for (auto _ : state) {
        processor->process(&data);
        benchmark::DoNotOptimize(out[15][0]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

}  // namespace

void Vst3Router(benchmark::State& state, int frames, int buses, bool doublePrecision) {
    IPluginFactory* factory = Factory();
    void* object = nullptr;
    if (!factory || factory->createInstance(kRouterClassId.bytes, IComponent::iid.bytes, &object) !=
                        kResultOk) {
        state.SkipWithError("cannot load the VST 3 plug-in");
        return;
    }
    auto* component = static_cast<IComponent*>(object);
    component->initialize(nullptr);
    component->queryInterface(IAudioProcessor::iid.bytes, &object);
    auto* processor = static_cast<IAudioProcessor*>(object);
    component->queryInterface(IEditController::iid.bytes, &object);
    auto* controller = static_cast<IEditController*>(object);
    for (ParamID p = 0; p < 8; ++p) {
        const bool on = buses == 1 || (buses == 2 && p % 2 == 0);
        controller->setParamNormalized(p, on ? 1.0 : 0.0);
    }
    const int32_t sampleSize = doublePrecision ? kSample64 : kSample32;
    ProcessSetup setup{kRealtime, sampleSize, std::max(frames, 1), 48000.0};
    processor->setupProcessing(&setup);
    component->setActive(1);
    processor->setProcessing(1);
    if (doublePrecision) {
        Run<double>(state, processor, frames, sampleSize);
    } else {
        Run<float>(state, processor, frames, sampleSize);
    }
    processor->setProcessing(0);
    component->setActive(0);
    controller->release();
    processor->release();
    component->terminate();
    component->release();
}
