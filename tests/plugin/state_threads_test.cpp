// A host may autosave on one thread while it loads a preset on another, with automation and
// audio running: every chunk handed out is whole and stays put while the host copies it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/plugin/scripted_host.h"
#include "tests/plugin/thread_checks.h"

namespace {

constexpr auto kRunTime = std::chrono::milliseconds(300);
constexpr size_t kFloats = 65;

// A chunk whose unused sliders (2, 4, .., 16, and 17 to 64) all hold the same stamp: a
// chunk mixed from two saves or restores shows as unequal stamps.
std::vector<uint8_t> StampedChunk(float stamp, int busOn) {
    std::vector<float> floats(kFloats, stamp);
    floats[0] = -1000.0f;
    for (int bus = 1; bus <= HostedEffect::kBusCount; ++bus) {
        floats[static_cast<size_t>(2 * bus - 1)] = bus == busOn ? 1.0f : 0.0f;
    }
    std::vector<uint8_t> bytes(kFloats * 4);
    std::memcpy(bytes.data(), floats.data(), bytes.size());
    return bytes;
}

// Empty when the chunk is whole: the marker, switches of 0 or 1, one stamp throughout.
std::string ChunkFault(const std::vector<uint8_t>& bytes) {
    if (bytes.size() != kFloats * 4) return "size " + std::to_string(bytes.size());
    std::vector<float> f(kFloats);
    std::memcpy(f.data(), bytes.data(), bytes.size());
    if (f[0] != -1000.0f) return "no marker";
    for (size_t k = 1; k < kFloats; ++k) {
        const bool isSwitch = k % 2 == 1 && k < 2 * HostedEffect::kBusCount;
        if (isSwitch && f[k] != 0.0f && f[k] != 1.0f) return "switch " + std::to_string(k);
        if (!isSwitch && f[k] != f[2]) return "torn at slider " + std::to_string(k);
    }
    return "";
}

TEST(StateThreads, TwoStateThreadsWhileAudioAndAutomationRun) {
    ScriptedHost host;
    HostedEffect plugin(host);
    ASSERT_TRUE(plugin.valid());
    plugin.Start();

    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<long> stateCalls{0};
    FirstFailure report;

    std::thread audio([&] {
        AudioBlock<float> block(64);
        block.FillDistinctInputs();
        while (!stop.load()) {
            plugin.Process(block);
            std::string why;
            if (!OnlyCleanCopies(block, why)) report("audio: " + why);
            blocks.fetch_add(1);
        }
    });
    std::thread automation([&] {
        for (int32_t i = 0; !stop.load(); ++i) {
            plugin.SetParameter(i % HostedEffect::kBusCount, (i / 8) % 2 ? 1.0f : 0.0f);
            const float value = plugin.GetParameter(i % HostedEffect::kBusCount);
            if (value != 0.0f && value != 1.0f) report("parameter read " + std::to_string(value));
        }
    });
    // Each state thread restores its own stamped chunks, saves, and copies the saved bytes
    // slowly, so another thread's calls overlap the copy; and renames the program.
    auto stateThread = [&](int id) {
        char name[24] = {};  // the program-name size hosts pass
        for (int n = 0; !stop.load(); ++n) {
            const float stamp = static_cast<float>(id * 1000000 + n);
            const std::vector<uint8_t> chunk = StampedChunk(stamp, n % 9);
            if (plugin.SetChunk(chunk) != static_cast<intptr_t>(chunk.size())) {
                report("setChunk refused");
            }
            void* data = nullptr;
            const intptr_t size = plugin.Dispatch(effGetChunk, 0, 0, &data);
            if (size <= 0 || data == nullptr) {
                report("getChunk answered " + std::to_string(size));
                continue;
            }
            std::vector<uint8_t> copy;
            for (intptr_t b = 0; b < size; ++b) {
                copy.push_back(static_cast<const uint8_t*>(data)[b]);
                if (b % 64 == 0) std::this_thread::yield();
            }
            if (const std::string fault = ChunkFault(copy); !fault.empty()) {
                report("getChunk: " + fault);
            }
            // Some hosts hand the plug-in's own bytes straight back.
            plugin.Dispatch(effSetChunk, 0, size, data);

            plugin.Dispatch(effSetProgram, 0, 0);
            if (plugin.Dispatch(effGetProgram) != 0) report("program changed");
            std::snprintf(name, sizeof name, "thread %d %d", id, n % 100);
            plugin.Dispatch(effSetProgramName, 0, 0, name);
            const std::string got = plugin.Text(effGetProgramName);
            if (got.rfind("thread ", 0) != 0) report("program name '" + got + "'");
            stateCalls.fetch_add(1);
        }
    };
    std::thread first(stateThread, 1);
    std::thread second(stateThread, 2);

    std::this_thread::sleep_for(kRunTime);
    stop.store(true);
    audio.join();
    automation.join();
    first.join();
    second.join();

    EXPECT_EQ(report.get(), "");
    EXPECT_GT(blocks.load(), 0);
    EXPECT_GT(stateCalls.load(), 2);
    EXPECT_EQ(ChunkFault(plugin.GetChunk()), "");
}

// A pointer from getChunk keeps its bytes until this thread asks again, however often other
// threads save and restore meanwhile.
TEST(StateThreads, ChunkStaysPutWhileAnotherThreadSaves) {
    ScriptedHost host;
    HostedEffect plugin(host);
    ASSERT_TRUE(plugin.valid());
    ASSERT_EQ(plugin.SetChunk(StampedChunk(7.0f, 3)), static_cast<intptr_t>(kFloats * 4));
    void* data = nullptr;
    const intptr_t size = plugin.Dispatch(effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, static_cast<intptr_t>(kFloats * 4));
    const std::vector<uint8_t> before(static_cast<uint8_t*>(data),
                                      static_cast<uint8_t*>(data) + size);

    std::thread other([&] {
        for (int n = 0; n < 100; ++n) {
            plugin.SetChunk(StampedChunk(static_cast<float>(n), n % 9));
            plugin.GetChunk();
        }
    });
    other.join();
    const std::vector<uint8_t> after(static_cast<uint8_t*>(data),
                                     static_cast<uint8_t*>(data) + size);
    EXPECT_EQ(after, before);
    EXPECT_EQ(ChunkFault(plugin.GetChunk()), "");
}

}  // namespace
