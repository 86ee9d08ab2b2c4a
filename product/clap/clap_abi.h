// The CLAP binary interface this adapter speaks: the entry, factory, descriptor, host, plug-in,
// process and event records, declared here from the format's published layout (version 1.2.10)
// and pinned per target: x86_64 (Linux and Windows), 32-bit Linux and 32-bit Windows, which
// align 64-bit members differently. A wrong field fails the build rather than a host.
#pragma once

#include <cstddef>
#include <cstdint>

// Every function pointer of the format is cdecl on Windows (it matters on 32-bit Windows only).
#if defined(_WIN32) || defined(__CYGWIN__)
#define CLAP_ABI __cdecl
#else
#define CLAP_ABI
#endif

// Pins a member's offset or a record's size: x86_64, i686 Linux, i686 Windows.
#if INTPTR_MAX == INT64_MAX
#define CLAP_PIN_AT(type, member, x64, l32, w32) \
    static_assert(offsetof(type, member) == (x64), #type "." #member " on x86_64")
#define CLAP_PIN_SIZE(type, x64, l32, w32) static_assert(sizeof(type) == (x64), #type " on x86_64")
#elif defined(_WIN32)
#define CLAP_PIN_AT(type, member, x64, l32, w32) \
    static_assert(offsetof(type, member) == (w32), #type "." #member " on i686 Windows")
#define CLAP_PIN_SIZE(type, x64, l32, w32) \
    static_assert(sizeof(type) == (w32), #type " on i686 Windows")
#else
#define CLAP_PIN_AT(type, member, x64, l32, w32) \
    static_assert(offsetof(type, member) == (l32), #type "." #member " on i686 Linux")
#define CLAP_PIN_SIZE(type, x64, l32, w32) \
    static_assert(sizeof(type) == (l32), #type " on i686 Linux")
#endif

using clap_id = uint32_t;
using clap_process_status = int32_t;
using clap_beattime = int64_t;
using clap_sectime = int64_t;

inline constexpr clap_id CLAP_INVALID_ID = UINT32_MAX;
inline constexpr size_t CLAP_NAME_SIZE = 256;
inline constexpr size_t CLAP_PATH_SIZE = 1024;

struct clap_version {
    uint32_t major;
    uint32_t minor;
    uint32_t revision;
};
CLAP_PIN_SIZE(clap_version, 12, 12, 12);

// The version these declarations describe; a 1.x plug-in loads in any 1.y host.
inline constexpr clap_version CLAP_VERSION = {1, 2, 10};
constexpr bool ClapVersionIsCompatible(const clap_version& v) {
    return v.major >= 1;
}

struct clap_host;
struct clap_plugin;
struct clap_process;

// ---- Entry and factory ------------------------------------------------------------------------

struct clap_plugin_entry {
    ::clap_version clap_version;
    bool(CLAP_ABI* init)(const char* plugin_path);
    void(CLAP_ABI* deinit)();
    const void*(CLAP_ABI* get_factory)(const char* factory_id);
};
CLAP_PIN_AT(clap_plugin_entry, init, 16, 12, 12);
CLAP_PIN_AT(clap_plugin_entry, deinit, 24, 16, 16);
CLAP_PIN_AT(clap_plugin_entry, get_factory, 32, 20, 20);
CLAP_PIN_SIZE(clap_plugin_entry, 40, 24, 24);

inline constexpr char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

struct clap_plugin_descriptor {
    ::clap_version clap_version;
    const char* id;
    const char* name;
    const char* vendor;
    const char* url;
    const char* manual_url;
    const char* support_url;
    const char* version;
    const char* description;
    const char* const* features;  // ends with a null pointer
};
CLAP_PIN_AT(clap_plugin_descriptor, id, 16, 12, 12);
CLAP_PIN_AT(clap_plugin_descriptor, name, 24, 16, 16);
CLAP_PIN_AT(clap_plugin_descriptor, vendor, 32, 20, 20);
CLAP_PIN_AT(clap_plugin_descriptor, url, 40, 24, 24);
CLAP_PIN_AT(clap_plugin_descriptor, manual_url, 48, 28, 28);
CLAP_PIN_AT(clap_plugin_descriptor, support_url, 56, 32, 32);
CLAP_PIN_AT(clap_plugin_descriptor, version, 64, 36, 36);
CLAP_PIN_AT(clap_plugin_descriptor, description, 72, 40, 40);
CLAP_PIN_AT(clap_plugin_descriptor, features, 80, 44, 44);
CLAP_PIN_SIZE(clap_plugin_descriptor, 88, 48, 48);

struct clap_plugin_factory {
    uint32_t(CLAP_ABI* get_plugin_count)(const clap_plugin_factory* factory);
    const clap_plugin_descriptor*(CLAP_ABI* get_plugin_descriptor)(
        const clap_plugin_factory* factory, uint32_t index);
    const clap_plugin*(CLAP_ABI* create_plugin)(const clap_plugin_factory* factory,
                                                const clap_host* host, const char* plugin_id);
};
CLAP_PIN_AT(clap_plugin_factory, get_plugin_descriptor, 8, 4, 4);
CLAP_PIN_AT(clap_plugin_factory, create_plugin, 16, 8, 8);
CLAP_PIN_SIZE(clap_plugin_factory, 24, 12, 12);

// ---- Host and plug-in -------------------------------------------------------------------------

struct clap_host {
    ::clap_version clap_version;
    void* host_data;
    const char* name;
    const char* vendor;
    const char* url;
    const char* version;
    const void*(CLAP_ABI* get_extension)(const clap_host* host, const char* extension_id);
    void(CLAP_ABI* request_restart)(const clap_host* host);
    void(CLAP_ABI* request_process)(const clap_host* host);
    void(CLAP_ABI* request_callback)(const clap_host* host);
};
CLAP_PIN_AT(clap_host, host_data, 16, 12, 12);
CLAP_PIN_AT(clap_host, name, 24, 16, 16);
CLAP_PIN_AT(clap_host, vendor, 32, 20, 20);
CLAP_PIN_AT(clap_host, url, 40, 24, 24);
CLAP_PIN_AT(clap_host, version, 48, 28, 28);
CLAP_PIN_AT(clap_host, get_extension, 56, 32, 32);
CLAP_PIN_AT(clap_host, request_restart, 64, 36, 36);
CLAP_PIN_AT(clap_host, request_process, 72, 40, 40);
CLAP_PIN_AT(clap_host, request_callback, 80, 44, 44);
CLAP_PIN_SIZE(clap_host, 88, 48, 48);

struct clap_plugin {
    const clap_plugin_descriptor* desc;
    void* plugin_data;
    bool(CLAP_ABI* init)(const clap_plugin* plugin);
    void(CLAP_ABI* destroy)(const clap_plugin* plugin);
    bool(CLAP_ABI* activate)(const clap_plugin* plugin, double sample_rate,
                             uint32_t min_frames_count, uint32_t max_frames_count);
    void(CLAP_ABI* deactivate)(const clap_plugin* plugin);
    bool(CLAP_ABI* start_processing)(const clap_plugin* plugin);
    void(CLAP_ABI* stop_processing)(const clap_plugin* plugin);
    void(CLAP_ABI* reset)(const clap_plugin* plugin);
    clap_process_status(CLAP_ABI* process)(const clap_plugin* plugin, const clap_process* process);
    const void*(CLAP_ABI* get_extension)(const clap_plugin* plugin, const char* id);
    void(CLAP_ABI* on_main_thread)(const clap_plugin* plugin);
};
CLAP_PIN_AT(clap_plugin, plugin_data, 8, 4, 4);
CLAP_PIN_AT(clap_plugin, init, 16, 8, 8);
CLAP_PIN_AT(clap_plugin, destroy, 24, 12, 12);
CLAP_PIN_AT(clap_plugin, activate, 32, 16, 16);
CLAP_PIN_AT(clap_plugin, deactivate, 40, 20, 20);
CLAP_PIN_AT(clap_plugin, start_processing, 48, 24, 24);
CLAP_PIN_AT(clap_plugin, stop_processing, 56, 28, 28);
CLAP_PIN_AT(clap_plugin, reset, 64, 32, 32);
CLAP_PIN_AT(clap_plugin, process, 72, 36, 36);
CLAP_PIN_AT(clap_plugin, get_extension, 80, 40, 40);
CLAP_PIN_AT(clap_plugin, on_main_thread, 88, 44, 44);
CLAP_PIN_SIZE(clap_plugin, 96, 48, 48);

// ---- Events -----------------------------------------------------------------------------------

struct clap_event_header {
    uint32_t size;  // the whole event, header included
    uint32_t time;  // frame offset in the block
    uint16_t space_id;
    uint16_t type;
    uint32_t flags;
};
CLAP_PIN_AT(clap_event_header, time, 4, 4, 4);
CLAP_PIN_AT(clap_event_header, space_id, 8, 8, 8);
CLAP_PIN_AT(clap_event_header, type, 10, 10, 10);
CLAP_PIN_AT(clap_event_header, flags, 12, 12, 12);
CLAP_PIN_SIZE(clap_event_header, 16, 16, 16);

inline constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;
inline constexpr uint32_t CLAP_EVENT_IS_LIVE = 1;
inline constexpr uint32_t CLAP_EVENT_DONT_RECORD = 2;
inline constexpr uint16_t CLAP_EVENT_NOTE_ON = 0;
inline constexpr uint16_t CLAP_EVENT_NOTE_OFF = 1;
inline constexpr uint16_t CLAP_EVENT_NOTE_CHOKE = 2;
inline constexpr uint16_t CLAP_EVENT_NOTE_END = 3;
inline constexpr uint16_t CLAP_EVENT_NOTE_EXPRESSION = 4;
inline constexpr uint16_t CLAP_EVENT_PARAM_VALUE = 5;
inline constexpr uint16_t CLAP_EVENT_PARAM_MOD = 6;
inline constexpr uint16_t CLAP_EVENT_PARAM_GESTURE_BEGIN = 7;
inline constexpr uint16_t CLAP_EVENT_PARAM_GESTURE_END = 8;
inline constexpr uint16_t CLAP_EVENT_TRANSPORT = 9;
inline constexpr uint16_t CLAP_EVENT_MIDI = 10;
inline constexpr uint16_t CLAP_EVENT_MIDI_SYSEX = 11;
inline constexpr uint16_t CLAP_EVENT_MIDI2 = 12;

struct clap_event_param_value {
    clap_event_header header;
    clap_id param_id;
    void* cookie;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value;
};
CLAP_PIN_AT(clap_event_param_value, param_id, 16, 16, 16);
CLAP_PIN_AT(clap_event_param_value, cookie, 24, 20, 20);
CLAP_PIN_AT(clap_event_param_value, note_id, 32, 24, 24);
CLAP_PIN_AT(clap_event_param_value, port_index, 36, 28, 28);
CLAP_PIN_AT(clap_event_param_value, channel, 38, 30, 30);
CLAP_PIN_AT(clap_event_param_value, key, 40, 32, 32);
CLAP_PIN_AT(clap_event_param_value, value, 48, 36, 40);
CLAP_PIN_SIZE(clap_event_param_value, 56, 44, 48);

struct clap_event_param_gesture {
    clap_event_header header;
    clap_id param_id;
};
CLAP_PIN_AT(clap_event_param_gesture, param_id, 16, 16, 16);
CLAP_PIN_SIZE(clap_event_param_gesture, 20, 20, 20);

inline constexpr uint32_t CLAP_TRANSPORT_HAS_TEMPO = 1;
inline constexpr uint32_t CLAP_TRANSPORT_HAS_BEATS_TIMELINE = 2;
inline constexpr uint32_t CLAP_TRANSPORT_HAS_SECONDS_TIMELINE = 4;
inline constexpr uint32_t CLAP_TRANSPORT_HAS_TIME_SIGNATURE = 8;
inline constexpr uint32_t CLAP_TRANSPORT_IS_PLAYING = 16;
inline constexpr uint32_t CLAP_TRANSPORT_IS_RECORDING = 32;
inline constexpr uint32_t CLAP_TRANSPORT_IS_LOOP_ACTIVE = 64;
inline constexpr uint32_t CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL = 128;
// Beat and second positions are fixed point with this many steps per unit, for good.
inline constexpr double CLAP_BEATTIME_FACTOR = 2147483648.0;
inline constexpr double CLAP_SECTIME_FACTOR = 2147483648.0;

struct clap_event_transport {
    clap_event_header header;
    uint32_t flags;
    clap_beattime song_pos_beats;
    clap_sectime song_pos_seconds;
    double tempo;      // BPM
    double tempo_inc;  // per sample, until the next transport
    clap_beattime loop_start_beats;
    clap_beattime loop_end_beats;
    clap_sectime loop_start_seconds;
    clap_sectime loop_end_seconds;
    clap_beattime bar_start;
    int32_t bar_number;
    uint16_t tsig_num;
    uint16_t tsig_denom;
};
CLAP_PIN_AT(clap_event_transport, flags, 16, 16, 16);
CLAP_PIN_AT(clap_event_transport, song_pos_beats, 24, 20, 24);
CLAP_PIN_AT(clap_event_transport, song_pos_seconds, 32, 28, 32);
CLAP_PIN_AT(clap_event_transport, tempo, 40, 36, 40);
CLAP_PIN_AT(clap_event_transport, tempo_inc, 48, 44, 48);
CLAP_PIN_AT(clap_event_transport, loop_start_beats, 56, 52, 56);
CLAP_PIN_AT(clap_event_transport, loop_end_beats, 64, 60, 64);
CLAP_PIN_AT(clap_event_transport, loop_start_seconds, 72, 68, 72);
CLAP_PIN_AT(clap_event_transport, loop_end_seconds, 80, 76, 80);
CLAP_PIN_AT(clap_event_transport, bar_start, 88, 84, 88);
CLAP_PIN_AT(clap_event_transport, bar_number, 96, 92, 96);
CLAP_PIN_AT(clap_event_transport, tsig_num, 100, 96, 100);
CLAP_PIN_AT(clap_event_transport, tsig_denom, 102, 98, 102);
CLAP_PIN_SIZE(clap_event_transport, 104, 100, 104);

struct clap_input_events {
    void* ctx;
    uint32_t(CLAP_ABI* size)(const clap_input_events* list);
    const clap_event_header*(CLAP_ABI* get)(const clap_input_events* list, uint32_t index);
};
CLAP_PIN_AT(clap_input_events, size, 8, 4, 4);
CLAP_PIN_AT(clap_input_events, get, 16, 8, 8);
CLAP_PIN_SIZE(clap_input_events, 24, 12, 12);

struct clap_output_events {
    void* ctx;
    bool(CLAP_ABI* try_push)(const clap_output_events* list, const clap_event_header* event);
};
CLAP_PIN_AT(clap_output_events, try_push, 8, 4, 4);
CLAP_PIN_SIZE(clap_output_events, 16, 8, 8);

// ---- Processing -------------------------------------------------------------------------------

struct clap_audio_buffer {
    float** data32;
    double** data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;  // a hint: the channels are filled regardless
};
CLAP_PIN_AT(clap_audio_buffer, data64, 8, 4, 4);
CLAP_PIN_AT(clap_audio_buffer, channel_count, 16, 8, 8);
CLAP_PIN_AT(clap_audio_buffer, latency, 20, 12, 12);
CLAP_PIN_AT(clap_audio_buffer, constant_mask, 24, 16, 16);
CLAP_PIN_SIZE(clap_audio_buffer, 32, 24, 24);

struct clap_process {
    int64_t steady_time;
    uint32_t frames_count;
    const clap_event_transport* transport;  // null: a free-running host
    const clap_audio_buffer* audio_inputs;
    clap_audio_buffer* audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events* in_events;
    const clap_output_events* out_events;
};
CLAP_PIN_AT(clap_process, frames_count, 8, 8, 8);
CLAP_PIN_AT(clap_process, transport, 16, 12, 12);
CLAP_PIN_AT(clap_process, audio_inputs, 24, 16, 16);
CLAP_PIN_AT(clap_process, audio_outputs, 32, 20, 20);
CLAP_PIN_AT(clap_process, audio_inputs_count, 40, 24, 24);
CLAP_PIN_AT(clap_process, audio_outputs_count, 44, 28, 28);
CLAP_PIN_AT(clap_process, in_events, 48, 32, 32);
CLAP_PIN_AT(clap_process, out_events, 56, 36, 36);
CLAP_PIN_SIZE(clap_process, 64, 40, 40);

inline constexpr clap_process_status CLAP_PROCESS_ERROR = 0;
inline constexpr clap_process_status CLAP_PROCESS_CONTINUE = 1;
inline constexpr clap_process_status CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2;
inline constexpr clap_process_status CLAP_PROCESS_TAIL = 3;
inline constexpr clap_process_status CLAP_PROCESS_SLEEP = 4;
