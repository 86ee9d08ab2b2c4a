// Processing: noise through both precisions at the common sample rates and every block size
// up to the announced maximum, automation every 32 samples, allocations on the audio thread,
// and the real-time factor.
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/vst2host/allocation_counter.h"
#include "tools/vst2host/text_format.h"
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

std::string Change(long n, long steps, int32_t index, float value) {
    return "change " + std::to_string(n + 1) + " of " + std::to_string(steps) + ", setParameter(" +
           std::to_string(index) + ", " + Exact(value) + ")";
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Whether a fresh instance, given nothing but this one change, puts out the same fault: tells
// the author whether the value alone is enough to reproduce it.
bool FaultFromChangeAlone(const CheckContext& context, int32_t index, float value) {
    ValidatedPlugin plugin(context.pluginPath);
    const AEffect& e = plugin.effect();
    NoiseBlock<float> block(e.numInputs, e.numOutputs, kAutomationStep);
    StartProcessing(plugin, 48000.0, kMaxBlock);
    plugin.setParameter(index, value);
    for (int i = 0; i < 16; ++i) {
        block.Refill(kAutomationStep);
        ProcessBlock(plugin, block, kAutomationStep);
        if (!block.Fault(kAutomationStep).empty()) return true;
    }
    return false;
}

// Each change and each block is timed against the audio it stands for: a parameter change
// or a process call slower than that is one a host's audio thread cannot afford. Medians, so
// that a moment the machine spent elsewhere does not count against the plug-in.
CheckOutcome AutomationWhileProcessing(const CheckContext& context) {
    using Clock = std::chrono::steady_clock;
    ValidatedPlugin plugin(context.pluginPath);
    const AEffect& e = plugin.effect();
    if (e.numParams <= 0) return CheckOutcome::Pass("no parameters");
    constexpr double kRate = 48000.0;
    constexpr double kStepSeconds = kAutomationStep / kRate;
    NoiseBlock<float> block(e.numInputs, e.numOutputs, kAutomationStep);
    StartProcessing(plugin, kRate, kMaxBlock);
    const std::string step =
        "a " + std::to_string(kAutomationStep) + "-sample step is " + Milliseconds(kStepSeconds);
    // The slow changes of each parameter, and the time of every process call.
    std::vector<std::vector<double>> changeTimes(static_cast<std::size_t>(e.numParams));
    std::vector<double> processTimes;
    uint32_t seed = 99;
    const long steps = 48000L / kAutomationStep * context.Scaled(2);  // seconds of audio
    processTimes.reserve(static_cast<std::size_t>(steps));
    // Enough of a parameter's changes to judge it by, and a wall-clock budget after which a
    // slow plug-in is judged on what was measured rather than left to time out.
    constexpr std::size_t kJudgeAfter = 5;
    const double budgetSeconds = 10.0 + 10.0 * kStepSeconds * static_cast<double>(steps);
    const auto start = Clock::now();
    auto lastNote = start;
    long done = 0;
    std::string slow;
    for (long n = 0; n < steps && slow.empty(); ++n) {
        seed = seed * 1664525u + 1013904223u;
        const auto index = static_cast<int32_t>((seed >> 4) % static_cast<uint32_t>(e.numParams));
        const float value = static_cast<float>(seed >> 8) / 16777216.0f;
        // Named if the plug-in crashes in the block after it.
        context.reporter->Note(Change(n, steps, index, value));
        const auto t0 = Clock::now();
        plugin.setParameter(index, value);
        const auto t1 = Clock::now();
        block.Refill(kAutomationStep);
        ProcessBlock(plugin, block, kAutomationStep);
        const auto t2 = Clock::now();
        ++done;
        const double change = std::chrono::duration<double>(t1 - t0).count();
        auto& times = changeTimes[static_cast<std::size_t>(index)];
        times.push_back(change);
        processTimes.push_back(std::chrono::duration<double>(t2 - t1).count());

        const std::string fault = block.Fault(kAutomationStep);
        if (!fault.empty()) {
            const std::string call =
                "setParameter(" + std::to_string(index) + ", " + Exact(value) + ")";
            const bool alone = FaultFromChangeAlone(context, index, value);
            return CheckOutcome::Fail(
                fault + " in the " + std::to_string(kAutomationStep) + "-sample block after " +
                call + " (change " + std::to_string(n + 1) + ", " +
                std::to_string((n + 1) * kAutomationStep) + " samples in at 48 kHz); " +
                (alone ? "a fresh instance given only that change does the same"
                       : "a fresh instance given only that change does not: it takes the changes "
                         "before it"));
        }
        if (change > kStepSeconds && t2 - lastNote > std::chrono::milliseconds(500)) {
            // Named if the time limit ends the check: slow, not hung.
            context.reporter->Note(Change(n, steps, index, value) + " took " +
                                   Milliseconds(change));
            lastNote = t2;
        }
        const bool judge = times.size() >= kJudgeAfter && Median(times) > kStepSeconds;
        if (judge || std::chrono::duration<double>(t2 - start).count() > budgetSeconds) break;
    }
    StopProcessing(plugin);

    // The parameter whose changes took longest, by median.
    int32_t worst = -1;
    double worstMedian = 0.0;
    for (std::size_t i = 0; i < changeTimes.size(); ++i) {
        if (changeTimes[i].size() < 3) continue;
        const double m = Median(changeTimes[i]);
        if (m > worstMedian) {
            worst = static_cast<int32_t>(i);
            worstMedian = m;
        }
    }
    if (worst >= 0 && worstMedian > kStepSeconds) {
        const auto& times = changeTimes[static_cast<std::size_t>(worst)];
        return CheckOutcome::Fail(
            "setParameter(" + std::to_string(worst) + ", ...) took " + Milliseconds(worstMedian) +
            "; " + step + " (median of " + std::to_string(times.size()) + " changes, longest " +
            Milliseconds(*std::max_element(times.begin(), times.end())) + ")");
    }
    const double processMedian = Median(processTimes);
    if (processMedian > kStepSeconds) {
        return CheckOutcome::Fail("processReplacing(" + std::to_string(kAutomationStep) +
                                  " frames) took " + Milliseconds(processMedian) + "; " + step +
                                  " (median of " + std::to_string(processTimes.size()) + " calls)");
    }
    if (done < steps) {
        return CheckOutcome::Fail("slow: " + std::to_string(done) + " of " + std::to_string(steps) +
                                  " changes in " + Milliseconds(budgetSeconds) + " of wall time");
    }
    return CheckOutcome::Pass(std::to_string(steps) + " changes, one every " +
                              std::to_string(kAutomationStep) + " samples; median change " +
                              Milliseconds(worstMedian) + " (slowest parameter), block " +
                              Milliseconds(processMedian));
}

// The library and offset a code address lies in: "libfoo.so+0x9e0ad".
std::string CodeAddress(void* address) {
    Dl_info info{};
    if (address == nullptr || ::dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return "an unknown caller";
    }
    std::string name = info.dli_fname;
    if (const auto slash = name.rfind('/'); slash != std::string::npos) name.erase(0, slash + 1);
    char offset[32];
    std::snprintf(offset, sizeof offset, "+0x%lx",
                  static_cast<unsigned long>(static_cast<char*>(address) -
                                             static_cast<char*>(info.dli_fbase)));
    return name + offset;
}

// At strictness 8 and above the very first block counts too; below, a plug-in may still set
// itself up lazily in its first call.
CheckOutcome AllocationsWhileProcessing(const CheckContext& context) {
    ValidatedPlugin plugin(context.pluginPath);
    const AEffect& e = plugin.effect();
    NoiseBlock<float> block(e.numInputs, e.numOutputs, kMaxBlock);
    StartProcessing(plugin, 44100.0, kMaxBlock);
    const int blocks = 44100 / kMaxBlock * context.Scaled(2);
    const uint64_t before = CountedAllocations();
    for (int i = 0; i < blocks; ++i) {
        block.Refill(kMaxBlock);
        const bool count = i > 0 || context.strictness >= 8;
        if (count) BeginCountingAllocations();
        ProcessBlock(plugin, block, kMaxBlock);
        if (count) EndCountingAllocations();
    }
    StopProcessing(plugin);
    const uint64_t counted = CountedAllocations() - before;
    std::string detail = std::to_string(counted) + " calls to " + CountedAllocationFunctions() +
                         " in " + std::to_string(blocks) + " process calls";
    if (counted > 0) {
        const FirstAllocation first = FirstCountedAllocation();
        detail += "; the first, of " + std::to_string(first.size) + " bytes, from " +
                  CodeAddress(first.caller);
    }
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
    const double factor = audio / std::max(elapsed.count(), 1e-9);
    char text[160];
    std::snprintf(text, sizeof text, "%.1f s of audio in %.4f s: %.*f times real time", audio,
                  elapsed.count(), factor < 10.0 ? 2 : 0, factor);
    if (factor < 1.0) {
        return CheckOutcome::Fail(std::string(text) + "; a " + std::to_string(kMaxBlock) +
                                  "-sample block is " + Milliseconds(kMaxBlock / kRate) +
                                  " and takes " +
                                  Milliseconds(elapsed.count() / static_cast<double>(calls)));
    }
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
