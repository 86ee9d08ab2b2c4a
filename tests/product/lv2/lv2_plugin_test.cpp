// The LV2 bundle through lilv, against the VST 2 build of the same effect: its description
// against what the VST 2 record reports, its outputs against the VST 2 build's for the same
// input, switches and buffer aliasing, and its state against the VST 2 chunk.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/port-groups/port-groups.h>
#include <lv2/state/state.h>

#include <atomic>
#include <bit>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <thread>

#include "tests/plugin/scripted_host.h"

namespace {

// A host that knows the LV2 vocabularies and our bundle only, no installed plug-in, with a
// thread-safe urid:map.
struct Lv2Host {
    Lv2Host() {
        LilvNode* path = lilv_new_string(world, "/usr/lib/lv2");
        lilv_world_set_option(world, LILV_OPTION_LV2_PATH, path);
        lilv_node_free(path);
        lilv_world_load_specifications(world);
        LilvNode* bundle = lilv_new_file_uri(world, nullptr, LOTTA_LV2_BUNDLE "/");
        lilv_world_load_bundle(world, bundle);
        lilv_node_free(bundle);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), Uri(LOTTA_LV2_URI));
    }
    ~Lv2Host() {
        for (LilvNode* node : nodes) lilv_node_free(node);
        lilv_world_free(world);
    }
    const LilvNode* Uri(const std::string& uri) {
        return nodes.emplace_back(lilv_new_uri(world, uri.c_str()));
    }
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
        auto* self = static_cast<Lv2Host*>(handle);
        std::lock_guard lock(self->mutex);
        auto at = std::find(self->uris.begin(), self->uris.end(), uri);
        if (at == self->uris.end()) at = self->uris.insert(at, uri);
        return static_cast<LV2_URID>(at - self->uris.begin() + 1);
    }

    LilvWorld* world = lilv_world_new();
    const LilvPlugin* plugin = nullptr;
    std::vector<LilvNode*> nodes;
    std::mutex mutex;
    std::vector<std::string> uris;
    LV2_URID_Map map{this, Map};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    const LV2_Feature* features[2] = {&mapFeature, nullptr};
};

