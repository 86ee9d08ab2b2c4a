// The audio port layouts a CLAP host may choose between. The effect keeps its fixed channels
// whatever the layout: a layout only says how the host's port buffers, in port order, map onto
// the effect's channels 1..N.
//   whole  one port per direction holding every channel, the default: hosts that use the main
//          ports alone (Qtractor) reach every channel;
//   pairs  stereo ports "Input 1/2" .. and "Bus 1" .., for hosts that show several ports.
#pragma once

#include <cstdint>
#include <type_traits>

#include "product/clap/clap_extensions.h"

inline constexpr clap_id kClapWholeLayout = 0;
inline constexpr clap_id kClapPairsLayout = 1;
inline constexpr uint32_t kClapLayoutCount = 2;

// The effect's channels and what its ports can offer.
struct ClapChannels {
    uint32_t inputs = 0;
    uint32_t outputs = 0;
    bool canDouble = false;
};

// [any] Whether a layout of that id exists.
bool ClapLayoutExists(clap_id layout);
// [any] How many ports of one direction a layout has.
uint32_t ClapPortCount(clap_id layout, bool input, const ClapChannels& channels);
// [any] Port index of one direction of a layout; false past the last port.
bool ClapDescribePort(clap_id layout, uint32_t index, bool input, const ClapChannels& channels,
                      clap_audio_port_info* info);
// [any] The index-th layout (the same as its id) as a host lists it; false past the last.
bool ClapDescribeLayout(uint32_t index, const ClapChannels& channels,
                        clap_audio_ports_config* config);

// [any] A buffer's channel pointers of the sample type (data32 or data64).
template <typename Sample>
Sample* const* ClapData(const clap_audio_buffer& buffer) {
    if constexpr (std::is_same_v<Sample, float>) {
        return buffer.data32;
    } else {
        return buffer.data64;
    }
}

// [audio] The effect's channel pointers of one direction, channelCount of them, from the
// host's buffers of a layout (data32 or data64 as Sample says), into channels. A port or
// channel the host leaves out, or whose pointers are null, gives null channels.
template <typename Sample>
void ClapGatherChannels(clap_id layout, const clap_audio_buffer* buffers, uint32_t bufferCount,
                        Sample** channels, uint32_t channelCount);

// [audio] The array the effect reads its channels from: the host's own where the whole
// layout's one port brings every channel (nothing to copy), else channels, gathered.
template <typename Sample>
Sample* const* ClapMapChannels(clap_id layout, const clap_audio_buffer* buffers,
                               uint32_t bufferCount, Sample** channels, uint32_t channelCount) {
    if (layout == kClapWholeLayout && buffers && bufferCount > 0 &&
        buffers[0].channel_count >= channelCount && ClapData<Sample>(buffers[0])) {
        return ClapData<Sample>(buffers[0]);
    }
    ClapGatherChannels(layout, buffers, bufferCount, channels, channelCount);
    return channels;
}
