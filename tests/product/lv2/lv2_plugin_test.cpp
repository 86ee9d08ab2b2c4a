// The LV2 bundle through lilv, against the VST 2 build of the same effect: its description
// against what the VST 2 record reports, its outputs against the VST 2 build's for the same
// input, switches and buffer aliasing, and its state against the VST 2 chunk.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/port-groups/port-groups.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <thread>

#include "tests/plugin/scripted_host.h"
#include "tests/product/lv2/lilv_host.h"

namespace {

constexpr double kRate = 48000.0;
constexpr const char* kLv2 = "http://lv2plug.in/ns/lv2core#";
constexpr const char* kPg = "http://lv2plug.in/ns/ext/port-groups#";

std::string Str(const LilvNode* node) {
    return node && lilv_node_is_string(node) ? lilv_node_as_string(node) : "";
}

// One instance of each format, opened and resumed as their hosts do.
struct Pair {
    explicit Pair(LilvHost& lv2, bool withFeatures = true) : vst(host) {
        vst.Start();
        instance =
            lilv_plugin_instantiate(lv2.Plugin(), kRate, withFeatures ? lv2.Features() : nullptr);
        if (instance) lilv_instance_activate(instance);
    }
    ~Pair() {
        if (!instance) return;
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    ScriptedHost host;
    HostedEffect vst;
    LilvInstance* instance = nullptr;
    float controls[HostedEffect::kBusCount] = {};
};

void ConnectControls(Pair& p) {
    for (uint32_t i = 0; i < HostedEffect::kBusCount; ++i)
        lilv_instance_connect_port(p.instance, 32 + i, &p.controls[i]);
}

TEST(Lv2Description, PortsAndIdentityComeFromTheEffect) {
    LilvHost lv2;
    ASSERT_NE(lv2.Plugin(), nullptr);
    ScriptedHost host;
    HostedEffect vst(host);
    vst.Open();
    const LilvPlugin* plugin = lv2.Plugin();
    AEffect* e = vst.effect();
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin),
              static_cast<uint32_t>(e->numInputs + e->numOutputs + e->numParams + 1));
    LilvNode* name = lilv_plugin_get_name(plugin);
    EXPECT_EQ(Str(name), vst.Text(effGetEffectName));
    lilv_node_free(name);

    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);
    EXPECT_TRUE(lilv_plugin_has_feature(plugin, lv2.Uri(LV2_CORE__hardRTCapable)));
    LilvNodes* minor = lilv_plugin_get_value(plugin, lv2.Uri(LV2_CORE__minorVersion));
    ASSERT_EQ(lilv_nodes_size(minor), 1u);
    const int minorVersion = lilv_node_as_int(lilv_nodes_get_first(minor));
    EXPECT_TRUE(minorVersion > 0 && minorVersion % 2 == 0) << minorVersion;  // a release
    lilv_nodes_free(minor);

    std::set<std::string> symbols;
    for (uint32_t i = 0; i < lilv_plugin_get_num_ports(plugin); ++i) {
        SCOPED_TRACE("port " + std::to_string(i));
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        symbols.insert(Str(lilv_port_get_symbol(plugin, port)));
        EXPECT_FALSE(
            lilv_port_has_property(plugin, port, lv2.Uri(std::string(kLv2) + "inPlaceBroken")));
        const bool input = lilv_port_is_a(plugin, port, lv2.Uri(LV2_CORE__InputPort));
        if (lilv_port_is_a(plugin, port, lv2.Uri(LV2_CORE__AudioPort))) {
            const uint32_t channel = input ? i : i - e->numInputs;
            EXPECT_EQ(input, i < static_cast<uint32_t>(e->numInputs));
            LilvNodes* group = lilv_port_get_value(plugin, port, lv2.Uri(LV2_PORT_GROUPS__group));
            LilvNodes* side = lilv_port_get_value(plugin, port, lv2.Uri(LV2_CORE__designation));
            ASSERT_EQ(lilv_nodes_size(group), 1u);
            ASSERT_EQ(lilv_nodes_size(side), 1u);
            EXPECT_STREQ(lilv_node_as_uri(lilv_nodes_get_first(side)),
                         (std::string(kPg) + (channel % 2 ? "right" : "left")).c_str());
            const LilvNode* g = lilv_nodes_get_first(group);
            LilvNode* label =
                lilv_world_get(lv2.World(), g, lv2.Uri(LILV_NS_RDFS "label"), nullptr);
            const std::string expected =
                input ? (channel < 2 ? "Main input"
                                     : "Input " + std::to_string(channel / 2 * 2 + 1) + "/" +
                                           std::to_string(channel / 2 * 2 + 2))
                      : "Bus " + std::to_string(channel / 2 + 1);
            EXPECT_EQ(Str(label), expected);
            LilvNode* main = lilv_world_get(lv2.World(), lilv_plugin_get_uri(plugin),
                                            lv2.Uri(LV2_PORT_GROUPS__mainInput), nullptr);
            EXPECT_EQ(input && channel < 2, lilv_node_equals(main, g));
            lilv_node_free(main);
            lilv_node_free(label);
            lilv_nodes_free(group);
            lilv_nodes_free(side);
        } else if (lilv_port_is_a(plugin, port, lv2.Uri(LV2_CORE__ControlPort))) {
            const int32_t index = static_cast<int32_t>(i) - e->numInputs - e->numOutputs;
            LilvNode* portName = lilv_port_get_name(plugin, port);
            EXPECT_EQ(Str(portName), vst.Text(effGetParamName, index));
            lilv_node_free(portName);
            EXPECT_TRUE(input);
            EXPECT_TRUE(lilv_port_has_property(plugin, port, lv2.Uri(LV2_CORE__toggled)));
            EXPECT_TRUE(lilv_port_has_property(plugin, port, lv2.Uri(LV2_CORE__integer)));
            LilvNode *def, *min, *max;
            lilv_port_get_range(plugin, port, &def, &min, &max);
            EXPECT_EQ(lilv_node_as_float(def), vst.GetParameter(index));
            EXPECT_EQ(lilv_node_as_float(min), 0.0f);
            EXPECT_EQ(lilv_node_as_float(max), 1.0f);
            lilv_node_free(def);
            lilv_node_free(min);
            lilv_node_free(max);
        } else {
            EXPECT_TRUE(lilv_port_is_a(plugin, port, lv2.Uri(LV2_ATOM__AtomPort)));
            EXPECT_TRUE(
                lilv_port_has_property(plugin, port, lv2.Uri(LV2_CORE__connectionOptional)));
            EXPECT_TRUE(lilv_port_supports_event(
                plugin, port, lv2.Uri("http://lv2plug.in/ns/ext/time#Position")));
        }
    }
    EXPECT_EQ(symbols.size(), lilv_plugin_get_num_ports(plugin));
}

