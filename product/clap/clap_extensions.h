// The CLAP extensions this adapter offers (audio ports, port configurations, parameters,
// state, latency, tail), declared from the format's published layout and pinned per target
// like the core records.
#pragma once

#include "product/clap/clap_abi.h"

inline constexpr char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
inline constexpr char CLAP_EXT_AUDIO_PORTS_CONFIG[] = "clap.audio-ports-config";
inline constexpr char CLAP_EXT_AUDIO_PORTS_CONFIG_INFO[] = "clap.audio-ports-config-info/1";
inline constexpr char CLAP_EXT_AUDIO_PORTS_CONFIG_INFO_COMPAT[] =
    "clap.audio-ports-config-info/draft-0";
inline constexpr char CLAP_EXT_PARAMS[] = "clap.params";
inline constexpr char CLAP_EXT_STATE[] = "clap.state";
inline constexpr char CLAP_EXT_LATENCY[] = "clap.latency";
inline constexpr char CLAP_EXT_TAIL[] = "clap.tail";
inline constexpr char CLAP_EXT_NOTE_PORTS[] = "clap.note-ports";

inline constexpr char CLAP_PORT_MONO[] = "mono";
inline constexpr char CLAP_PORT_STEREO[] = "stereo";

// ---- Audio ports ------------------------------------------------------------------------------

inline constexpr uint32_t CLAP_AUDIO_PORT_IS_MAIN = 1;
inline constexpr uint32_t CLAP_AUDIO_PORT_SUPPORTS_64BITS = 2;
inline constexpr uint32_t CLAP_AUDIO_PORT_PREFERS_64BITS = 4;
inline constexpr uint32_t CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 8;

struct clap_audio_port_info {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    uint32_t flags;
    uint32_t channel_count;
    const char* port_type;  // null or empty: unspecified
    clap_id in_place_pair;  // CLAP_INVALID_ID: none
};
CLAP_PIN_AT(clap_audio_port_info, name, 4, 4, 4);
CLAP_PIN_AT(clap_audio_port_info, flags, 260, 260, 260);
CLAP_PIN_AT(clap_audio_port_info, channel_count, 264, 264, 264);
CLAP_PIN_AT(clap_audio_port_info, port_type, 272, 268, 268);
CLAP_PIN_AT(clap_audio_port_info, in_place_pair, 280, 272, 272);
CLAP_PIN_SIZE(clap_audio_port_info, 288, 276, 276);

struct clap_plugin_audio_ports {
    uint32_t(CLAP_ABI* count)(const clap_plugin* plugin, bool is_input);
    bool(CLAP_ABI* get)(const clap_plugin* plugin, uint32_t index, bool is_input,
                        clap_audio_port_info* info);
};
CLAP_PIN_AT(clap_plugin_audio_ports, get, 8, 4, 4);
CLAP_PIN_SIZE(clap_plugin_audio_ports, 16, 8, 8);

struct clap_audio_ports_config {
    clap_id id;
    char name[CLAP_NAME_SIZE];
    uint32_t input_port_count;
    uint32_t output_port_count;
    bool has_main_input;
    uint32_t main_input_channel_count;
    const char* main_input_port_type;
    bool has_main_output;
    uint32_t main_output_channel_count;
    const char* main_output_port_type;
};
CLAP_PIN_AT(clap_audio_ports_config, name, 4, 4, 4);
CLAP_PIN_AT(clap_audio_ports_config, input_port_count, 260, 260, 260);
CLAP_PIN_AT(clap_audio_ports_config, output_port_count, 264, 264, 264);
CLAP_PIN_AT(clap_audio_ports_config, has_main_input, 268, 268, 268);
CLAP_PIN_AT(clap_audio_ports_config, main_input_channel_count, 272, 272, 272);
CLAP_PIN_AT(clap_audio_ports_config, main_input_port_type, 280, 276, 276);
CLAP_PIN_AT(clap_audio_ports_config, has_main_output, 288, 280, 280);
CLAP_PIN_AT(clap_audio_ports_config, main_output_channel_count, 292, 284, 284);
CLAP_PIN_AT(clap_audio_ports_config, main_output_port_type, 296, 288, 288);
CLAP_PIN_SIZE(clap_audio_ports_config, 304, 292, 292);

struct clap_plugin_audio_ports_config {
    uint32_t(CLAP_ABI* count)(const clap_plugin* plugin);
    bool(CLAP_ABI* get)(const clap_plugin* plugin, uint32_t index, clap_audio_ports_config* config);
    bool(CLAP_ABI* select)(const clap_plugin* plugin, clap_id config_id);
};

struct clap_plugin_audio_ports_config_info {
    clap_id(CLAP_ABI* current_config)(const clap_plugin* plugin);
    bool(CLAP_ABI* get)(const clap_plugin* plugin, clap_id config_id, uint32_t port_index,
                        bool is_input, clap_audio_port_info* info);
};

// ---- Parameters -------------------------------------------------------------------------------

