#include "product/clap/clap_ports.h"

#include <algorithm>
#include <cstdio>

namespace {

// Channels per port: every channel in one port, or pairs (a last odd channel alone).
uint32_t Width(clap_id layout, uint32_t channels) {
    return layout == kClapPairsLayout ? 2 : std::max(channels, 1u);
}

uint32_t PortCountOf(clap_id layout, uint32_t channels) {
    const uint32_t width = Width(layout, channels);
    return (channels + width - 1) / width;
}

// Port ids are the layout's hundreds plus the port's index, so ports of two layouts never
// share an id.
clap_id PortId(clap_id layout, uint32_t index) {
    return layout * 100 + index;
}

const char* PortType(uint32_t channels) {
    return channels == 2 ? CLAP_PORT_STEREO : channels == 1 ? CLAP_PORT_MONO : "";
}

void Name(char (&name)[CLAP_NAME_SIZE], clap_id layout, bool input, uint32_t first, uint32_t width,
          uint32_t channels) {
    const uint32_t last = first + width;  // 1-based number of the port's last channel
    if (layout == kClapWholeLayout) {
        if (input) {
            std::snprintf(name, sizeof name, "Inputs 1-%u", channels);
        } else {
            std::snprintf(name, sizeof name, "Buses 1-%u", (channels + 1) / 2);
        }
    } else if (input) {
        if (width == 2) {
            std::snprintf(name, sizeof name, "Input %u/%u", first + 1, last);
        } else {
            std::snprintf(name, sizeof name, "Input %u", last);
        }
    } else {
        std::snprintf(name, sizeof name, "Bus %u", first / 2 + 1);
    }
}

}  // namespace

bool ClapLayoutExists(clap_id layout) {
    return layout < kClapLayoutCount;
}

uint32_t ClapPortCount(clap_id layout, bool input, const ClapChannels& channels) {
    if (!ClapLayoutExists(layout)) return 0;
    return PortCountOf(layout, input ? channels.inputs : channels.outputs);
}

bool ClapDescribePort(clap_id layout, uint32_t index, bool input, const ClapChannels& channels,
                      clap_audio_port_info* info) {
    const uint32_t count = input ? channels.inputs : channels.outputs;
    if (!info || index >= ClapPortCount(layout, input, channels)) return false;
    const uint32_t width = Width(layout, count);
    const uint32_t first = index * width;
    *info = clap_audio_port_info{};
    info->id = PortId(layout, index);
    info->channel_count = std::min(width, count - first);
    Name(info->name, layout, input, first, info->channel_count, count);
    info->flags = index == 0 ? CLAP_AUDIO_PORT_IS_MAIN : 0;
    if (channels.canDouble) {
        info->flags |=
            CLAP_AUDIO_PORT_SUPPORTS_64BITS | CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE;
    }
    info->port_type = PortType(info->channel_count);
    // The effect reads every input it needs before writing an output, whatever buffers are
    // shared, so a port may share its buffer with its opposite number.
    const bool opposite = index < ClapPortCount(layout, !input, channels);
    info->in_place_pair = opposite ? PortId(layout, index) : CLAP_INVALID_ID;
    return true;
}

bool ClapDescribeLayout(uint32_t index, const ClapChannels& channels,
                        clap_audio_ports_config* config) {
    if (!config || !ClapLayoutExists(index)) return false;
    *config = clap_audio_ports_config{};
    config->id = index;
    config->input_port_count = ClapPortCount(index, true, channels);
    config->output_port_count = ClapPortCount(index, false, channels);
    clap_audio_port_info in{}, out{};
    config->has_main_input = ClapDescribePort(index, 0, true, channels, &in);
    config->has_main_output = ClapDescribePort(index, 0, false, channels, &out);
    config->main_input_channel_count = config->has_main_input ? in.channel_count : 0;
    config->main_input_port_type = config->has_main_input ? in.port_type : nullptr;
    config->main_output_channel_count = config->has_main_output ? out.channel_count : 0;
    config->main_output_port_type = config->has_main_output ? out.port_type : nullptr;
    if (index == kClapWholeLayout) {
        std::snprintf(config->name, sizeof config->name, "%u channels in one port (%u in, %u out)",
                      std::max(channels.inputs, channels.outputs), channels.inputs,
                      channels.outputs);
    } else {
        std::snprintf(config->name, sizeof config->name, "Stereo pairs (%u in, %u out)",
                      config->input_port_count, config->output_port_count);
    }
    return true;
}

template <typename Sample>
void ClapGatherChannels(clap_id layout, const clap_audio_buffer* buffers, uint32_t bufferCount,
                        Sample** channels, uint32_t channelCount) {
    const uint32_t width = Width(layout, channelCount);
    const uint32_t ports = buffers ? std::min(bufferCount, PortCountOf(layout, channelCount)) : 0;
    // Each entry is stored only when it changes: hosts mostly pass the same buffers, and the
    // effect reads the array right away, which fresh stores would hold up.
    auto set = [](Sample*& entry, Sample* pointer) {
        if (entry != pointer) entry = pointer;
    };
    uint32_t c = 0;
    for (uint32_t port = 0; port < ports && c < channelCount; ++port) {
        const clap_audio_buffer& buffer = buffers[port];
        Sample* const* data = ClapData<Sample>(buffer);
        const uint32_t end = std::min(channelCount, c + width);
        const uint32_t count = data ? std::min(buffer.channel_count, end - c) : 0;
        for (uint32_t k = 0; k < count; ++k) set(channels[c + k], data[k]);
        for (c += count; c < end; ++c) set(channels[c], nullptr);
    }
    for (; c < channelCount; ++c) set(channels[c], nullptr);
}

template void ClapGatherChannels<float>(clap_id, const clap_audio_buffer*, uint32_t, float**,
                                        uint32_t);
template void ClapGatherChannels<double>(clap_id, const clap_audio_buffer*, uint32_t, double**,
                                         uint32_t);
