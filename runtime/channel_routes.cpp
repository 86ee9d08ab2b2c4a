#include "runtime/channel_routes.h"

#include <cstring>

#include "runtime/guarded_copy.h"

namespace {

constexpr int32_t kMaxBuffers = 2 * kMaxRoutedChannels;

// One output buffer and the write that fills it.
struct Write {
    uint8_t channel;  // the lowest output channel on the buffer
    uint8_t target;   // buffer numbers, in address order
    uint8_t source;
};

// Numbers the distinct buffers of a call (inputs first in `number`, then outputs) in address
// order. False when two buffers share bytes without being the same buffer: the per-frame
// loop's stores then feed later frames' loads, which no block order reproduces.
template <typename Sample>
bool NumberBuffers(Sample** inputs, Sample** outputs, int32_t channels, int32_t frames,
                   uint8_t* number, int32_t& count) {
    struct Slot {
        uint64_t address;
        int32_t index;
    };
    Slot slots[kMaxBuffers];
    const int32_t slotCount = 2 * channels;
    // Insertion sort: hosts mostly allocate channels in order, so it rarely moves much.
    for (int32_t i = 0; i < slotCount; ++i) {
        const Sample* p = i < channels ? inputs[i] : outputs[i - channels];
        const Slot slot{static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)), i};
        int32_t k = i;
        for (; k > 0 && slots[k - 1].address > slot.address; --k) slots[k] = slots[k - 1];
        slots[k] = slot;
    }
    const uint64_t bytes = sizeof(Sample) * static_cast<uint64_t>(frames);
    int32_t id = 0;
    for (int32_t k = 0; k < slotCount; ++k) {
        if (k > 0 && slots[k].address != slots[k - 1].address) {
            if (slots[k].address - slots[k - 1].address < bytes) return false;
            ++id;
        }
        number[slots[k].index] = static_cast<uint8_t>(id);
    }
    count = slotCount > 0 ? id + 1 : 0;
    return true;
}

template <typename Sample>
bool Route(const ChannelRoute* routes, Sample** inputs, Sample** outputs, int32_t channels,
           int32_t frames) {
    if (channels < 0 || channels > kMaxRoutedChannels) return false;
    for (int32_t c = 0; c < channels; ++c) {
        if (routes[c].kind != ChannelRoute::kSilence && routes[c].input >= channels) return false;
    }
    if (frames <= 0) return true;
    uint8_t number[kMaxBuffers];
    int32_t bufferCount = 0;
    if (!NumberBuffers(inputs, outputs, channels, frames, number, bufferCount)) return false;

    // One write per output buffer: where channels share one, the lowest channel's value is
    // what the per-frame stores leave, so the others need not run.
    Write writes[kMaxRoutedChannels];
    int32_t writeCount = 0;
    uint64_t written = 0;
    uint32_t readers[kMaxBuffers];  // per buffer: the writes that read it
    std::memset(readers, 0, sizeof(uint32_t) * static_cast<size_t>(bufferCount));
    for (int32_t c = 0; c < channels; ++c) {
        const uint8_t target = number[channels + c];
        if (written >> target & 1u) continue;
        written |= uint64_t{1} << target;
        Write& w = writes[writeCount];
        w.channel = static_cast<uint8_t>(c);
        w.target = target;
        w.source = target;
        if (routes[c].kind != ChannelRoute::kSilence) {
            w.source = number[routes[c].input];
            readers[w.source] |= uint32_t{1} << writeCount;
        }
        ++writeCount;
    }

    // A write may run once no other pending write still reads its buffer; writes that are
    // ready together touch nothing the others read, so their order does not matter.
    uint8_t order[kMaxRoutedChannels];
    int32_t ordered = 0;
    uint32_t pending = writeCount == 32 ? ~uint32_t{0} : (uint32_t{1} << writeCount) - 1;
    while (pending) {
        uint32_t ready = 0;
        for (int32_t w = 0; w < writeCount; ++w) {
            const uint32_t bit = uint32_t{1} << w;
            if ((pending & bit) && !(readers[writes[w].target] & pending & ~bit)) ready |= bit;
        }
        if (!ready) return false;  // the writes overwrite each other's sources in a circle
        for (int32_t w = 0; w < writeCount; ++w) {
            if (ready >> w & 1u) order[ordered++] = static_cast<uint8_t>(w);
        }
        pending &= ~ready;
    }

    const size_t bytes = sizeof(Sample) * static_cast<size_t>(frames);
    for (int32_t k = 0; k < ordered; ++k) {
        const Write& w = writes[order[k]];
        const ChannelRoute route = routes[w.channel];
        Sample* out = outputs[w.channel];
        const Sample* in = inputs[route.input];
        switch (route.kind) {
            case ChannelRoute::kSilence:
                std::memset(out, 0, bytes);  // all bits clear: +0.0
                break;
            case ChannelRoute::kGuardedCopy:
                GuardedCopy(out, in, frames);
                break;
            case ChannelRoute::kCopy:
                if (out != in) std::memcpy(out, in, bytes);
                break;
        }
    }
    return true;
}

}  // namespace

bool RouteChannels(const ChannelRoute* routes, float** inputs, float** outputs, int32_t channels,
                   int32_t frames) {
    return Route(routes, inputs, outputs, channels, frames);
}

bool RouteChannels(const ChannelRoute* routes, double** inputs, double** outputs, int32_t channels,
                   int32_t frames) {
    return Route(routes, inputs, outputs, channels, frames);
}
