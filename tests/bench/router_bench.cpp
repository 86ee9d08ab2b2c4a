// Times the router's two process paths through its exported entry, next to a plain copy of
// the same sixteen channels.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/vst2_abi.h"

namespace {

constexpr int kChannels = 16;
enum Buses { kAllOff = 0, kAllOn = 1, kAlternating = 2 };

VstTimeInfo gTime{};

intptr_t VSTCALLBACK Host(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return reinterpret_cast<intptr_t>(&gTime);
    return 0;
}

AEffect* OpenRouter() {
    static void* library = dlopen(LOTTA_ROUTER_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "cannot load %s: %s\n", LOTTA_ROUTER_PATH, dlerror());
        std::exit(1);
    }
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    AEffect* effect = entry ? entry(Host) : nullptr;
    if (!effect) std::exit(1);
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    return effect;
}

void SetBuses(AEffect* effect, int64_t pattern) {
    for (int32_t p = 0; p < 8; ++p) {
        float on = pattern == kAllOn || (pattern == kAlternating && p % 2 == 0) ? 1.0f : 0.0f;
        effect->setParameter(effect, p, on);
    }
}

template <typename Sample>
struct Buffers {
    explicit Buffers(int frames)
        : in(kChannels, std::vector<Sample>(frames)), out(kChannels, std::vector<Sample>(frames)) {
        for (int c = 0; c < kChannels; ++c) {
            for (int j = 0; j < frames; ++j) in[c][j] = static_cast<Sample>((j % 97) * 0.01 - c);
            inPtr.push_back(in[c].data());
            outPtr.push_back(out[c].data());
        }
    }
    std::vector<std::vector<Sample>> in, out;
    std::vector<Sample*> inPtr, outPtr;
};

void Process(AEffect* effect, float** in, float** out, int32_t frames) {
    effect->processReplacing(effect, in, out, frames);
}
void Process(AEffect* effect, double** in, double** out, int32_t frames) {
    effect->processDoubleReplacing(effect, in, out, frames);
}

// processReplacing for float, processDoubleReplacing for double.
template <typename Sample>
void BM_Router(benchmark::State& state) {
    AEffect* effect = OpenRouter();
    SetBuses(effect, state.range(1));
    const auto frames = static_cast<int32_t>(state.range(0));
    Buffers<Sample> b(frames);
    for (auto _ : state) {
        Process(effect, b.inPtr.data(), b.outPtr.data(), frames);
        benchmark::DoNotOptimize(b.out[15][0]);
    }
    state.SetItemsProcessed(state.iterations() * frames);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

template <typename Sample>
void BM_PlainCopy(benchmark::State& state) {
    const auto frames = static_cast<int>(state.range(0));
    Buffers<Sample> b(frames);
    for (auto _ : state) {
        for (int c = 0; c < kChannels; ++c) {
            std::memcpy(b.outPtr[c], b.inPtr[c], sizeof(Sample) * static_cast<size_t>(frames));
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

void RouterArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"frames", "buses"});
    for (int frames : {32, 512, 4096}) {
        for (int buses : {kAllOff, kAllOn, kAlternating}) b->Args({frames, buses});
    }
}

}  // namespace

BENCHMARK(BM_Router<float>)->Apply(RouterArgs);
BENCHMARK(BM_Router<double>)->Apply(RouterArgs);
BENCHMARK(BM_PlainCopy<float>)->ArgName("frames")->Arg(32)->Arg(512)->Arg(4096);
BENCHMARK(BM_PlainCopy<double>)->ArgName("frames")->Arg(32)->Arg(512)->Arg(4096);

BENCHMARK_MAIN();
