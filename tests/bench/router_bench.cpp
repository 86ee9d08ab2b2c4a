// Times the router's two process paths through its exported entry, next to a plain copy of
// the same sixteen channels (one memcpy per channel). Each size and precision runs the copy and
// the three bus patterns back to back, so that load from other processes hits them alike.
// Ends with a table: frames, precision, buses, router, copy, and router/copy last, from the
// median of the repetitions when there are several.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "plugin/vst2_abi.h"
#include "tests/bench/time_collector.h"
#include "tools/plugin_loader/plugin_library.h"

#ifdef LOTTA_ROUTER_LV2_PATH
#include <lv2/core/lv2.h>
#endif
#ifdef LOTTA_ROUTER_VST3_PATH
#include "tests/bench/vst3_router.h"
#endif
#ifdef LOTTA_ROUTER_CLAP_PATH
#include "tests/bench/clap_runner.h"
#endif

namespace {

constexpr int kChannels = 16;
enum Buses { kAllOff = 0, kAllOn = 1, kAlternating = 2 };

VstTimeInfo gTime{};

intptr_t VSTCALLBACK Host(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return reinterpret_cast<intptr_t>(&gTime);
    return 0;
}

// The callers keep it for good, so that no instance outlives its code. Null, with the reason
// on stderr, when it cannot be loaded.
const vst2host::PluginLibrary* LoadForGood(const char* path) {
    try {
        return new vst2host::PluginLibrary(path);
    } catch (const vst2host::LoadError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return nullptr;
    }
}

AEffect* OpenRouter() {
    static const vst2host::PluginLibrary* library = LoadForGood(LOTTA_ROUTER_PATH);
    if (!library) std::exit(1);
    const vst2host::PluginEntry entry = library->entry("VSTPluginMain");
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
        : in(kChannels, std::vector<Sample>(std::max(frames, 1))),
          out(kChannels, std::vector<Sample>(std::max(frames, 1))) {
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

// processReplacing for float, processDoubleReplacing for double; the host's time request
// and the rest of the per-call work count in.
template <typename Sample>
void Router(benchmark::State& state, int frames, int buses) {
    AEffect* effect = OpenRouter();
    SetBuses(effect, buses);
    Buffers<Sample> b(frames);
    for (auto _ : state) {
        Process(effect, b.inPtr.data(), b.outPtr.data(), frames);
        benchmark::DoNotOptimize(b.out[15][0]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frames);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

template <typename Sample>
void PlainCopy(benchmark::State& state, int frames) {
    Buffers<Sample> b(frames);
    for (auto _ : state) {
        for (int c = 0; c < kChannels; ++c) {
            std::memcpy(b.outPtr[c], b.inPtr[c], sizeof(Sample) * static_cast<size_t>(frames));
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

#ifdef LOTTA_ROUTER_LV2_PATH
// The LV2 build's run(): control ports read, the effect record driven as a VST 2 host does.
void Lv2Router(benchmark::State& state, int frames, int buses) {
    static const vst2host::PluginLibrary* library = LoadForGood(LOTTA_ROUTER_LV2_PATH);
    using DescriptorFunction = const LV2_Descriptor* (*)(uint32_t);
    auto function =
        library ? reinterpret_cast<DescriptorFunction>(library->symbol("lv2_descriptor")) : nullptr;
    const LV2_Descriptor* descriptor = function ? function(0) : nullptr;
    const LV2_Feature* none[] = {nullptr};
    LV2_Handle handle =
        descriptor ? descriptor->instantiate(descriptor, 48000.0, "", none) : nullptr;
    if (!handle) {
        state.SkipWithError("cannot load the LV2 plug-in");
        return;
    }
    Buffers<float> b(frames);
    float controls[8];
    for (uint32_t c = 0; c < kChannels; ++c) {
        descriptor->connect_port(handle, c, b.inPtr[c]);
        descriptor->connect_port(handle, kChannels + c, b.outPtr[c]);
    }
    for (int p = 0; p < 8; ++p) {
        controls[p] = buses == kAllOn || (buses == kAlternating && p % 2 == 0) ? 1.0f : 0.0f;
        descriptor->connect_port(handle, 2 * kChannels + static_cast<uint32_t>(p), &controls[p]);
    }
    descriptor->activate(handle);
    for (auto _ : state) {
        descriptor->run(handle, static_cast<uint32_t>(frames));
        benchmark::DoNotOptimize(b.out[15][0]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frames);
    descriptor->deactivate(handle);
    descriptor->cleanup(handle);
}
constexpr bool kHaveLv2 = true;
#else
void Lv2Router(benchmark::State&, int, int) {}
constexpr bool kHaveLv2 = false;
#endif

#ifdef LOTTA_ROUTER_VST3_PATH
constexpr bool kHaveVst3 = true;
#else
void Vst3Router(benchmark::State&, int, int, bool) {}
constexpr bool kHaveVst3 = false;
#endif
#ifdef LOTTA_ROUTER_CLAP_PATH
constexpr bool kHaveClap = true;
#else
void ClapRouter(benchmark::State&, int, int, bool) {}
constexpr bool kHaveClap = false;
#endif

constexpr int kFrames[] = {32, 64, 512, 4096};
constexpr const char* kPrecisions[] = {"float", "double"};
constexpr const char* kBusNames[] = {"off", "on", "alternating"};

std::string Name(const char* what, const char* precision, int frames, int buses = -1) {
    std::string name = std::string(what) + "/" + precision + "/" + std::to_string(frames);
    return buses < 0 ? name : name + "/" + kBusNames[buses];
}

void Register() {
    // The fixed part of a call: block section, wall clock, the host's time requests.
    benchmark::RegisterBenchmark(Name("router", "float", 0, kAllOff).c_str(), Router<float>, 0,
                                 kAllOff);
    benchmark::RegisterBenchmark(Name("router", "double", 0, kAllOff).c_str(), Router<double>, 0,
                                 kAllOff);
    for (int frames : kFrames) {
        for (const char* precision : kPrecisions) {
            const bool isFloat = std::strcmp(precision, "float") == 0;
            benchmark::RegisterBenchmark(Name("copy", precision, frames).c_str(),
                                         isFloat ? PlainCopy<float> : PlainCopy<double>, frames);
            for (int buses : {kAllOff, kAllOn, kAlternating}) {
                benchmark::RegisterBenchmark(Name("router", precision, frames, buses).c_str(),
                                             isFloat ? Router<float> : Router<double>, frames,
                                             buses);
                if (kHaveClap) {
                    benchmark::RegisterBenchmark(Name("clap", precision, frames, buses).c_str(),
                                                 ClapRouter, frames, buses, !isFloat);
                }
                // LV2 has 32-bit ports only.
                if (kHaveLv2 && isFloat) {
                    benchmark::RegisterBenchmark(Name("lv2", precision, frames, buses).c_str(),
                                                 Lv2Router, frames, buses);
                }
                if (kHaveVst3) {
                    benchmark::RegisterBenchmark(Name("vst3", precision, frames, buses).c_str(),
                                                 Vst3Router, frames, buses, !isFloat);
                }
            }
        }
    }
}

// A format's rows in both precisions: its call against the same plain copy.
void PrintFormat(Collector& collector, const char* format, const char* what) {
    std::printf("\n%s against the same copy (median real time per call, ns)\n", what);
    std::printf("%8s %10s %12s %12s %12s %12s\n", "frames", "precision", "buses", format, "copy",
                "call/copy");
    for (int frames : kFrames) {
        for (const char* precision : kPrecisions) {
            const double copy = collector.Time(Name("copy", precision, frames));
            for (int buses : {kAllOff, kAllOn, kAlternating}) {
                const double run = collector.Time(Name(format, precision, frames, buses));
                std::printf("%8d %10s %12s %12.1f %12.1f %12.2f\n", frames, precision,
                            kBusNames[buses], run, copy, run / copy);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Register();
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);

    std::printf(
        "\nRouter against a plain copy of the same 16 channels (median real time per call, ns)\n");
    std::printf("%8s %10s %12s %12s %12s %12s\n", "frames", "precision", "buses", "router", "copy",
                "router/copy");
    for (int frames : kFrames) {
        for (const char* precision : kPrecisions) {
            const double copy = collector.Time(Name("copy", precision, frames));
            for (int buses : {kAllOff, kAllOn, kAlternating}) {
                const double router = collector.Time(Name("router", precision, frames, buses));
                std::printf("%8d %10s %12s %12.1f %12.1f %12.2f\n", frames, precision,
                            kBusNames[buses], router, copy, router / copy);
            }
        }
    }
    if (kHaveLv2) {
        std::printf(
            "\nThe LV2 build's run() against the same copy (median real time per call, ns)\n");
        std::printf("%8s %10s %12s %12s %12s %12s\n", "frames", "precision", "buses", "lv2 run",
                    "copy", "run/copy");
        for (int frames : kFrames) {
            const double copy = collector.Time(Name("copy", "float", frames));
            for (int buses : {kAllOff, kAllOn, kAlternating}) {
                const double run = collector.Time(Name("lv2", "float", frames, buses));
                std::printf("%8d %10s %12s %12.1f %12.1f %12.2f\n", frames, "float",
                            kBusNames[buses], run, copy, run / copy);
            }
        }
    }
    if (kHaveVst3) PrintFormat(collector, "vst3", "The VST 3 build's process()");
    if (kHaveClap) PrintFormat(collector, "clap", "The CLAP build's process()");
    std::printf(
        "\nA call of 0 frames (block section and the host's time requests only): "
        "float %.1f ns, double %.1f ns\n",
        collector.Time(Name("router", "float", 0, kAllOff)),
        collector.Time(Name("router", "double", 0, kAllOff)));
    benchmark::Shutdown();
    return 0;
}
