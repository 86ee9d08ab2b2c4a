// Processing: noise through both precisions at the common sample rates and every block size
// up to the announced maximum, automation every 32 samples, allocations on the audio thread,
// and the real-time factor.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/vst2host/allocation_counter.h"
#include "tools/vst2host/validate_audio.h"
#include "tools/vst2host/validate_checks.h"

namespace vst2host {
namespace {

constexpr int32_t kMaxBlock = 512;  // what the host announces with effSetBlockSize
constexpr double kRates[] = {44100.0, 48000.0, 96000.0};
constexpr int32_t kAutomationStep = 32;

std::vector<int32_t> BlockSizes(int strictness) {
    if (strictness <= 3) return {1, 64, kMaxBlock};
    if (strictness <= 7) return {1, 2, 3, 16, 31, 32, 64, 100, 255, 256, 511, kMaxBlock};
    std::vector<int32_t> sizes;
    const int32_t step = strictness >= 10 ? 1 : 5;
    for (int32_t n = 1; n <= kMaxBlock; n += step) sizes.push_back(n);
    sizes.push_back(kMaxBlock);
    return sizes;
}

std::string Setting(double rate, int32_t frames) {
    char text[64];
    std::snprintf(text, sizeof text, " at %g Hz, block of %d", rate, static_cast<int>(frames));
    return text;
}

template <typename Sample>
CheckOutcome ProcessNoise(const CheckContext& context) {
    ValidatedPlugin plugin(context.pluginPath);
    const AEffect& e = plugin.effect();
    NoiseBlock<Sample> block(e.numInputs, e.numOutputs, kMaxBlock);
    const std::vector<int32_t> sizes = BlockSizes(context.strictness);
    const int callsPerSize = context.Scaled(3);
    long calls = 0;
    for (double rate : kRates) {
        StartProcessing(plugin, rate, kMaxBlock);
        for (int32_t frames : sizes) {
            context.reporter->Note(Setting(rate, frames).substr(4));
            for (int i = 0; i < callsPerSize; ++i) {
                block.Refill(frames);
                ProcessBlock(plugin, block, frames);
                ++calls;
                const std::string fault = block.Fault(frames);
                if (!fault.empty()) return CheckOutcome::Fail(fault + Setting(rate, frames));
            }
        }
        StopProcessing(plugin);
    }
    return CheckOutcome::Pass(std::to_string(calls) + " calls, " + std::to_string(sizes.size()) +
                              " block sizes, 3 rates, finite out");
}

CheckOutcome AutomationWhileProcessing(const CheckContext& context) {
    ValidatedPlugin plugin(context.pluginPath);
    const AEffect& e = plugin.effect();
    if (e.numParams <= 0) return CheckOutcome::Pass("no parameters");
    NoiseBlock<float> block(e.numInputs, e.numOutputs, kAutomationStep);
    StartProcessing(plugin, 48000.0, kMaxBlock);
    uint32_t seed = 99;
    const long steps = 48000L / kAutomationStep * context.Scaled(2);  // seconds of audio
    for (long step = 0; step < steps; ++step) {
        seed = seed * 1664525u + 1013904223u;
        const auto index = static_cast<int32_t>((seed >> 4) % static_cast<uint32_t>(e.numParams));
        const float value = static_cast<float>(seed >> 8) / 16777216.0f;
        plugin.setParameter(index, value);
        block.Refill(kAutomationStep);
        ProcessBlock(plugin, block, kAutomationStep);
        const std::string fault = block.Fault(kAutomationStep);
        if (!fault.empty()) {
            return CheckOutcome::Fail(fault + " after parameter " + std::to_string(index) +
                                      " was set to " + std::to_string(value));
        }
    }
    StopProcessing(plugin);
    return CheckOutcome::Pass(std::to_string(steps) + " changes, one every " +
                              std::to_string(kAutomationStep) + " samples");
}

// At strictness 8 and above the very first block counts too; below, a plug-in may still set
// itself up lazily in its first call.
CheckOutcome AllocationsWhileProcessing(const CheckContext& context) {
    ValidatedPlugin plugin(context.pluginPath);
    const AEffect& e = plugin.effect();
    NoiseBlock<float> block(e.numInputs, e.numOutputs, kMaxBlock);
    StartProcessing(plugin, 44100.0, kMaxBlock);
    const int blocks = 44100 / kMaxBlock * context.Scaled(2);
    uint64_t counted = 0;
    for (int i = 0; i < blocks; ++i) {
        block.Refill(kMaxBlock);
        const uint64_t before = CountedAllocations();
        BeginCountingAllocations();
        ProcessBlock(plugin, block, kMaxBlock);
        EndCountingAllocations();
        if (i > 0 || context.strictness >= 8) counted += CountedAllocations() - before;
    }
    StopProcessing(plugin);
    const std::string detail = std::to_string(counted) + " calls to " +
                               CountedAllocationFunctions() + " in " + std::to_string(blocks) +
                               " process calls";
    if (counted > 0 && context.strictness >= 5) return CheckOutcome::Fail(detail);
    return CheckOutcome::Pass(detail);
}

CheckOutcome RealTimeFactor(const CheckContext& context) {
    ValidatedPlugin plugin(context.pluginPath);
    const AEffect& e = plugin.effect();
    NoiseBlock<float> block(e.numInputs, e.numOutputs, kMaxBlock);
    block.Refill(kMaxBlock);
    constexpr double kRate = 44100.0;
    constexpr double kSeconds = 10.0;
    StartProcessing(plugin, kRate, kMaxBlock);
    const long calls = static_cast<long>(kRate * kSeconds) / kMaxBlock;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < calls; ++i) ProcessBlock(plugin, block, kMaxBlock);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    StopProcessing(plugin);
    const double audio = static_cast<double>(calls * kMaxBlock) / kRate;
    char text[128];
    std::snprintf(text, sizeof text, "%.1f s of audio in %.4f s: %.0f times real time", audio,
                  elapsed.count(), audio / std::max(elapsed.count(), 1e-9));
    return CheckOutcome::Pass(text);
}

}  // namespace

void RunProcessingChecks(const CheckContext& context) {
    bool canDouble = false;
    bool canFloat = false;
    {
        ValidatedPlugin probe(context.pluginPath);
        canDouble = (probe.effect().flags & effFlagsCanDoubleReplacing) != 0 &&
                    probe.effect().processDoubleReplacing != nullptr;
        canFloat = probe.effect().processReplacing != nullptr;
    }
    const char* noFloat = "the record has no processReplacing entry";
    context.Run("process float", [&] {
        return canFloat ? ProcessNoise<float>(context) : CheckOutcome::Fail(noFloat);
    });
    context.Run("process double", [&] {
        return canDouble ? ProcessNoise<double>(context)
                         : CheckOutcome::Skip("64-bit processing not offered");
    });
    context.Run("automation while processing", [&] {
        return canFloat ? AutomationWhileProcessing(context) : CheckOutcome::Fail(noFloat);
    });
    context.Run("allocations while processing", [&] {
        return canFloat ? AllocationsWhileProcessing(context) : CheckOutcome::Fail(noFloat);
    });
    context.Run("real-time factor",
                [&] { return canFloat ? RealTimeFactor(context) : CheckOutcome::Fail(noFloat); });
}

}  // namespace vst2host
