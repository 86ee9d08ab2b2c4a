// What a CLAP host learns of the plug-in before it processes: entry, factory and descriptor,
// extensions, parameters and ports, against what the VST 2 build reports of the same effect.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/plugin/scripted_host.h"
#include "tests/product/clap/clap_test_host.h"

namespace {

TEST(ClapEntry, InitCountsAndTheFactoryAnswersOnlyItsId) {
    const clap_plugin_entry* entry = ClapLibrary::Get().Entry();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->clap_version.major, 1u);
    // The library holds one init already: more inits and their deinits leave it usable.
    const std::string path = HostPath(LOTTA_CLAP_PATH);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(entry->init(path.c_str()));
    for (int i = 0; i < 3; ++i) entry->deinit();
    EXPECT_EQ(entry->get_factory("clap.preset-discovery-factory/2"), nullptr);
    const auto* factory =
        static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory, entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    EXPECT_EQ(factory->get_plugin_count(factory), 1u);
    EXPECT_EQ(factory->get_plugin_descriptor(factory, 1), nullptr);

    ClapTestHost host;
    EXPECT_EQ(factory->create_plugin(factory, &host.host, "com.kelvane.other"), nullptr);
    host.host.clap_version = {0, 19, 0};  // the unstable series before 1.0
    EXPECT_EQ(factory->create_plugin(factory, &host.host, "com.kelvane.lotta_router"), nullptr);
    EXPECT_EQ(host.requests, 0);
}

TEST(ClapEntry, DescriptorNamesTheEffectAsTheVst2BuildDoes) {
    const clap_plugin_descriptor* d = ClapLibrary::Get().Descriptor();
    ASSERT_NE(d, nullptr);
    ScriptedHost host;
    HostedEffect vst(host);
    EXPECT_TRUE(ClapVersionIsCompatible(d->clap_version));
    // Fixed for good: hosts keep it in their sessions.
    EXPECT_STREQ(d->id, "com.kelvane.lotta_router");
    EXPECT_EQ(d->name, vst.Text(effGetEffectName));
    EXPECT_EQ(d->vendor, vst.Text(effGetVendorString));
    EXPECT_STREQ(d->version, LOTTA_PROJECT_VERSION);
    EXPECT_EQ(vst.Dispatch(effGetVendorVersion), std::stoi(LOTTA_PROJECT_VERSION) * 1000);
    std::vector<std::string> features;
    for (const char* const* f = d->features; *f; ++f) features.push_back(*f);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "utility", "mixing", "stereo"}));
    for (const char* text : {d->url, d->manual_url, d->support_url, d->description})
        EXPECT_NE(text, nullptr);
}

TEST(ClapExtensions, SameTablesOnEveryCallAndInstanceNoneForNotes) {
    ClapInstance a, b;
    ASSERT_NE(a.plugin(), nullptr);
    const char* const kOffered[] = {CLAP_EXT_AUDIO_PORTS,
                                    CLAP_EXT_AUDIO_PORTS_CONFIG,
                                    CLAP_EXT_AUDIO_PORTS_CONFIG_INFO,
                                    CLAP_EXT_AUDIO_PORTS_CONFIG_INFO_COMPAT,
                                    CLAP_EXT_PARAMS,
                                    CLAP_EXT_STATE,
                                    CLAP_EXT_LATENCY,
                                    CLAP_EXT_TAIL};
    for (const char* id : kOffered) {
        SCOPED_TRACE(id);
        const void* table = a.Extension<void>(id);
        EXPECT_NE(table, nullptr);
        EXPECT_EQ(table, a.Extension<void>(id));
        EXPECT_EQ(table, b.Extension<void>(id));
    }
    for (const char* id : {CLAP_EXT_NOTE_PORTS, "clap.gui", "clap.audio-ports/", ""})
        EXPECT_EQ(a.Extension<void>(id), nullptr) << id;
    // Neither adds samples.
    ASSERT_TRUE(a.Activate(48000.0, 512));
    EXPECT_EQ(a.Extension<clap_plugin_latency>(CLAP_EXT_LATENCY)->get(a.plugin()), 0u);
    EXPECT_EQ(a.Extension<clap_plugin_tail>(CLAP_EXT_TAIL)->get(a.plugin()), 0u);
}