inline constexpr uint32_t CLAP_PARAM_IS_STEPPED = 1;
inline constexpr uint32_t CLAP_PARAM_IS_PERIODIC = 2;
inline constexpr uint32_t CLAP_PARAM_IS_HIDDEN = 4;
inline constexpr uint32_t CLAP_PARAM_IS_READONLY = 8;
inline constexpr uint32_t CLAP_PARAM_IS_BYPASS = 16;
inline constexpr uint32_t CLAP_PARAM_IS_AUTOMATABLE = 32;
inline constexpr uint32_t CLAP_PARAM_IS_AUTOMATABLE_PER_NOTE_ID = 64;
inline constexpr uint32_t CLAP_PARAM_IS_AUTOMATABLE_PER_KEY = 128;
inline constexpr uint32_t CLAP_PARAM_IS_AUTOMATABLE_PER_CHANNEL = 256;
inline constexpr uint32_t CLAP_PARAM_IS_AUTOMATABLE_PER_PORT = 512;
inline constexpr uint32_t CLAP_PARAM_IS_MODULATABLE = 1024;
inline constexpr uint32_t CLAP_PARAM_IS_MODULATABLE_PER_NOTE_ID = 2048;
inline constexpr uint32_t CLAP_PARAM_IS_MODULATABLE_PER_KEY = 4096;
inline constexpr uint32_t CLAP_PARAM_IS_MODULATABLE_PER_CHANNEL = 8192;
inline constexpr uint32_t CLAP_PARAM_IS_MODULATABLE_PER_PORT = 16384;
inline constexpr uint32_t CLAP_PARAM_REQUIRES_PROCESS = 32768;
inline constexpr uint32_t CLAP_PARAM_IS_ENUM = 65536;

struct clap_param_info {
    clap_id id;
    uint32_t flags;
    void* cookie;
    char name[CLAP_NAME_SIZE];
    char module[CLAP_PATH_SIZE];
    double min_value;
    double max_value;
    double default_value;
};
CLAP_PIN_AT(clap_param_info, flags, 4, 4, 4);
CLAP_PIN_AT(clap_param_info, cookie, 8, 8, 8);
CLAP_PIN_AT(clap_param_info, name, 16, 12, 12);
CLAP_PIN_AT(clap_param_info, module, 272, 268, 268);
CLAP_PIN_AT(clap_param_info, min_value, 1296, 1292, 1296);
CLAP_PIN_AT(clap_param_info, max_value, 1304, 1300, 1304);
CLAP_PIN_AT(clap_param_info, default_value, 1312, 1308, 1312);
CLAP_PIN_SIZE(clap_param_info, 1320, 1316, 1320);

struct clap_plugin_params {
    uint32_t(CLAP_ABI* count)(const clap_plugin* plugin);
    bool(CLAP_ABI* get_info)(const clap_plugin* plugin, uint32_t param_index,
                             clap_param_info* param_info);
    bool(CLAP_ABI* get_value)(const clap_plugin* plugin, clap_id param_id, double* out_value);
    bool(CLAP_ABI* value_to_text)(const clap_plugin* plugin, clap_id param_id, double value,
                                  char* out_buffer, uint32_t out_buffer_capacity);
    bool(CLAP_ABI* text_to_value)(const clap_plugin* plugin, clap_id param_id,
                                  const char* param_value_text, double* out_value);
    void(CLAP_ABI* flush)(const clap_plugin* plugin, const clap_input_events* in,
                          const clap_output_events* out);
};
CLAP_PIN_AT(clap_plugin_params, get_info, 8, 4, 4);
CLAP_PIN_AT(clap_plugin_params, get_value, 16, 8, 8);
CLAP_PIN_AT(clap_plugin_params, value_to_text, 24, 12, 12);
CLAP_PIN_AT(clap_plugin_params, text_to_value, 32, 16, 16);
CLAP_PIN_AT(clap_plugin_params, flush, 40, 20, 20);
CLAP_PIN_SIZE(clap_plugin_params, 48, 24, 24);

// ---- State, latency, tail ---------------------------------------------------------------------

struct clap_ostream {
    void* ctx;
    // Bytes written, maybe fewer than asked; -1 on error.
    int64_t(CLAP_ABI* write)(const clap_ostream* stream, const void* buffer, uint64_t size);
};
CLAP_PIN_AT(clap_ostream, write, 8, 4, 4);
CLAP_PIN_SIZE(clap_ostream, 16, 8, 8);

struct clap_istream {
    void* ctx;
    // Bytes read, maybe fewer than asked; 0 at the end of the stream, -1 on error.
    int64_t(CLAP_ABI* read)(const clap_istream* stream, void* buffer, uint64_t size);
};
CLAP_PIN_AT(clap_istream, read, 8, 4, 4);
CLAP_PIN_SIZE(clap_istream, 16, 8, 8);

struct clap_plugin_state {
    bool(CLAP_ABI* save)(const clap_plugin* plugin, const clap_ostream* stream);
    bool(CLAP_ABI* load)(const clap_plugin* plugin, const clap_istream* stream);
};
CLAP_PIN_AT(clap_plugin_state, load, 8, 4, 4);
CLAP_PIN_SIZE(clap_plugin_state, 16, 8, 8);

struct clap_plugin_latency {
    uint32_t(CLAP_ABI* get)(const clap_plugin* plugin);
};
CLAP_PIN_SIZE(clap_plugin_latency, 8, 4, 4);

struct clap_plugin_tail {
    uint32_t(CLAP_ABI* get)(const clap_plugin* plugin);
};
CLAP_PIN_SIZE(clap_plugin_tail, 8, 4, 4);
