#include "tests/bench/clap_runner.h"

#include <algorithm>
#include <cstdio>
#include <type_traits>
#include <vector>

#include "product/clap/clap_extensions.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

constexpr uint32_t kChannels = 16;

// Loaded and initialised once, kept for good so no instance outlives its code.
const clap_plugin_factory* Factory() {
    static const clap_plugin_factory* factory = []() -> const clap_plugin_factory* {
        try {
            auto* library = new vst2host::PluginLibrary(LOTTA_ROUTER_CLAP_PATH);
            auto* entry = static_cast<const clap_plugin_entry*>(library->symbol("clap_entry"));
            if (!entry || !entry->init(LOTTA_ROUTER_CLAP_PATH)) return nullptr;
            return static_cast<const clap_plugin_factory*>(
                entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
        } catch (const vst2host::LoadError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return nullptr;
        }
    }();
    return factory;
}

// The host's event list: the switches once, before the timed blocks, then empty.
struct Events {
    std::vector<clap_event_param_value> changes;
    clap_input_events list{this, Size, Get};
    static uint32_t CLAP_ABI Size(const clap_input_events* l) {
        return static_cast<uint32_t>(static_cast<Events*>(l->ctx)->changes.size());
    }
    static const clap_event_header* CLAP_ABI Get(const clap_input_events* l, uint32_t i) {
        return &static_cast<Events*>(l->ctx)->changes[i].header;
    }
};

template <typename Sample>
void Run(benchmark::State& state, const clap_plugin* plugin, int frames, int buses) {
    std::vector<std::vector<Sample>> in(kChannels, std::vector<Sample>(std::max(frames, 1)));
    auto out = in;
    std::vector<Sample*> inPtr, outPtr;
    for (uint32_t c = 0; c < kChannels; ++c) {
        for (int j = 0; j < frames; ++j) in[c][j] = static_cast<Sample>((j % 97) * 0.01 - c);
        inPtr.push_back(in[c].data());
        outPtr.push_back(out[c].data());
    }
    clap_audio_buffer input{}, output{};
    input.channel_count = output.channel_count = kChannels;
    if constexpr (std::is_same_v<Sample, float>) {
        input.data32 = inPtr.data(), output.data32 = outPtr.data();
    } else {
        input.data64 = inPtr.data(), output.data64 = outPtr.data();
    }
    Events events;
    for (clap_id p = 0; p < 8; ++p) {
        clap_event_param_value e{};
        e.header = {sizeof e, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
        e.param_id = p;
        e.note_id = -1;
        e.port_index = e.channel = e.key = -1;
        e.value = buses == 1 || (buses == 2 && p % 2 == 0) ? 1.0 : 0.0;
        events.changes.push_back(e);
    }
    clap_process process{};
    process.steady_time = -1;
    process.frames_count = static_cast<uint32_t>(frames);
    process.audio_inputs = &input;
    process.audio_outputs = &output;
    process.audio_inputs_count = process.audio_outputs_count = 1;
    process.in_events = &events.list;
    plugin->process(plugin, &process);
    events.changes.clear();
    for (auto _ : state) {
        plugin->process(plugin, &process);
        benchmark::DoNotOptimize(out[15][0]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * frames);
}

}  // namespace

void ClapRouter(benchmark::State& state, int frames, int buses, bool wide) {
    static const clap_host host = {
        {1, 2, 10},
        nullptr,
        "router_bench",
        "",
        "",
        "1",
        [](const clap_host*, const char*) -> const void* { return nullptr; },
        [](const clap_host*) {},
        [](const clap_host*) {},
        [](const clap_host*) {}};
    const clap_plugin_factory* factory = Factory();
    const clap_plugin_descriptor* d =
        factory ? factory->get_plugin_descriptor(factory, 0) : nullptr;
    const clap_plugin* plugin = d ? factory->create_plugin(factory, &host, d->id) : nullptr;
    if (!plugin || !plugin->init(plugin) || !plugin->activate(plugin, 48000.0, 1, 4096) ||
        !plugin->start_processing(plugin)) {
        state.SkipWithError("cannot load the CLAP plug-in");
        return;
    }
    if (wide) {
        Run<double>(state, plugin, frames, buses);
    } else {
        Run<float>(state, plugin, frames, buses);
    }
    plugin->stop_processing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
}