TEST(ClapParameters, InfosAndTextsMatchTheVst2Parameters) {
    ClapInstance clap;
    ASSERT_NE(clap.params(), nullptr);
    ScriptedHost host;
    HostedEffect vst(host);
    const clap_plugin* p = clap.plugin();
    const clap_plugin_params* params = clap.params();
    ASSERT_EQ(params->count(p), static_cast<uint32_t>(vst.effect()->numParams));
    for (uint32_t i = 0; i < params->count(p); ++i) {
        SCOPED_TRACE("parameter " + std::to_string(i));
        clap_param_info info, again;
        std::memset(&info, 0xA5, sizeof info);
        std::memset(&again, 0x5A, sizeof again);
        ASSERT_TRUE(params->get_info(p, i, &info));
        ASSERT_TRUE(params->get_info(p, i, &again));
        EXPECT_EQ(std::memcmp(&info, &again, sizeof info), 0) << "every byte set, the same";
        EXPECT_EQ(info.id, i);
        EXPECT_EQ(info.name, vst.Text(effGetParamName, static_cast<int32_t>(i)));
        EXPECT_EQ(info.flags,
                  CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_ENUM);
        EXPECT_EQ(info.min_value, 0.0);
        EXPECT_EQ(info.max_value, 1.0);
        EXPECT_EQ(info.default_value, vst.GetParameter(static_cast<int32_t>(i)));
        EXPECT_EQ(clap.Value(i), info.default_value);

        // Each step's text both ways, as the VST 2 build displays it.
        for (double step : {0.0, 1.0}) {
            vst.SetParameter(static_cast<int32_t>(i), static_cast<float>(step));
            const std::string display = vst.Text(effGetParamDisplay, static_cast<int32_t>(i));
            char text[64];
            ASSERT_TRUE(params->value_to_text(p, i, step, text, sizeof text));
            EXPECT_EQ(text, display);
            double value = -1.0;
            ASSERT_TRUE(params->text_to_value(p, i, text, &value));
            EXPECT_EQ(value, step);
            // A stepped value is truncated: 0.7 is step 0.
            ASSERT_TRUE(params->value_to_text(p, i, step + 0.7, text, sizeof text));
            EXPECT_EQ(text, display);
            EXPECT_FALSE(
                params->value_to_text(p, i, step, text, static_cast<uint32_t>(display.size())));
        }
        double value = 0.0;
        EXPECT_FALSE(params->text_to_value(p, i, "loud", &value));
        EXPECT_FALSE(params->value_to_text(p, i, std::nan(""), nullptr, 0));
    }
    clap_param_info info;
    double value;
    char text[64];
    EXPECT_FALSE(params->get_info(p, params->count(p), &info));
    EXPECT_FALSE(params->get_value(p, params->count(p), &value));
    EXPECT_FALSE(params->value_to_text(p, CLAP_INVALID_ID, 0.0, text, sizeof text));
}

// The ports of each layout, as a host reads them.
struct LayoutCase {
    clap_id id;
    uint32_t ports;
    std::vector<std::string> inputNames, outputNames;
};

std::vector<std::string> Numbered(const char* format, int count, int step, int from) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, format, from + step * i, from + step * i + 1);
        names.push_back(name);
    }
    return names;
}

TEST(ClapPorts, EachLayoutReachesEverySixteenChannelsWithItsNames) {
    const LayoutCase kLayouts[] = {
        {0, 1, {"Inputs 1-16"}, {"Buses 1-8"}},
        {1, 8, Numbered("Input %d/%d", 8, 2, 1), Numbered("Bus %d", 8, 1, 1)},
    };
    ClapInstance clap;
    ASSERT_NE(clap.plugin(), nullptr);
    const clap_plugin* p = clap.plugin();
    const auto* ports = clap.Extension<clap_plugin_audio_ports>(CLAP_EXT_AUDIO_PORTS);
    const auto* configs =
        clap.Extension<clap_plugin_audio_ports_config>(CLAP_EXT_AUDIO_PORTS_CONFIG);
    const auto* configInfo =
        clap.Extension<clap_plugin_audio_ports_config_info>(CLAP_EXT_AUDIO_PORTS_CONFIG_INFO);
    ASSERT_TRUE(ports && configs && configInfo);
    // Hosts that never choose a layout get every channel through the main ports.
    EXPECT_EQ(configInfo->current_config(p), 0u);
    ASSERT_EQ(configs->count(p), std::size(kLayouts));
    clap_audio_ports_config config;
    EXPECT_FALSE(configs->get(p, configs->count(p), &config));
    EXPECT_FALSE(configs->select(p, 7));

    for (const LayoutCase& layout : kLayouts) {
        SCOPED_TRACE("layout " + std::to_string(layout.id));
        ASSERT_TRUE(configs->get(p, layout.id, &config));
        EXPECT_EQ(config.id, layout.id);
        EXPECT_GT(std::strlen(config.name), 0u);
        ASSERT_TRUE(configs->select(p, layout.id));
        EXPECT_EQ(configInfo->current_config(p), layout.id);
        const uint32_t width = 16 / layout.ports;
        for (bool input : {true, false}) {
            SCOPED_TRACE(input ? "inputs" : "outputs");
            ASSERT_EQ(ports->count(p, input), layout.ports);
            EXPECT_EQ(input ? config.input_port_count : config.output_port_count, layout.ports);
            EXPECT_TRUE(input ? config.has_main_input : config.has_main_output);
            EXPECT_EQ(input ? config.main_input_channel_count : config.main_output_channel_count,
                      width);
            clap_audio_port_info info, listed;
            EXPECT_FALSE(ports->get(p, layout.ports, input, &info));
            for (uint32_t i = 0; i < layout.ports; ++i) {
                ASSERT_TRUE(ports->get(p, i, input, &info));
                ASSERT_TRUE(configInfo->get(p, layout.id, i, input, &listed));
                EXPECT_EQ(std::memcmp(&info, &listed, sizeof info), 0);
                EXPECT_EQ(info.name, (input ? layout.inputNames : layout.outputNames)[i]);
                EXPECT_EQ(info.channel_count, width);
                EXPECT_EQ(info.flags, (i == 0 ? CLAP_AUDIO_PORT_IS_MAIN : 0u) |
                                          CLAP_AUDIO_PORT_SUPPORTS_64BITS |
                                          CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE);
                EXPECT_STREQ(info.port_type, width == 2 ? CLAP_PORT_STEREO : "");
                clap_audio_port_info opposite;
                ASSERT_TRUE(ports->get(p, i, !input, &opposite));
                EXPECT_EQ(info.in_place_pair, opposite.id);
            }
        }
    }
    // Frozen while active.
    ASSERT_TRUE(clap.Activate(48000.0, 256));
    EXPECT_FALSE(configs->select(p, 0));
    EXPECT_EQ(configInfo->current_config(p), 1u);
}

}  // namespace