// Which of a pool of buffers each of the 32 audio ports sees: inputs 0..15, outputs 16..31.
struct Aliasing {
    const char* what;
    int buffer[32];
    bool features;
};

constexpr Aliasing kAliasings[] = {
    {"separate buffers",
     {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
      16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31},
     true},
    {"separate buffers, no features (as lv2apply)",
     {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
      16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31},
     false},
    {"in place",
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
      0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
     true},
    {"in place, rotated by a pair",
     {0, 1, 2, 3, 4, 5, 6, 7, 8,  9,  10, 11, 12, 13, 14, 15,
      2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0,  1},
     true},
    {"shared: inputs 3..16 on one buffer, outputs in pairs on one buffer",
     {0,  1,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,
      16, 16, 17, 17, 18, 18, 19, 19, 20, 20, 21, 21, 22, 22, 23, 23},
     true},
    {"shared: every output on input 1",
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,  0,  0,  0,  0},
     true},
};

constexpr int kPool = 32;
constexpr int kMaxFrames = 513;

// Random samples with a share of NaN, infinities, denormals and -0.0.
float RandomSample(std::mt19937& rng) {
    const uint32_t bits = rng();
    switch (bits % 16) {
        case 0:
            return std::numeric_limits<float>::quiet_NaN();
        case 1:
            return std::numeric_limits<float>::signaling_NaN();
        case 2:
            return -std::numeric_limits<float>::infinity();
        case 3:
            return std::numeric_limits<float>::denorm_min() * static_cast<float>(bits >> 8);
        case 4:
            return -0.0f;
        default:
            return static_cast<float>(static_cast<int32_t>(bits)) / 2147483648.0f;
    }
}

