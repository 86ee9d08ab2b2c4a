// The VST 3 bundle's state: the VST 2 build's chunk byte for byte both ways, whole through
// streams that move little at a time, refused when short, long or foreign (changing nothing),
// seen by the controller at once, and safe while another thread processes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "tests/plugin/scripted_host.h"
#include "tests/product/vst3/vst3_host.h"

namespace {

using namespace vst3test;

void SetBuses(IEditController* controller, const std::vector<int>& buses) {
    for (ParamID id = 0; id < 8; ++id) {
        const bool on = std::count(buses.begin(), buses.end(), static_cast<int>(id) + 1) > 0;
        controller->setParamNormalized(id, on ? 1.0 : 0.0);
    }
}

const std::vector<int> kPatterns[] = {{}, {1, 8}, {2, 3, 5, 7}, {1, 2, 3, 4, 5, 6, 7, 8}};

TEST(Vst3State, TheVst2ChunkBothWays) {
    ScriptedHost host;
    for (const auto& buses : kPatterns) {
        SCOPED_TRACE(::testing::PrintToString(buses));
        HostedEffect vst2(host);
        vst2.Start();
        vst2.SetBuses(buses);
        Instance saver, loader;
        ASSERT_TRUE(saver.Valid() && loader.Valid());
        SetBuses(saver.controller, buses);
        EXPECT_EQ(saver.State(), vst2.GetChunk());

        // Restored into a fresh instance through a stream that gives 7 bytes a call: the
        // controller shows it at once, and it saves the same bytes again.
        ASSERT_EQ(loader.SetState(vst2.GetChunk(), 7), kResultOk);
        for (ParamID id = 0; id < 8; ++id) {
            EXPECT_EQ(loader.controller->getParamNormalized(id),
                      vst2.GetParameter(static_cast<int32_t>(id)));
        }
        EXPECT_EQ(loader.State(), vst2.GetChunk());
        // What the host passes on to the controller after a restore is accepted and changes
        // nothing; the controller has no state of its own.
        MemoryStream same(vst2.GetChunk()), empty;
        EXPECT_EQ(loader.controller->setComponentState(&same), kResultOk);
        EXPECT_EQ(loader.controller->getState(&empty), kResultOk);
        EXPECT_TRUE(empty.bytes.empty());
        EXPECT_EQ(loader.controller->setState(&empty), kResultOk);
        EXPECT_EQ(loader.State(), vst2.GetChunk());
    }
}

TEST(Vst3State, ShortLongOrForeignStreamsAreRefusedAndChangeNothing) {
    ScriptedHost host;
    HostedEffect vst2(host);
    vst2.Start();
    vst2.SetBuses({1, 2, 3, 4, 5, 6, 7, 8});
    const std::vector<uint8_t> good = vst2.GetChunk();
    ASSERT_EQ(good.size(), 260u);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"one byte short", {good.begin(), good.end() - 1}},
        {"the header only", {good.begin(), good.begin() + 4}},
        {"one byte long", good},
        {"twice as long", good},
        {"another header", good},
        {"no header", good},
    };
    cases[3].bytes.push_back(0);
    cases[4].bytes.insert(cases[4].bytes.end(), good.begin(), good.end());
    cases[5].bytes[0] ^= 0x40;
    std::fill(cases[6].bytes.begin(), cases[6].bytes.begin() + 4, uint8_t{0});

    Instance vst3;
    ASSERT_TRUE(vst3.Valid());
    SetBuses(vst3.controller, {3, 6});
    const std::vector<uint8_t> before = vst3.State();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int32_t perCall : {1 << 30, 1}) {
            EXPECT_EQ(vst3.SetState(c.bytes, perCall), kResultFalse);
            EXPECT_EQ(vst3.State(), before);
            for (ParamID id = 0; id < 8; ++id) {
                EXPECT_EQ(vst3.controller->getParamNormalized(id), id == 2 || id == 5 ? 1.0 : 0.0);
            }
        }
    }
    EXPECT_EQ(vst3.component->setState(nullptr), kInvalidArgument);
    EXPECT_EQ(vst3.component->getState(nullptr), kInvalidArgument);
    // A stream that stops taking bytes fails the save instead of leaving half a chunk unsaid.
    MemoryStream full;
    full.refuseWrites = true;
    EXPECT_NE(vst3.component->getState(&full), kResultOk);
    // One that takes a byte a call gets all of them.
    MemoryStream slow;
    slow.mostPerCall = 1;
    ASSERT_EQ(vst3.component->getState(&slow), kResultOk);
    EXPECT_EQ(slow.bytes, before);
}

// Chunk faults as the VST 2 state-threads test defines them: the marker, switches 0 or 1.
std::string ChunkFault(const std::vector<uint8_t>& bytes) {
    if (bytes.size() != 260) return "size " + std::to_string(bytes.size());
    float f[65];
    std::memcpy(f, bytes.data(), sizeof f);
    if (f[0] != -1000.0f) return "no marker";
    for (int bus = 0; bus < 8; ++bus) {
        if (f[1 + 2 * bus] != 0.0f && f[1 + 2 * bus] != 1.0f)
            return "switch " + std::to_string(bus);
    }
    return "";
}

// A host saves and loads from its UI thread while the audio thread processes with automation:
// every save is a whole chunk, every load of a whole chunk is taken, nothing is torn.
TEST(Vst3State, SavesAndLoadsWhileAnotherThreadProcesses) {
    ScriptedHost host;
    std::vector<std::vector<uint8_t>> chunks;
    for (const auto& buses : kPatterns) {
        HostedEffect vst2(host);
        vst2.Start();
        vst2.SetBuses(buses);
        chunks.push_back(vst2.GetChunk());
    }
    Instance vst3(Module::Router(), 256);
    ASSERT_TRUE(vst3.Valid());
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        std::vector<float> buffers(32 * 256, 0.25f);
        float* channels[32];
        for (int c = 0; c < 32; ++c) channels[c] = &buffers[static_cast<size_t>(c) * 256];
        AudioBusBuffers buses[16];
        for (int b = 0; b < 16; ++b) {
            buses[b].numChannels = 2;
            buses[b].silenceFlags = 0;
            buses[b].channelBuffers32 = &channels[2 * b];
        }
        ParameterChanges changes;
        for (int block = 0; !done; ++block) {
            changes.Clear();
            changes.Add(static_cast<ParamID>(block % 8), block % 256, (block / 8) % 2);
            ProcessData data{kRealtime, kSample32, 256,     8,       8,       buses,
                             buses + 8, &changes,  nullptr, nullptr, nullptr, nullptr};
            vst3.processor->process(&data);
            blocks = block + 1;
        }
    });
    std::string fault;
    int refused = 0;
    // Until both sides have done plenty, so that they overlap.
    for (int i = 0; (i < 2000 || blocks < 200) && fault.empty(); ++i) {
        fault = ChunkFault(vst3.State());
        refused += vst3.SetState(chunks[static_cast<size_t>(i) % std::size(chunks)]) != kResultOk;
        const double value = vst3.controller->getParamNormalized(static_cast<ParamID>(i % 8));
        if (value != 0.0 && value != 1.0) fault = "parameter value " + std::to_string(value);
    }
    done = true;
    audio.join();
    EXPECT_EQ(fault, "");
    EXPECT_EQ(refused, 0);
}

}  // namespace
