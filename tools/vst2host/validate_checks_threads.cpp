// A host's threads at once: one processes, one automates parameters, one saves the state.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/vst2host/text_format.h"
#include "tools/vst2host/validate_audio.h"
#include "tools/vst2host/validate_checks.h"

namespace vst2host {
namespace {

constexpr int32_t kFrames = 256;
constexpr double kRate = 48000.0;
// A change for every 32 processed samples, as fast as a host's automation goes: the
// automation thread waits for the audio rather than flooding the plug-in faster than any
// host could.
constexpr long kSamplesPerChange = 32;
// How long the threads may take to come back once the check has ended: a call still running
// by then is stuck, and the check says which, rather than running into the group's time limit.
constexpr auto kStuckAfter = std::chrono::seconds(10);
constexpr int kThreads = 3;
// The threads by their index in the check, as reports name them.
constexpr const char* kThreadNames[kThreads] = {"audio", "automation", "state"};

// The automation thread's changes, the same sequence every time, so that one can be replayed.
class ChangeSequence {
  public:
    explicit ChangeSequence(int32_t params) : params_(static_cast<uint32_t>(params)) {}
    // The next change's parameter and value.
    std::pair<int32_t, float> Next() {
        seed_ = seed_ * 1664525u + 1013904223u;
        return {static_cast<int32_t>((seed_ >> 4) % params_),
                static_cast<float>(seed_ >> 8) / 16777216.0f};
    }