float RandomSwitch(std::mt19937& rng) {
    constexpr float kValues[] = {
        0.0f, 1.0f, 0.25f, 0.75f, 0.5f, 0.49f, std::numeric_limits<float>::quiet_NaN()};
    return kValues[rng() % std::size(kValues)];
}

TEST(Lv2Processing, BitForBitTheVst2OutputUnderEveryAliasing) {
    LilvHost lv2;
    ASSERT_NE(lv2.Plugin(), nullptr);
    for (const Aliasing& a : kAliasings) {
        SCOPED_TRACE(a.what);
        Pair p(lv2, a.features);
        ASSERT_NE(p.instance, nullptr);
        ASSERT_TRUE(p.vst.valid());
        std::vector<std::vector<float>> lv2Pool(kPool, std::vector<float>(kMaxFrames));
        auto vstPool = lv2Pool;
        float* vstIn[16];
        float* vstOut[16];
        for (uint32_t port = 0; port < 32; ++port) {
            lilv_instance_connect_port(p.instance, port, lv2Pool[a.buffer[port]].data());
            (port < 16 ? vstIn[port] : vstOut[port - 16]) = vstPool[a.buffer[port]].data();
        }
        ConnectControls(p);
        std::mt19937 rng(1234);
        for (int block = 0; block < 40; ++block) {
            const int frames = block < 4 ? block : static_cast<int>(rng() % kMaxFrames);
            for (int b = 0; b < kPool; ++b) {
                for (float& x : lv2Pool[b]) x = RandomSample(rng);
                vstPool[b] = lv2Pool[b];
            }
            if (block % 3 == 0) {
                for (int32_t i = 0; i < HostedEffect::kBusCount; ++i) {
                    p.controls[i] = RandomSwitch(rng);
                    // A VST 2 host hands every value on; the effect ignores NaN itself.
                    p.vst.SetParameter(i, p.controls[i]);
                }
            }
            lilv_instance_run(p.instance, static_cast<uint32_t>(frames));
            p.vst.effect()->processReplacing(p.vst.effect(), vstIn, vstOut, frames);
            for (int b = 0; b < kPool; ++b) {
                ASSERT_EQ(0, std::memcmp(lv2Pool[b].data(), vstPool[b].data(),
                                         sizeof(float) * kMaxFrames))
                    << "buffer " << b << " after block " << block << " of " << frames;
            }
        }
    }
}

std::vector<uint8_t> ChunkOf(const std::vector<StoredProperty>& stored) {
    return stored.size() == 1 ? stored[0].value : std::vector<uint8_t>();
}

