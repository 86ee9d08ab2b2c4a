// The .clap's state against the VST 2 build's chunk: the same bytes, either way, through
// streams that move few bytes a call; streams it must refuse; saves while audio runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "tests/plugin/scripted_host.h"
#include "tests/product/clap/clap_test_host.h"

namespace {

void SetBuses(ClapInstance& clap, const std::vector<int>& buses) {
    ClapEventList events;
    for (clap_id id = 0; id < 8; ++id) events.AddParameter(0, id, 0.0);
    for (int bus : buses) events.AddParameter(0, static_cast<clap_id>(bus - 1), 1.0);
    clap.Flush(events);
}

TEST(ClapState, TheVst2ChunkBothWaysThroughShortReadsAndWrites) {
    const std::vector<int> kPatterns[] = {{}, {1, 8}, {2, 3, 5, 7}, {1, 2, 3, 4, 5, 6, 7, 8}};
    const size_t kSteps[] = {SIZE_MAX, 1, 7, 259};
    for (const auto& buses : kPatterns) {
        for (size_t step : kSteps) {
            SCOPED_TRACE(::testing::PrintToString(buses) + " step " + std::to_string(step));
            ClapInstance clap, other;
            ScriptedHost host;
            HostedEffect vst(host);
            vst.Start();
            SetBuses(clap, buses);
            vst.SetBuses(buses);
            std::vector<uint8_t> saved;
            ASSERT_TRUE(clap.Save(saved, step));
            EXPECT_EQ(saved, vst.GetChunk());
            // The VST 2 build's chunk restores into a fresh instance and saves back unchanged.
            ASSERT_TRUE(other.Load(vst.GetChunk(), step));
            std::vector<uint8_t> again;
            ASSERT_TRUE(other.Save(again));
            EXPECT_EQ(again, saved);
            for (clap_id id = 0; id < 8; ++id)
                EXPECT_EQ(other.Value(id), vst.GetParameter(static_cast<int32_t>(id)));
            // And the .clap's chunk into the VST 2 build.
            ScriptedHost host2;
            HostedEffect vst2(host2);
            vst2.Start();
            vst2.SetChunk(saved);
            EXPECT_EQ(vst2.GetChunk(), saved);
        }
    }
}

TEST(ClapState, RefusedStreamsChangeNothing) {
    ClapInstance clap;
    ASSERT_NE(clap.plugin(), nullptr);
    SetBuses(clap, {2, 4});
    std::vector<uint8_t> before;
    ASSERT_TRUE(clap.Save(before));
    ASSERT_EQ(before.size(), 260u);
    // A chunk of other switches, spoilt one way each.
    ClapInstance source;
    SetBuses(source, {1, 3, 5, 6});
    std::vector<uint8_t> chunk;
    ASSERT_TRUE(source.Save(chunk));
    auto cut = [&](size_t n) { return std::vector<uint8_t>(chunk.begin(), chunk.begin() + n); };
    auto longer = chunk;
    longer.push_back(0);
    auto garbled = chunk;
    garbled[2] ^= 0x40;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        size_t failAt;
    };
    const Case kRefused[] = {
        {"empty", {}, SIZE_MAX},
        {"header only", cut(4), SIZE_MAX},
        {"one byte short", cut(259), SIZE_MAX},
        {"one byte long", longer, SIZE_MAX},
        {"twice over",
         [&] {
             auto b = chunk;
             b.insert(b.end(), chunk.begin(), chunk.end());
             return b;
         }(),
         SIZE_MAX},
        {"another header", garbled, SIZE_MAX},
        {"read error half way", chunk, 130},
        {"read error at the end", chunk, 260},
    };
    for (const Case& c : kRefused) {
        SCOPED_TRACE(c.what);
        for (size_t step : {size_t{1}, SIZE_MAX}) {
            ClapInStream in(c.bytes, step, c.failAt);
            EXPECT_FALSE(clap.state()->load(clap.plugin(), &in.stream));
            std::vector<uint8_t> after;
            ASSERT_TRUE(clap.Save(after));
            EXPECT_EQ(after, before);
        }
    }
    // Writes that fail, or stop moving, give false rather than a hang.
    for (int64_t answer : {int64_t{-1}, int64_t{0}, int64_t{1000}}) {
        ClapOutStream out;
        out.answer = answer;
        EXPECT_FALSE(clap.state()->save(clap.plugin(), &out.stream)) << answer;
    }
    ClapOutStream failing(16, 100);
    EXPECT_FALSE(clap.state()->save(clap.plugin(), &failing.stream));
}

// A host saves from its main thread while the audio thread processes and switches buses at
// random frames: every save is a whole chunk.
TEST(ClapState, SaveWhileProcessRunsOnAnotherThread) {
    ClapInstance clap;
    ASSERT_NE(clap.plugin(), nullptr);
    ASSERT_TRUE(clap.Activate(48000.0, 256));
    std::vector<float> buffers(32 * 256);
    float* channels[32];
    for (int k = 0; k < 32; ++k) channels[k] = &buffers[static_cast<size_t>(k) * 256];
    clap_audio_buffer in{channels, nullptr, 16, 0, 0}, out{channels + 16, nullptr, 16, 0, 0};
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        ClapEventList events;
        clap_process process{};
        process.frames_count = 256;
        process.audio_inputs = &in;
        process.audio_outputs = &out;
        process.audio_inputs_count = process.audio_outputs_count = 1;
        process.in_events = events.Input();
        for (uint32_t block = 0; !done; ++block) {
            events.Clear();
            for (clap_id id = 0; id < 8; ++id)
                events.AddParameter((block * 37 + id * 29) % 256, id, (block >> id) & 1);
            clap.plugin()->process(clap.plugin(), &process);
            ++blocks;
        }
    });
    int bad = 0;
    for (int i = 0; i < 2000 || blocks < 10; ++i) {
        std::vector<uint8_t> chunk;
        float floats[65] = {};
        if (clap.Save(chunk) && chunk.size() == sizeof floats)
            std::memcpy(floats, chunk.data(), sizeof floats);
        bad += floats[0] != -1000.0f;
        for (int bus = 0; bus < 8; ++bus)
            bad += floats[1 + 2 * bus] != 0 && floats[1 + 2 * bus] != 1;
    }
    done = true;
    audio.join();
    EXPECT_EQ(bad, 0);
}

}  // namespace
