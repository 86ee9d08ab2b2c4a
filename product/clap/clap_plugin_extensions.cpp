#include "product/clap/clap_plugin_extensions.h"

#include <cstring>

#include "plugin/entry_guard.h"
#include "product/clap/clap_params.h"
#include "product/clap/clap_plugin.h"

namespace {

// ---- Audio ports and layouts [main] ----

uint32_t CLAP_ABI PortCount(const clap_plugin* plugin, bool input) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self ? ClapPortCount(self->Layout(), input, self->Channels()) : 0;
}

bool CLAP_ABI PortInfo(const clap_plugin* plugin, uint32_t index, bool input,
                       clap_audio_port_info* info) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self && ClapDescribePort(self->Layout(), index, input, self->Channels(), info);
}

uint32_t CLAP_ABI LayoutCount(const clap_plugin* plugin) {
    return ClapPlugin::Of(plugin) ? kClapLayoutCount : 0;
}

bool CLAP_ABI LayoutInfo(const clap_plugin* plugin, uint32_t index,
                         clap_audio_ports_config* config) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self && ClapDescribeLayout(index, self->Channels(), config);
}

bool CLAP_ABI SelectLayout(const clap_plugin* plugin, clap_id layout) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self && self->SelectLayout(layout);
}

clap_id CLAP_ABI CurrentLayout(const clap_plugin* plugin) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self ? self->Layout() : CLAP_INVALID_ID;
}

bool CLAP_ABI LayoutPortInfo(const clap_plugin* plugin, clap_id layout, uint32_t index, bool input,
                             clap_audio_port_info* info) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self && ClapDescribePort(layout, index, input, self->Channels(), info);
}

// ---- Parameters [main], flush [audio if active, else main] ----

// The parameter of an id (ids are indices), or null.
const ParameterSteps* Parameter(const clap_plugin* plugin, clap_id id) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    if (!self || id >= self->Effect()->Parameters()) return nullptr;
    return &self->Effect()->Describe(id);
}

uint32_t CLAP_ABI ParameterCount(const clap_plugin* plugin) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self ? self->Effect()->Parameters() : 0;
}

bool CLAP_ABI ParameterInfo(const clap_plugin* plugin, uint32_t index, clap_param_info* info) {
    const ParameterSteps* parameter = Parameter(plugin, index);
    if (!parameter || !info) return false;
    return Guarded(
        [&] {
            ClapDescribeParameter(*parameter, index, info);
            return true;
        },
        false);
}

bool CLAP_ABI ParameterValue(const clap_plugin* plugin, clap_id id, double* value) {
    const ParameterSteps* parameter = Parameter(plugin, id);
    if (!parameter || !value) return false;
    *value = ClapFromEffect(*parameter, ClapPlugin::Of(plugin)->Effect()->Parameter(id));
    return true;
}

bool CLAP_ABI ValueToText(const clap_plugin* plugin, clap_id id, double value, char* text,
                          uint32_t capacity) {
    const ParameterSteps* parameter = Parameter(plugin, id);
    return parameter && ClapValueText(*parameter, value, text, capacity);
}

bool CLAP_ABI TextToValue(const clap_plugin* plugin, clap_id id, const char* text, double* value) {
    const ParameterSteps* parameter = Parameter(plugin, id);
    return parameter && ClapTextValue(*parameter, text, value);
}

void CLAP_ABI Flush(const clap_plugin* plugin, const clap_input_events* in,
                    const clap_output_events*) {
    if (ClapPlugin* self = ClapPlugin::Of(plugin)) Guarded([&] { self->Flush(in); });
}

// ---- State [main] ----

bool CLAP_ABI Save(const clap_plugin* plugin, const clap_ostream* stream) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self && stream && Guarded([&] { return self->Save(*stream); }, false);
}

bool CLAP_ABI Load(const clap_plugin* plugin, const clap_istream* stream) {
    ClapPlugin* self = ClapPlugin::Of(plugin);
    return self && stream && Guarded([&] { return self->Load(*stream); }, false);
}

// ---- Latency [main], tail [main, audio]: the effect adds neither ----

uint32_t CLAP_ABI NoSamples(const clap_plugin*) {
    return 0;
}

const clap_plugin_audio_ports kAudioPorts = {PortCount, PortInfo};
const clap_plugin_audio_ports_config kLayouts = {LayoutCount, LayoutInfo, SelectLayout};
const clap_plugin_audio_ports_config_info kLayoutInfo = {CurrentLayout, LayoutPortInfo};
const clap_plugin_params kParams = {ParameterCount, ParameterInfo, ParameterValue,
                                    ValueToText,    TextToValue,   Flush};
const clap_plugin_state kState = {Save, Load};
const clap_plugin_latency kLatency = {NoSamples};
const clap_plugin_tail kTail = {NoSamples};

struct Extension {
    const char* id;
    const void* table;
};
const Extension kExtensions[] = {
    {CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
    {CLAP_EXT_AUDIO_PORTS_CONFIG, &kLayouts},
    {CLAP_EXT_AUDIO_PORTS_CONFIG_INFO, &kLayoutInfo},
    {CLAP_EXT_AUDIO_PORTS_CONFIG_INFO_COMPAT, &kLayoutInfo},
    {CLAP_EXT_PARAMS, &kParams},
    {CLAP_EXT_STATE, &kState},
    {CLAP_EXT_LATENCY, &kLatency},
    {CLAP_EXT_TAIL, &kTail},
};

}  // namespace

const void* ClapExtension(const char* id) {
    for (const Extension& extension : kExtensions) {
        if (std::strcmp(extension.id, id) == 0) return extension.table;
    }
    return nullptr;
}