TEST(Lv2State, TheVst2ChunkUnderOneKeyRestoredAtOnce) {
    LilvHost lv2;
    ASSERT_NE(lv2.Plugin(), nullptr);
    std::vector<float> silence(64 * 32);
    const std::vector<int> kPatterns[] = {{}, {1, 8}, {2, 3, 5, 7}, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (const auto& buses : kPatterns) {
        SCOPED_TRACE(::testing::PrintToString(buses));
        Pair p(lv2);
        ASSERT_NE(p.instance, nullptr);
        for (uint32_t port = 0; port < 32; ++port)
            lilv_instance_connect_port(p.instance, port, &silence[port * 64]);
        ConnectControls(p);
        for (int bus : buses) p.controls[bus - 1] = 1.0f;
        p.vst.SetBuses(buses);
        lilv_instance_run(p.instance, 64);
        std::vector<StoredProperty> stored;
        ASSERT_EQ(SaveState(p.instance, stored), LV2_STATE_SUCCESS);
        ASSERT_EQ(stored.size(), 1u);
        EXPECT_EQ(lv2.Unmap(stored[0].key), std::string(LOTTA_LV2_URI) + "#chunk");
        EXPECT_EQ(lv2.Unmap(stored[0].type), LV2_ATOM__Chunk);
        EXPECT_EQ(stored[0].flags, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
        EXPECT_EQ(stored[0].value, p.vst.GetChunk());
        EXPECT_EQ(stored[0].value.size(), 260u);

        // A chunk the VST 2 build saved with the other buses on, restored into a fresh
        // instance whose ports still hold their defaults: it holds at once and across runs.
        Pair q(lv2);
        for (uint32_t port = 0; port < 32; ++port)
            lilv_instance_connect_port(q.instance, port, &silence[port * 64]);
        ConnectControls(q);
        std::vector<int> others;
        for (int bus = 1; bus <= 8; ++bus) {
            if (std::find(buses.begin(), buses.end(), bus) == buses.end()) others.push_back(bus);
        }
        q.vst.SetBuses(others);
        std::vector<StoredProperty> fromVst = {
            {stored[0].key, q.vst.GetChunk(), stored[0].type, stored[0].flags}};
        ASSERT_EQ(RestoreState(q.instance, fromVst), LV2_STATE_SUCCESS);
        std::vector<StoredProperty> again;
        ASSERT_EQ(SaveState(q.instance, again), LV2_STATE_SUCCESS);
        EXPECT_EQ(ChunkOf(again), fromVst[0].value);
        // Hosts set the ports to the saved values after restoring: the chunk stays.
        for (int bus : others) q.controls[bus - 1] = 1.0f;
        lilv_instance_run(q.instance, 64);
        again.clear();
        SaveState(q.instance, again);
        EXPECT_EQ(ChunkOf(again), fromVst[0].value);
        // A port the host moves later wins, as a later parameter change does in VST 2.
        q.controls[0] = 1.0f - q.controls[0];
        q.vst.SetParameter(0, q.controls[0]);
        lilv_instance_run(q.instance, 64);
        again.clear();
        SaveState(q.instance, again);
        EXPECT_EQ(ChunkOf(again), q.vst.GetChunk());

        // Ports the host leaves at other values than the restored ones win at the next run,
        // so the effect ends up with what the host shows.
        for (float& control : q.controls) control = 0.0f;
        ASSERT_EQ(RestoreState(q.instance, fromVst), LV2_STATE_SUCCESS);
        lilv_instance_run(q.instance, 64);
        q.vst.SetBuses({});
        again.clear();
        SaveState(q.instance, again);
        EXPECT_EQ(ChunkOf(again), q.vst.GetChunk());

        // A state without our key, or of another type, changes nothing.
        std::vector<StoredProperty> wrongType = fromVst;
        wrongType[0].type = lv2.Map(LV2_ATOM__String);
        EXPECT_EQ(RestoreState(q.instance, {}), LV2_STATE_ERR_NO_PROPERTY);
        EXPECT_EQ(RestoreState(q.instance, wrongType), LV2_STATE_ERR_BAD_TYPE);
        again.clear();
        SaveState(q.instance, again);
        EXPECT_EQ(ChunkOf(again), q.vst.GetChunk());
    }
    // Without urid:map there is no key to store under: save says so.
    Pair bare(lv2, false);
    std::vector<StoredProperty> none;
    EXPECT_EQ(SaveState(bare.instance, none), LV2_STATE_ERR_NO_FEATURE);
    EXPECT_TRUE(none.empty());
}

TEST(Lv2State, SaveWhileRunRunsOnAnotherThread) {
    LilvHost lv2;
    ASSERT_NE(lv2.Plugin(), nullptr);
    Pair p(lv2);
    ASSERT_NE(p.instance, nullptr);
    std::vector<float> buffers(32 * 256);
    for (uint32_t port = 0; port < 32; ++port)
        lilv_instance_connect_port(p.instance, port, &buffers[port * 256]);
    ConnectControls(p);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int block = 0; !done; ++block) {
            for (int i = 0; i < HostedEffect::kBusCount; ++i)
                p.controls[i] = static_cast<float>((block >> i) & 1);
            lilv_instance_run(p.instance, 256);
        }
    });
    const float marker = -1000.0f;
    int bad = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<StoredProperty> stored;
        if (SaveState(p.instance, stored) != LV2_STATE_SUCCESS || stored.size() != 1 ||
            stored[0].value.size() != 260 || std::memcmp(stored[0].value.data(), &marker, 4)) {
            ++bad;
            continue;
        }
        for (int bus = 0; bus < 8; ++bus) {
            float value;
            std::memcpy(&value, &stored[0].value[4 + 8 * bus], 4);
            if (value != 0.0f && value != 1.0f) ++bad;
        }
    }
    done = true;
    audio.join();
    EXPECT_EQ(bad, 0);
}

}  // namespace
