// The .clap's outputs against the VST 2 build's, bit for bit: the same random input, the
// same switches at the same frames (the VST 2 host splits its calls there), the same buffer
// sharing, in both port layouts and both precisions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "tests/plugin/scripted_host.h"
#include "tests/product/clap/clap_test_host.h"
#include "tests/product/new_counter.h"

namespace {

constexpr uint32_t kChannels = 16;

struct ProcessCase {
    const char* what;
    clap_id layout;  // 0: one 16-channel port a direction, 1: eight stereo ports
    bool wide;       // 64-bit buffers
    bool inPlace;    // each output channel on its input's buffer
    bool holes;      // some channels or ports without buffers
    uint32_t maxFrames;
    uint32_t portChannels = kChannels;  // in the one port: fewer leave channels out, more are
                                        // the host's own and never touched
};

constexpr ProcessCase kCases[] = {
    {"one port, float, separate", 0, false, false, false, 512},
    {"one port, float, in place", 0, false, true, false, 512},
    {"one port, double, separate", 0, true, false, false, 512},
    {"one port, double, in place", 0, true, true, false, 512},
    {"stereo ports, float, separate", 1, false, false, false, 512},
    {"stereo ports, float, in place", 1, false, true, false, 512},
    {"stereo ports, double, separate", 1, true, false, false, 512},
    {"stereo ports, double, in place", 1, true, true, false, 512},
    {"one port, float, null channels", 0, false, false, true, 300},
    {"stereo ports, double, ports without buffers", 1, true, true, true, 300},
    {"one port, float, blocks of at most 7", 0, false, false, false, 7},
    {"one port of 12 channels, float", 0, false, false, false, 512, 12},
    {"one port of 20 channels, double, in place", 0, true, true, false, 512, 20},
};

// What a parameter event's value means to a VST 2 host: a stepped CLAP value is truncated to
// a step, 0 muted and 1 enabled; NaN sets nothing.
bool Vst2Value(double clap, float* vst) {
    if (std::isnan(clap)) return false;
    *vst = std::trunc(std::fmin(std::fmax(clap, 0.0), 1.0)) >= 1.0 ? 1.0f : 0.0f;
    return true;
}

// Random samples with a share of NaN, infinities, denormals and -0.0.
template <typename Sample>
Sample RandomSample(std::mt19937& rng) {
    using Limits = std::numeric_limits<Sample>;
    const uint32_t bits = rng();
    const Sample special[] = {Limits::quiet_NaN(), Limits::signaling_NaN(), -Limits::infinity(),
                              Limits::denorm_min() * 77, Sample(-0.0)};
    if (bits % 16 < std::size(special)) return special[bits % 16];
    return static_cast<Sample>(static_cast<int32_t>(bits)) / Sample(2147483648.0);
}

// A transport that changes nothing the router routes by, only where the block is split.
clap_event_transport Transport(uint32_t block) {
    clap_event_transport t{};
    t.flags = CLAP_TRANSPORT_HAS_TEMPO | CLAP_TRANSPORT_HAS_BEATS_TIMELINE |
              CLAP_TRANSPORT_HAS_TIME_SIGNATURE | (block % 2 ? CLAP_TRANSPORT_IS_PLAYING : 0);
    t.tempo = 90.0 + block;
    t.song_pos_beats = static_cast<clap_beattime>(block) << 31;
    t.tsig_num = t.tsig_denom = 4;
    return t;
}

template <typename Sample>
void Differential(const ProcessCase& c) {
    ClapInstance clap;
    ASSERT_NE(clap.plugin(), nullptr);
    const auto* layouts =
        clap.Extension<clap_plugin_audio_ports_config>(CLAP_EXT_AUDIO_PORTS_CONFIG);
    ASSERT_TRUE(layouts->select(clap.plugin(), c.layout));
    ASSERT_TRUE(clap.Activate(48000.0, c.maxFrames));
    ScriptedHost host;
    HostedEffect vst(host);
    vst.Start();

    // Inputs in buffers 0..15, outputs in 16..31 or, in place, on their inputs'. A port of
    // more channels brings 4 more each way, in buffers of their own; the effect's channels a
    // port of fewer leaves out are missing to the VST 2 build too.
    constexpr uint32_t kMost = kChannels + 4;
    std::vector<std::vector<Sample>> clapPool(2 * kMost, std::vector<Sample>(c.maxFrames));
    auto vstPool = clapPool;
    Sample* clapIn[kMost];
    Sample* clapOut[kMost];
    Sample* vstIn[kMost];
    Sample* vstOut[kMost];
    for (uint32_t k = 0; k < kMost; ++k) {
        const uint32_t out = c.inPlace ? k : kMost + k;
        clapIn[k] = clapPool[k].data(), clapOut[k] = clapPool[out].data();
        vstIn[k] = vstPool[k].data(), vstOut[k] = vstPool[out].data();
        if (k >= c.portChannels) vstIn[k] = vstOut[k] = nullptr;
    }
    if (c.holes) {  // inputs 3/4 and outputs 7/8 (the second and fourth stereo ports)
        for (uint32_t k : {2u, 3u}) clapIn[k] = vstIn[k] = nullptr;
        for (uint32_t k : {6u, 7u}) clapOut[k] = vstOut[k] = nullptr;
    }
    // The host's port buffers over those channels.
    const uint32_t width = c.layout == 0 ? c.portChannels : 2;
    const uint32_t ports = c.layout == 0 ? 1 : kChannels / width;
    std::vector<clap_audio_buffer> inputs(ports), outputs(ports);
    for (uint32_t i = 0; i < ports; ++i) {
        for (auto [buffers, channels] :
             {std::pair{&inputs, clapIn}, std::pair{&outputs, clapOut}}) {
            clap_audio_buffer& b = (*buffers)[i];
            b.channel_count = width;
            Sample** data = channels + i * width;
            // A port whose channels are all missing gets no pointer array at all.
            if (c.layout == 1 && !data[0]) data = nullptr;
            if constexpr (sizeof(Sample) == 8)
                b.data64 = data;
            else
                b.data32 = data;
        }
    }

    std::mt19937 rng(2024 + c.portChannels * 16 + c.layout * 8 + c.wide * 4 + c.inPlace * 2 +
                     c.holes);
    constexpr double kValues[] = {0.0, 1.0, 0.0, 1.0, 0.7, 0.999, 1.5, -0.5, std::nan("")};
    ClapEventList events;
    for (uint32_t block = 0; block < 120; ++block) {
        const uint32_t frames = block < 3 ? block : rng() % (c.maxFrames + 1);
        for (size_t b = 0; b < clapPool.size(); ++b) {
            for (Sample& x : clapPool[b]) x = RandomSample<Sample>(rng);
            vstPool[b] = clapPool[b];
        }
        // Sorted random times, a few other events among them; once, far more changes than a
        // block is likely to hold.
        events.Clear();
        std::vector<uint32_t> times(block == 40 ? 3000 : rng() % 7);
        for (uint32_t& t : times) t = frames ? rng() % frames : 0;
        std::sort(times.begin(), times.end());
        std::vector<std::tuple<uint32_t, clap_id, double>> changes;
        for (uint32_t t : times) {
            switch (rng() % 12) {
                case 0:
                    events.AddTransport(t, Transport(block));
                    break;
                case 1:
                    events.AddOther(t, 1, CLAP_EVENT_PARAM_VALUE);
                    break;  // not core
                case 2:
                    events.AddOther(t, 0, CLAP_EVENT_PARAM_GESTURE_BEGIN);
                    break;
                case 3:
                    events.AddParameter(t, 8 + rng() % 100, 1.0);
                    break;  // no such id
                default: {
                    const clap_id id = rng() % 8;
                    const double value = kValues[rng() % std::size(kValues)];
                    events.AddParameter(t, id, value);
                    changes.emplace_back(t, id, value);
                }
            }
        }
        clap_event_transport transport = Transport(block);
        clap_process process{};
        process.steady_time = block * 1000;
        process.frames_count = frames;
        process.transport = block % 3 ? &transport : nullptr;
        process.audio_inputs = inputs.data();
        process.audio_outputs = outputs.data();
        process.audio_inputs_count = process.audio_outputs_count = ports;
        process.in_events = events.Input();
        for (clap_audio_buffer& b : inputs) b.constant_mask = rng();  // a hint, to be ignored
        for (clap_audio_buffer& b : outputs) b.constant_mask = ~0ull;
        const int allocations = NewCalls();
        CountNew(true);
        const clap_process_status status = clap.plugin()->process(clap.plugin(), &process);
        CountNew(false);
        ASSERT_EQ(status, CLAP_PROCESS_CONTINUE);
        ASSERT_EQ(NewCalls(), allocations) << "process allocated in block " << block;
        for (const clap_audio_buffer& b : outputs) EXPECT_EQ(b.constant_mask, 0u);

        // The VST 2 host: one call up to each change, then the change.
        uint32_t done = 0;
        auto run = [&](uint32_t until) {
            Sample* in[kChannels];
            Sample* out[kChannels];
            for (uint32_t k = 0; k < kChannels; ++k) {
                in[k] = vstIn[k] ? vstIn[k] + done : nullptr;
                out[k] = vstOut[k] ? vstOut[k] + done : nullptr;
            }
            const auto n = static_cast<int32_t>(until - done);
            AEffect* e = vst.effect();
            if constexpr (sizeof(Sample) == 8) {
                e->processDoubleReplacing(e, in, out, n);
            } else {
                e->processReplacing(e, in, out, n);
            }
            done = until;
        };
        for (const auto& [t, id, value] : changes) {
            if (t > done) run(t);
            float v;
            if (Vst2Value(value, &v)) vst.SetParameter(static_cast<int32_t>(id), v);
        }
        run(frames);
        for (size_t b = 0; b < clapPool.size(); ++b) {
            ASSERT_EQ(
                0, std::memcmp(clapPool[b].data(), vstPool[b].data(), sizeof(Sample) * c.maxFrames))
                << "buffer " << b << " after block " << block << " of " << frames << " frames";
        }
        // What the host reads back is what routes.
        for (clap_id id = 0; id < 8; ++id)
            ASSERT_EQ(clap.Value(id), vst.GetParameter(static_cast<int32_t>(id))) << "id " << id;
    }
}

TEST(ClapProcessing, BitForBitTheVst2OutputWithSwitchesAtTheirFrames) {
    for (const ProcessCase& c : kCases) {
        SCOPED_TRACE(c.what);
        if (c.wide) {
            Differential<double>(c);
        } else {
            Differential<float>(c);
        }
    }
}

// flush while not processing: inactive on the main thread, and active between blocks.
TEST(ClapProcessing, FlushAppliesAtOnceActiveOrNot) {
    ClapInstance clap;
    ASSERT_NE(clap.plugin(), nullptr);
    ClapEventList events;
    for (clap_id id = 0; id < 8; ++id) events.AddParameter(0, id, id % 3 == 0 ? 1.0 : 0.0);
    events.AddParameter(0, 1, 1.0);
    events.AddOther(0, 0, CLAP_EVENT_NOTE_ON);
    clap.Flush(events);
    std::vector<double> values;
    for (clap_id id = 0; id < 8; ++id) values.push_back(clap.Value(id));
    EXPECT_EQ(values, (std::vector<double>{1, 1, 0, 1, 0, 0, 1, 0}));

    ASSERT_TRUE(clap.Activate(44100.0, 64));
    events.Clear();
    events.AddParameter(0, 0, 0.0);
    events.AddParameter(0, 7, 1.0);
    clap.Flush(events);
    EXPECT_EQ(clap.Value(0), 0.0);
    EXPECT_EQ(clap.Value(7), 1.0);
}

}  // namespace
