// Hosts process on their audio thread while automation and preset loading arrive on
// others. The router must keep every output sample a clean copy throughout.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/plugin/scripted_host.h"
#include "tests/plugin/thread_checks.h"

namespace {

constexpr auto kRunTime = std::chrono::milliseconds(200);

TEST(Concurrency, ProcessingWhileSwitchesAndStateChangeOnOtherThreads) {
    ScriptedHost host;
    HostedEffect plugin(host);
    ASSERT_TRUE(plugin.valid());
    plugin.Start();

    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<long> toggles{0};
    std::atomic<long> restores{0};
    FirstFailure report;

    std::thread audio([&] {
        AudioBlock<float> floats(64);
        AudioBlock<double> doubles(64);
        floats.FillDistinctInputs();
        doubles.FillDistinctInputs();
        VstEvents none{};
        std::string why;
        while (!stop.load()) {
            plugin.Dispatch(effProcessEvents, 0, 0, &none);
            plugin.Process(floats);
            if (!OnlyCleanCopies(floats, why)) report("float: " + why);
            plugin.Process(doubles);
            if (!OnlyCleanCopies(doubles, why)) report("double: " + why);
            blocks.fetch_add(1);
        }
    });
    std::thread automation([&] {
        std::minstd_rand random(1);
        while (!stop.load()) {
            const auto index = static_cast<int32_t>(random() % HostedEffect::kBusCount);
            plugin.SetParameter(index, random() % 2 ? 1.0f : 0.0f);
            const float value = plugin.GetParameter(index);
            if (value != 0.0f && value != 1.0f) report("parameter read " + std::to_string(value));
            toggles.fetch_add(1);
        }
    });
    std::thread presets([&] {
        while (!stop.load()) {
            void* data = nullptr;
            const intptr_t size = plugin.Dispatch(effGetChunk, 0, 0, &data);
            if (size != 260 || !data) {
                report("getChunk answered " + std::to_string(size));
                continue;
            }
            const std::vector<uint8_t> copy(static_cast<uint8_t*>(data),
                                            static_cast<uint8_t*>(data) + size);
            if (plugin.SetChunk(copy) != size) report("setChunk refused a saved chunk");
            // And the plug-in's own bytes, as some hosts hand them back.
            data = nullptr;
            const intptr_t again = plugin.Dispatch(effGetChunk, 0, 0, &data);
            if (again > 0 && data) plugin.Dispatch(effSetChunk, 0, again, data);
            restores.fetch_add(1);
        }
    });

    std::this_thread::sleep_for(kRunTime);
    stop.store(true);
    audio.join();
    automation.join();
    presets.join();

    EXPECT_EQ(report.get(), "");
    EXPECT_GT(blocks.load(), 0);
    EXPECT_GT(toggles.load(), 0);
    EXPECT_GT(restores.load(), 0);

    // Once quiet, the instance is as consistent as a fresh one.
    plugin.SetBuses({3});
    AudioBlock<float> block(32);
    block.FillDistinctInputs();
    plugin.Process(block);
    std::string why;
    EXPECT_TRUE(OnlyCleanCopies(block, why)) << why;
    for (int j = 0; j < block.frames(); ++j) {
        EXPECT_EQ(block.Output(4, j), block.in(0, j));
        EXPECT_EQ(block.Output(0, j), 0.0f);
        EXPECT_EQ(block.Output(2, j), block.in(2, j));
    }
    const std::vector<uint8_t> chunk = plugin.GetChunk();
    EXPECT_EQ(chunk.size(), 260u);
}

}  // namespace