// One instance of each format, opened and resumed as their hosts do; the control ports
// connected to `controls`.
struct Pair {
    explicit Pair(Lv2Host& lv2, bool withFeatures = true) : vst(host) {
        vst.Start();
        instance =
            lilv_plugin_instantiate(lv2.plugin, 48000.0, withFeatures ? lv2.features : nullptr);
        if (!instance) return;
        for (uint32_t i = 0; i < 8; ++i) lilv_instance_connect_port(instance, 32 + i, &controls[i]);
        lilv_instance_activate(instance);
    }
    ~Pair() {
        if (!instance) return;
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    ScriptedHost host;
    HostedEffect vst;
    LilvInstance* instance = nullptr;
    float controls[8] = {};
};

struct Stored {
    LV2_URID key = 0, type = 0;
    uint32_t flags = 0;
    std::vector<uint8_t> value;
};

LV2_State_Status Save(LilvInstance* instance, std::vector<Stored>& out) {
    auto store = [](LV2_State_Handle h, uint32_t key, const void* value, size_t size, uint32_t type,
                    uint32_t flags) {
        const auto* bytes = static_cast<const uint8_t*>(value);
        static_cast<std::vector<Stored>*>(h)->push_back(
            {key, type, flags, std::vector<uint8_t>(bytes, bytes + size)});
        return LV2_STATE_SUCCESS;
    };
    auto* state = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    return state->save(lilv_instance_get_handle(instance), store, &out, 0, nullptr);
}

LV2_State_Status Restore(LilvInstance* instance, const std::vector<Stored>& in) {
    auto retrieve = [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type,
                       uint32_t* flags) -> const void* {
        for (const Stored& s : *static_cast<const std::vector<Stored>*>(h)) {
            if (s.key != key) continue;
            *size = s.value.size(), *type = s.type, *flags = s.flags;
            return s.value.data();
        }
        return nullptr;
    };
    auto* state = static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    return state->restore(lilv_instance_get_handle(instance), retrieve,
                          const_cast<std::vector<Stored>*>(&in), 0, nullptr);
}

std::vector<uint8_t> Chunk(LilvInstance* instance) {
    std::vector<Stored> stored;
    return Save(instance, stored) == LV2_STATE_SUCCESS && stored.size() == 1
               ? stored[0].value
               : std::vector<uint8_t>();
}

std::string Text(LilvNode* node) {
    std::string text = node ? lilv_node_as_string(node) : "";
    lilv_node_free(node);
    return text;
}

TEST(Lv2Description, PortsAndIdentityComeFromTheEffect) {
    Lv2Host lv2;
    ASSERT_NE(lv2.plugin, nullptr);
    const LilvPlugin* plugin = lv2.plugin;
    ScriptedHost host;
    HostedEffect vst(host);
    AEffect* e = vst.effect();
    ASSERT_EQ(lilv_plugin_get_num_ports(plugin), uint32_t(16 + 16 + e->numParams + 1));
    EXPECT_EQ(Text(lilv_plugin_get_name(plugin)), vst.Text(effGetEffectName));
    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    EXPECT_EQ(lilv_nodes_size(required), 0u);
    lilv_nodes_free(required);
    LilvNode* minor = lilv_world_get(lv2.world, lilv_plugin_get_uri(plugin),
                                     lv2.Uri(LV2_CORE__minorVersion), nullptr);
    LilvNode* micro = lilv_world_get(lv2.world, lilv_plugin_get_uri(plugin),
                                     lv2.Uri(LV2_CORE__microVersion), nullptr);
    // A release: even in both (tests/product/lv2/check_versions.sh tries more versions).
    EXPECT_TRUE(lilv_node_as_int(minor) > 0 && lilv_node_as_int(minor) % 2 == 0);
    EXPECT_TRUE(lilv_node_is_int(micro) && lilv_node_as_int(micro) % 2 == 0);
    lilv_node_free(minor);
    lilv_node_free(micro);
    // Runs longer than the host's maxBlockLength are taken in pieces (lv2_adapter_test.cpp).
    EXPECT_TRUE(lilv_world_ask(lv2.world, lilv_plugin_get_uri(plugin),
                               lv2.Uri(LV2_OPTIONS__supportedOption),
                               lv2.Uri(LV2_BUF_SIZE__maxBlockLength)));
    const LilvNode* mainInput = lv2.Uri(LV2_PORT_GROUPS__mainInput);
    LilvNode* main = lilv_world_get(lv2.world, lilv_plugin_get_uri(plugin), mainInput, nullptr);

    std::set<std::string> symbols;
    for (uint32_t i = 0; i < lilv_plugin_get_num_ports(plugin); ++i) {
        SCOPED_TRACE("port " + std::to_string(i));
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
        symbols.insert(lilv_node_as_string(lilv_port_get_symbol(plugin, port)));
        auto is = [&](const char* uri) { return lilv_port_is_a(plugin, port, lv2.Uri(uri)); };
        auto has = [&](const char* uri) {
            return lilv_port_has_property(plugin, port, lv2.Uri(uri));
        };
        EXPECT_FALSE(has(LV2_CORE_PREFIX "inPlaceBroken"));
        if (is(LV2_CORE__AudioPort)) {
            EXPECT_EQ(is(LV2_CORE__InputPort), i < 16);
            const uint32_t pair = i % 16 / 2;
            LilvNodes* group = lilv_port_get_value(plugin, port, lv2.Uri(LV2_PORT_GROUPS__group));
            ASSERT_EQ(lilv_nodes_size(group), 1u);
            const LilvNode* g = lilv_nodes_get_first(group);
            EXPECT_EQ(Text(lilv_world_get(lv2.world, g, lv2.Uri(LILV_NS_RDFS "label"), nullptr)),
                      i < 16 ? (pair ? "Input " + std::to_string(2 * pair + 1) + "/" +
                                           std::to_string(2 * pair + 2)
                                     : "Main input")
                             : "Bus " + std::to_string(pair + 1));
            EXPECT_EQ(lilv_node_equals(g, main), i < 2);
            lilv_nodes_free(group);
            LilvNodes* side = lilv_port_get_value(plugin, port, lv2.Uri(LV2_CORE__designation));
            ASSERT_EQ(lilv_nodes_size(side), 1u);
            EXPECT_STREQ(lilv_node_as_uri(lilv_nodes_get_first(side)),
                         i % 2 ? LV2_PORT_GROUPS__right : LV2_PORT_GROUPS__left);
            lilv_nodes_free(side);
        } else if (is(LV2_CORE__ControlPort)) {
            const int32_t index = static_cast<int32_t>(i) - 32;
            EXPECT_EQ(Text(lilv_port_get_name(plugin, port)), vst.Text(effGetParamName, index));
            EXPECT_TRUE(is(LV2_CORE__InputPort) && has(LV2_CORE__toggled) &&
                        has(LV2_CORE__integer));
            LilvNode *def, *min, *max;
            lilv_port_get_range(plugin, port, &def, &min, &max);
            EXPECT_EQ(lilv_node_as_float(def), vst.GetParameter(index));
            EXPECT_EQ(lilv_node_as_float(min), 0.0f);
            EXPECT_EQ(lilv_node_as_float(max), 1.0f);
            for (LilvNode* node : {def, min, max}) lilv_node_free(node);
        } else {
            EXPECT_TRUE(is(LV2_ATOM__AtomPort) && has(LV2_CORE__connectionOptional));
        }
    }
    EXPECT_EQ(symbols.size(), lilv_plugin_get_num_ports(plugin));
    lilv_node_free(main);
}

// Which of a pool of buffers each audio port sees: inputs 1..16, then outputs 1..16.
struct Aliasing {
    const char* what;
    int buffer[32];
    bool features;
};

#define SEPARATE_INPUTS 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15
constexpr Aliasing kAliasings[] = {
    {"separate",
     {SEPARATE_INPUTS, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31},
     true},
    {"separate, no features (as lv2apply)",
     {SEPARATE_INPUTS, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31},
     false},
    {"in place", {SEPARATE_INPUTS, SEPARATE_INPUTS}, true},
    {"in place, rotated by a pair",
     {SEPARATE_INPUTS, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0, 1},
     true},
    {"inputs 3..16 on one buffer, each output pair on one",
     {0,  1,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,
      16, 16, 17, 17, 18, 18, 19, 19, 20, 20, 21, 21, 22, 22, 23, 23},
     true},
    {"every output on input 1",
     {SEPARATE_INPUTS, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     true},
};
#undef SEPARATE_INPUTS

// Random samples with a share of NaN, infinities, denormals and -0.0.
float RandomSample(std::mt19937& rng) {
    const uint32_t bits = rng();
    constexpr float kSpecial[] = {std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::signaling_NaN(),
                                  -std::numeric_limits<float>::infinity(),
                                  std::numeric_limits<float>::denorm_min() * 77, -0.0f};
    if (bits % 16 < std::size(kSpecial)) return kSpecial[bits % 16];
    return static_cast<float>(static_cast<int32_t>(bits)) / 2147483648.0f;
}

TEST(Lv2Processing, BitForBitTheVst2OutputUnderEveryAliasing) {
    constexpr int kMaxFrames = 513;
    constexpr float kSwitches[] = {0.0f,   1.0f, 0.25f,
                                   0.75f,  0.5f, 0.49f,
                                   -0.25f, 2.0f, std::numeric_limits<float>::quiet_NaN()};
    Lv2Host lv2;
    ASSERT_NE(lv2.plugin, nullptr);
    for (const Aliasing& a : kAliasings) {
        SCOPED_TRACE(a.what);
        Pair p(lv2, a.features);
        ASSERT_NE(p.instance, nullptr);
        std::vector<std::vector<float>> lv2Pool(32, std::vector<float>(kMaxFrames));
        auto vstPool = lv2Pool;
        float* vst[32];
        for (uint32_t port = 0; port < 32; ++port) {
            lilv_instance_connect_port(p.instance, port, lv2Pool[a.buffer[port]].data());
            vst[port] = vstPool[a.buffer[port]].data();
        }
        std::mt19937 rng(1234);
        for (int block = 0; block < 40; ++block) {
            const int frames = block < 4 ? block : static_cast<int>(rng() % kMaxFrames);
            for (size_t b = 0; b < lv2Pool.size(); ++b) {
                for (float& x : lv2Pool[b]) x = RandomSample(rng);
                vstPool[b] = lv2Pool[b];
            }
            for (int32_t i = 0; block % 3 == 0 && i < 8; ++i) {
                p.controls[i] = kSwitches[rng() % std::size(kSwitches)];
                // The LV2 toggle rule: above zero is on, anything else (NaN too) off.
                p.vst.SetParameter(i, p.controls[i] > 0.0f ? 1.0f : 0.0f);
            }
            lilv_instance_run(p.instance, static_cast<uint32_t>(frames));
            p.vst.effect()->processReplacing(p.vst.effect(), vst, vst + 16, frames);
            // Bytes, not values: NaN never equals itself.
            for (size_t b = 0; b < lv2Pool.size(); ++b) {
                ASSERT_EQ(0, std::memcmp(lv2Pool[b].data(), vstPool[b].data(), 4 * kMaxFrames))
                    << "buffer " << b << " after block " << block << " of " << frames;
            }
        }
    }
}

TEST(Lv2State, TheVst2ChunkUnderOneKeyRestoredAtOnce) {
    Lv2Host lv2;
    ASSERT_NE(lv2.plugin, nullptr);
    std::vector<float> silence(32 * 64);
    const std::vector<int> kPatterns[] = {{}, {1, 8}, {2, 3, 5, 7}, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (const auto& buses : kPatterns) {
        SCOPED_TRACE(::testing::PrintToString(buses));
        Pair p(lv2), q(lv2);
        for (uint32_t port = 0; port < 32; ++port) {
            lilv_instance_connect_port(p.instance, port, &silence[port * 64]);
            lilv_instance_connect_port(q.instance, port, &silence[port * 64]);
        }
        for (int bus : buses) p.controls[bus - 1] = 1.0f;
        p.vst.SetBuses(buses);
        lilv_instance_run(p.instance, 64);
        std::vector<Stored> saved;
        ASSERT_EQ(Save(p.instance, saved), LV2_STATE_SUCCESS);
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_EQ(lv2.uris[saved[0].key - 1], LOTTA_LV2_URI "#chunk");
        EXPECT_EQ(lv2.uris[saved[0].type - 1], LV2_ATOM__Chunk);
        EXPECT_EQ(saved[0].flags, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
        EXPECT_EQ(saved[0].value, p.vst.GetChunk());
        // Flagged portable: little-endian floats whatever the machine, marker 00 00 7A C4.
        auto littleEndian = [&](size_t k) {
            const uint8_t* b = saved[0].value.data() + 4 * k;
            return std::bit_cast<float>(uint32_t(b[0]) | uint32_t(b[1]) << 8 |
                                        uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
        };
        ASSERT_EQ(saved[0].value.size(), 260u);
        EXPECT_EQ(littleEndian(0), -1000.0f);
        for (int bus = 1; bus <= 8; ++bus) {
            const bool on = std::count(buses.begin(), buses.end(), bus) != 0;
            EXPECT_EQ(littleEndian(2 * bus - 1), on ? 1.0f : 0.0f) << "bus " << bus;
        }

        // The VST 2 build's chunk of the other buses, restored: it holds at once, and after
        // the host sets the ports to the same switches, as hosts do after restoring.
        std::vector<int> others;
        for (int bus = 1; bus <= 8; ++bus) {
            if (std::count(buses.begin(), buses.end(), bus) == 0) others.push_back(bus);
        }
        q.vst.SetBuses(others);
        std::vector<Stored> fromVst = {saved[0]};
        fromVst[0].value = q.vst.GetChunk();
        ASSERT_EQ(Restore(q.instance, fromVst), LV2_STATE_SUCCESS);
        EXPECT_EQ(Chunk(q.instance), fromVst[0].value);
        for (int bus : others) q.controls[bus - 1] = 1.0f;
        lilv_instance_run(q.instance, 64);
        EXPECT_EQ(Chunk(q.instance), fromVst[0].value);
        // Ports that differ from the restored switches win at the next run.
        for (float& control : q.controls) control = 0.0f;
        ASSERT_EQ(Restore(q.instance, fromVst), LV2_STATE_SUCCESS);
        lilv_instance_run(q.instance, 64);
        q.vst.SetBuses({});
        EXPECT_EQ(Chunk(q.instance), q.vst.GetChunk());
        // A state without our key, or of another type, changes nothing.
        fromVst[0].type = Lv2Host::Map(&lv2, LV2_ATOM__String);
        EXPECT_EQ(Restore(q.instance, {}), LV2_STATE_ERR_NO_PROPERTY);
        EXPECT_EQ(Restore(q.instance, fromVst), LV2_STATE_ERR_BAD_TYPE);
        EXPECT_EQ(Chunk(q.instance), q.vst.GetChunk());
    }
    Pair bare(lv2, false);  // no urid:map, no key to store under
    std::vector<Stored> none;
    EXPECT_EQ(Save(bare.instance, none), LV2_STATE_ERR_NO_FEATURE);
}

// A run passes on every port that differs from what the effect holds, also when the port has
// not changed since the last run: after a restore, and when it is connected anew.
TEST(Lv2State, PortsThatDifferFromTheEffectWinHoweverTheyCameToDiffer) {
    Lv2Host lv2;
    ASSERT_NE(lv2.plugin, nullptr);
    Pair p(lv2);
    ASSERT_NE(p.instance, nullptr);
    std::vector<float> silence(32 * 64);
    for (uint32_t port = 0; port < 32; ++port) {
        lilv_instance_connect_port(p.instance, port, &silence[port * 64]);
    }
    auto chunkOf = [&](const std::vector<int>& buses) {
        p.vst.SetBuses(buses);
        std::vector<Stored> state = {{Lv2Host::Map(&lv2, LOTTA_LV2_URI "#chunk"),
                                      Lv2Host::Map(&lv2, LV2_ATOM__Chunk), 0, p.vst.GetChunk()}};
        return state;
    };
    enum Port2 { kKeep, kDisconnect, kConnectZero };
    float zero = 0.0f;
    const struct {
        const char* what;
        bool restore;
        std::vector<int> restored;  // the buses on in the chunk restored before the run
        Port2 port2;                // what happens to control port 2 before the run
        std::vector<int> expect;
    } steps[] = {
        {"port 1 on", false, {}, kKeep, {1}},
        {"all off restored, ports untouched", true, {}, kKeep, {1}},
        {"bus 2 restored, port 2 unconnected", true, {2}, kDisconnect, {1, 2}},
        {"port 2 connected, holding 0", false, {}, kConnectZero, {1}},
        {"nothing changed", false, {}, kKeep, {1}},
    };
    p.controls[0] = 1.0f;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.restore) {
            ASSERT_EQ(Restore(p.instance, chunkOf(step.restored)), LV2_STATE_SUCCESS);
        }
        if (step.port2 != kKeep) {
            lilv_instance_connect_port(p.instance, 33,
                                       step.port2 == kConnectZero ? &zero : nullptr);
        }
        lilv_instance_run(p.instance, 64);
        EXPECT_EQ(Chunk(p.instance), chunkOf(step.expect)[0].value);
    }
}

TEST(Lv2State, SaveWhileRunRunsOnAnotherThread) {
    Lv2Host lv2;
    ASSERT_NE(lv2.plugin, nullptr);
    Pair p(lv2);
    std::vector<float> buffers(32 * 256);
    for (uint32_t port = 0; port < 32; ++port)
        lilv_instance_connect_port(p.instance, port, &buffers[port * 256]);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int block = 0; !done; ++block) {
            for (int i = 0; i < 8; ++i) p.controls[i] = static_cast<float>((block >> i) & 1);
            lilv_instance_run(p.instance, 256);
        }
    });
    int bad = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::vector<uint8_t> chunk = Chunk(p.instance);
        float floats[65] = {};
        if (chunk.size() == sizeof floats) std::memcpy(floats, chunk.data(), sizeof floats);
        bad += floats[0] != -1000.0f;
        for (int bus = 0; bus < 8; ++bus)
            bad += floats[1 + 2 * bus] != 0 && floats[1 + 2 * bus] != 1;
    }
    done = true;
    audio.join();
    EXPECT_EQ(bad, 0);
}

}  // namespace
