// A host's threads at once: one processes, one automates parameters, one saves the state.
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/vst2host/validate_audio.h"
#include "tools/vst2host/validate_checks.h"

namespace vst2host {

void RunThreadChecks(const CheckContext& context) {
    context.Run("threads", [&] {
        ValidatedPlugin plugin(context.pluginPath);
        const AEffect& e = plugin.effect();
        if (e.processReplacing == nullptr) {
            return CheckOutcome::Fail("the record has no processReplacing entry");
        }
        constexpr int32_t kFrames = 256;
        StartProcessing(plugin, 48000.0, kFrames);
        // How to reproduce a crash here: all three at once.
        context.reporter->Note("the same time as " + std::to_string(kFrames) +
                               "-frame processing at 48 kHz, parameter changes and state "
                               "saves on three threads");
        const bool chunks = (e.flags & effFlagsProgramChunks) != 0;

        std::atomic<bool> stop{false};
        std::atomic<long> blocks{0}, changes{0}, saves{0};
        std::mutex faultMutex;
        std::string fault;
        auto report = [&](const std::string& what) {
            std::lock_guard lock(faultMutex);
            if (fault.empty()) fault = what;
        };

        // An exception out of a plug-in call on a thread fails the check like any other fault.
        auto guarded = [&](const char* name, auto body) {
            return [&report, name, body] {
                SetCallThreadName(name);
                try {
                    body();
                } catch (const std::exception& e) {
                    report(std::string(e.what()) + " on the " + name + " thread");
                }
            };
        };
        std::thread audio(guarded("audio", [&] {
            NoiseBlock<float> block(e.numInputs, e.numOutputs, kFrames);
            while (!stop.load()) {
                block.Refill(kFrames);
                ProcessBlock(plugin, block, kFrames);
                if (const std::string f = block.Fault(kFrames); !f.empty()) report(f);
                blocks.fetch_add(1);
            }
        }));
        std::thread automation(guarded("automation", [&] {
            uint32_t seed = 5;
            while (!stop.load() && e.numParams > 0) {
                seed = seed * 1664525u + 1013904223u;
                const auto i =
                    static_cast<int32_t>((seed >> 4) % static_cast<uint32_t>(e.numParams));
                plugin.setParameter(i, static_cast<float>(seed >> 8) / 16777216.0f);
                const float v = plugin.getParameter(i);
                if (!(v >= 0.0f && v <= 1.0f)) {
                    report("parameter " + std::to_string(i) + " reads " + std::to_string(v));
                }
                changes.fetch_add(1);
            }
        }));
        std::thread state(guarded("state", [&] {
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
        audio.join();
        automation.join();
        state.join();
        StopProcessing(plugin);
        if (!fault.empty()) return CheckOutcome::Fail(fault);
        return CheckOutcome::Pass(std::to_string(blocks.load()) + " blocks, " +
                                  std::to_string(changes.load()) + " parameter changes, " +
                                  std::to_string(saves.load()) + " saves");
    });
}

}  // namespace vst2host