  private:
    uint32_t params_;
    uint32_t seed_ = 5;
};

// Where an output fault met on the audio thread came: the automation change before it and its
// rate.
std::string AfterChanges(long changes, int32_t params) {
    if (changes == 0) return ", before any parameter change";
    ChangeSequence sequence(params);
    std::pair<int32_t, float> last{};
    for (long n = 0; n < changes; ++n) last = sequence.Next();
    return ", after the automation thread's setParameter(" + std::to_string(last.first) + ", " +
           Exact(last.second) + "), change " + std::to_string(changes) + " at one change per " +
           std::to_string(kSamplesPerChange) + " processed samples";
}

// The same blocks and the same changes before each, on a fresh instance and one thread:
// whether the fault needs the threads to show. Answers how the replay ended.
std::string SerialReplay(const CheckContext& context, const std::vector<long>& changesBefore) {
    ValidatedPlugin plugin(context.pluginPath);
    const AEffect& e = plugin.effect();
    NoiseBlock<float> block(e.numInputs, e.numOutputs, kFrames);
    ChangeSequence sequence(std::max(e.numParams, 1));
    StartProcessing(plugin, kRate, kFrames);
    long applied = 0;
    for (std::size_t b = 0; b < changesBefore.size(); ++b) {
        for (; applied < changesBefore[b] && e.numParams > 0; ++applied) {
            const auto [index, value] = sequence.Next();
            plugin.setParameter(index, value);
        }
        block.Refill(kFrames);
        ProcessBlock(plugin, block, kFrames);
        if (const std::string f = block.Fault(kFrames); !f.empty()) {
            return "replayed on one thread, the same changes before the same blocks on a fresh "
                   "instance give it too (" +
                   f + " in block " + std::to_string(b + 1) + ")";
        }
    }
    StopProcessing(plugin);
    return "replayed on one thread, the same changes before the same blocks on a fresh "
           "instance stay finite: it takes the threads to show";
}

}  // namespace

void RunThreadChecks(const CheckContext& context) {
    context.Run("threads", [&] {
        ValidatedPlugin plugin(context.pluginPath);
        const AEffect& e = plugin.effect();
        if (e.processReplacing == nullptr) {
            return CheckOutcome::Fail("the record has no processReplacing entry");
        }
        StartProcessing(plugin, kRate, kFrames);
        // How to reproduce a crash here: all three at once.
        context.reporter->Note("the same time as " + std::to_string(kFrames) +
                               "-frame processing at 48 kHz, a parameter change every " +
                               std::to_string(kSamplesPerChange) +
                               " samples and state saves on three threads");
        const bool chunks = (e.flags & effFlagsProgramChunks) != 0;

        std::atomic<bool> stop{false};
        std::atomic<long> blocks{0}, changes{0}, saves{0};
        // The audio thread's own: the changes made before each block, up to its first fault.
        std::vector<long> changesBefore;
        std::string outputFault;
        std::mutex faultMutex;
        std::string fault;
        auto report = [&](const std::string& what) {
            std::lock_guard lock(faultMutex);
            if (fault.empty()) fault = what;
        };

        // Each thread's current plug-in call, read here while the thread goes on, and whether
        // the thread has ended.
        CallSlot callOf[kThreads];
        std::atomic<bool> ended[kThreads] = {};
        std::atomic<int> running{kThreads};
        // An exception out of a plug-in call on a thread fails the check like any other fault.
        auto guarded = [&](int k, auto body) {
            return [&, k, body] {
                const char* name = kThreadNames[k];
                SetCallThreadName(name);
                PublishCallsTo(&callOf[k]);
                // A crash here from a stack overflow is reported too.
                const SignalStack signalStack;
                try {
                    body();
                } catch (const std::exception& e) {
                    report(std::string(e.what()) + " on the " + name + " thread");
                } catch (...) {
                    report(std::string("an exception of unknown type on the ") + name + " thread");
                }
                PublishCallsTo(nullptr);
                ended[k].store(true);
                running.fetch_sub(1);
            };
        };
        std::thread audio(guarded(0, [&] {
            NoiseBlock<float> block(e.numInputs, e.numOutputs, kFrames);
            while (!stop.load()) {
                if (outputFault.empty()) changesBefore.push_back(changes.load());
                block.Refill(kFrames);
                ProcessBlock(plugin, block, kFrames);
                if (const std::string f = block.Fault(kFrames); !f.empty()) {
                    if (outputFault.empty()) {
                        outputFault = f + " in block " + std::to_string(changesBefore.size()) +
                                      AfterChanges(changesBefore.back(), e.numParams);
                        report(outputFault);
                    }
                }
                blocks.fetch_add(1);
            }
        }));
        std::thread automation(guarded(1, [&] {
            ChangeSequence sequence(e.numParams);
            while (!stop.load() && e.numParams > 0) {
                // Up to a block ahead of the audio, no further.
                const long due = (blocks.load() + 1) * kFrames / kSamplesPerChange;
                if (changes.load() >= due) {
                    std::this_thread::yield();
                    continue;
                }
                const auto [i, value] = sequence.Next();
                plugin.setParameter(i, value);
                const float v = plugin.getParameter(i);
                if (!(v >= 0.0f && v <= 1.0f)) {
                    report("parameter " + std::to_string(i) + " reads " + std::to_string(v));
                }
                changes.fetch_add(1);
            }
        }));
        std::thread state(guarded(2, [&] {
            std::vector<unsigned char> copy;
            while (!stop.load()) {
                if (chunks) {
                    void* data = nullptr;
                    const intptr_t size = plugin.dispatch(effGetChunk, 0, 0, &data);
                    if (size > 0 && data != nullptr) {
                        const auto* bytes = static_cast<const unsigned char*>(data);
                        copy.assign(bytes, bytes + size);
                    }
                } else {
                    for (int32_t i = 0; i < e.numParams; ++i) plugin.getParameter(i);
                }
                saves.fetch_add(1);
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }));

        std::this_thread::sleep_for(std::chrono::milliseconds(100 * context.strictness));
        stop.store(true);
        const auto deadline = std::chrono::steady_clock::now() + kStuckAfter;
        while (running.load() > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (running.load() > 0) {
            // The stuck thread holds the instance: nothing can be closed or joined, so the
            // verdict is written here and the check process ends.
            std::string stuck;
            for (int k = 0; k < kThreads; ++k) {
                const PluginCall call = callOf[k].Load();
                if (ended[k].load() || !call.active) continue;
                stuck += (stuck.empty() ? "" : "; ") + Describe(call) + " on the " +
                         kThreadNames[k] + " thread";
            }
            const long block = blocks.load() + 1;
            context.reporter->Finish(
                "threads",
                CheckOutcome::Fail((stuck.empty() ? std::string("a thread") : stuck) +
                                   " did not return within " + std::to_string(kStuckAfter.count()) +
                                   " s (block " + std::to_string(block) +
                                   AfterChanges(changes.load(), e.numParams) +
                                   ", with state saves on a third thread)"));
            context.reporter->End();
            std::fflush(nullptr);
            // The threads that did end are joined all the same; the stuck one ends with the
            // process.
            std::thread* threads[kThreads] = {&audio, &automation, &state};
            for (int k = 0; k < kThreads; ++k) {
                if (ended[k].load()) threads[k]->join();
            }
            ::_exit(0);
        }
        audio.join();
        automation.join();
        state.join();
        StopProcessing(plugin);
        if (!outputFault.empty() && fault == outputFault) {
            return CheckOutcome::Fail(fault + "; " + SerialReplay(context, changesBefore));
        }
        if (!fault.empty()) return CheckOutcome::Fail(fault);
        return CheckOutcome::Pass(std::to_string(blocks.load()) + " blocks, " +
                                  std::to_string(changes.load()) + " parameter changes, " +
                                  std::to_string(saves.load()) + " saves");
    });
}

}  // namespace vst2host
