#include "runtime/channel_routes.h"

#include <cstring>

#include "runtime/guarded_copy.h"

namespace {

constexpr int32_t kMaxBuffers = 2 * kMaxRoutedChannels;

struct Slot {
    uint64_t address;
    int32_t index;
};

// The channels' buffers by address, each with first + its channel as index. Insertion sort:
// hosts mostly allocate channels in order, so it rarely moves much.
template <typename Sample>
void SortSlots(Sample** buffers, int32_t first, int32_t channels, Slot* slots) {
    for (int32_t c = 0; c < channels; ++c) {
        const Slot slot{static_cast<uint64_t>(reinterpret_cast<uintptr_t>(buffers[c])), first + c};
        int32_t k = c;
        for (; k > 0 && slots[k - 1].address > slot.address; --k) slots[k] = slots[k - 1];
        slots[k] = slot;
    }
}

}  // namespace

// Numbers the distinct buffers of a call in address order and notes the smallest distance
// between two of them.
template <typename Sample>
void ChannelRouter::NumberBuffers(Sample** inputs, Sample** outputs, int32_t channels) {
    Slot inputSlots[kMaxRoutedChannels];
    Slot outputSlots[kMaxRoutedChannels];
    SortSlots(inputs, 0, channels, inputSlots);
    SortSlots(outputs, channels, channels, outputSlots);
    // Hosts often allocate all outputs below or above all inputs: sorting the two apart and
    // merging them keeps that linear.
    const int32_t slotCount = 2 * channels;
    int32_t id = 0;
    uint64_t previous = 0;
    smallestGap_ = UINT64_MAX;
    for (int32_t i = 0, o = 0, k = 0; k < slotCount; ++k) {
        const bool takeInput =
            o == channels || (i < channels && inputSlots[i].address <= outputSlots[o].address);
        const Slot slot = takeInput ? inputSlots[i++] : outputSlots[o++];
        if (k > 0 && slot.address != previous) {
            if (slot.address - previous < smallestGap_) smallestGap_ = slot.address - previous;
            ++id;
        }
        previous = slot.address;
        number_[slot.index] = static_cast<uint8_t>(id);
        buffers_[slot.index] = static_cast<uintptr_t>(slot.address);
    }
    channels_ = channels;
    bufferCount_ = slotCount > 0 ? id + 1 : 0;
}

// Orders the writes of a call with these routes over the current buffer numbers. False
// when the writes overwrite each other's sources in a circle.
bool ChannelRouter::Plan(const ChannelRoute* routes, int32_t channels) {
    planCount_ = -1;
    // One write per output buffer: where channels share one, the lowest channel's value is
    // what the per-frame stores leave, so the others need not run.
    Write writes[kMaxRoutedChannels];
    int32_t writeCount = 0;
    uint64_t written = 0;
    uint32_t readers[kMaxBuffers];  // per buffer: the writes that read it
    std::memset(readers, 0, sizeof(uint32_t) * static_cast<size_t>(bufferCount_));
    for (int32_t c = 0; c < channels; ++c) {
        if (buffers_[channels + c] == 0) continue;  // no buffer: not written
        const uint8_t target = number_[channels + c];
        if (written >> target & 1u) continue;
        written |= uint64_t{1} << target;
        Write& w = writes[writeCount];
        w.channel = static_cast<uint8_t>(c);
        w.target = target;
        w.source = target;
        w.kind = routes[c].kind;
        if (w.kind != ChannelRoute::kSilence) {
            w.source = number_[routes[c].input];
            readers[w.source] |= uint32_t{1} << writeCount;
        }
        ++writeCount;
    }

    // A write may run once no other pending write still reads its buffer; writes that are
    // ready together touch nothing the others read, so their order does not matter.
    int32_t ordered = 0;
    uint32_t pending = writeCount == 32 ? ~uint32_t{0} : (uint32_t{1} << writeCount) - 1;
    while (pending) {
        uint32_t ready = 0;
        for (int32_t w = 0; w < writeCount; ++w) {
            const uint32_t bit = uint32_t{1} << w;
            if ((pending & bit) && !(readers[writes[w].target] & pending & ~bit)) ready |= bit;
        }
        if (!ready) return false;
        for (int32_t w = 0; w < writeCount; ++w) {
            if (ready >> w & 1u) plan_[ordered++] = writes[w];
        }
        pending &= ~ready;
    }
    std::memcpy(planRoutes_, routes, sizeof(ChannelRoute) * static_cast<size_t>(channels));
    planCount_ = ordered;
    return true;
}

template <typename Sample>
bool ChannelRouter::RouteCall(const ChannelRoute* routes, Sample** inputs, Sample** outputs,
                              int32_t channels, int32_t frames) {
    if (channels < 0 || channels > kMaxRoutedChannels) return false;
    // A missing input buffer reads as silence. (A missing output is left out of the plan.)
    ChannelRoute resolved[kMaxRoutedChannels];
    bool anyMissing = false;
    for (int32_t c = 0; c < channels; ++c) anyMissing = anyMissing || !inputs[c];
    if (anyMissing) {
        for (int32_t c = 0; c < channels; ++c) {
            const ChannelRoute& route = routes[c];
            const bool fromMissing = route.kind != ChannelRoute::kSilence &&
                                     route.input < channels && !inputs[route.input];
            resolved[c] = fromMissing ? ChannelRoute{} : route;
        }
        routes = resolved;
    }
    bool same = channels == channels_;
    for (int32_t c = 0; same && c < channels; ++c) {
        same = buffers_[c] == reinterpret_cast<uintptr_t>(inputs[c]) &&
               buffers_[channels + c] == reinterpret_cast<uintptr_t>(outputs[c]);
    }
    // The same buffers with the same routes as the last call: its order holds (and its
    // routes were checked then).
    const bool planned =
        same && planCount_ >= 0 &&
        std::memcmp(routes, planRoutes_, sizeof(ChannelRoute) * static_cast<size_t>(channels)) == 0;
    if (!planned) {
        for (int32_t c = 0; c < channels; ++c) {
            if (routes[c].kind != ChannelRoute::kSilence && routes[c].input >= channels) {
                return false;
            }
        }
    }
    if (frames <= 0) return true;
    if (!same) {
        NumberBuffers(inputs, outputs, channels);
        planCount_ = -1;
    }
    // Buffers closer than a block share bytes without being the same: the per-frame loop's
    // stores then feed later frames' loads, which no block order reproduces.
    if (sizeof(Sample) * static_cast<uint64_t>(frames) > smallestGap_) return false;
    if (!planned && !Plan(routes, channels)) return false;

    // A guarded copy of a block without NaN or infinity is a plain copy; each source is
    // looked at once, before any write could change it.
    uint64_t looked = 0;
    uint64_t clean = 0;
    for (int32_t k = 0; k < planCount_; ++k) {
        const Write& w = plan_[k];
        if (w.kind != ChannelRoute::kGuardedCopy) continue;
        const uint64_t bit = uint64_t{1} << w.source;
        if (looked & bit) continue;
        looked |= bit;
        if (!AnyNonFinite(inputs[routes[w.channel].input], frames)) clean |= bit;
    }

    const size_t bytes = sizeof(Sample) * static_cast<size_t>(frames);
    for (int32_t k = 0; k < planCount_; ++k) {
        const Write& w = plan_[k];
        Sample* out = outputs[w.channel];
        const Sample* in = inputs[routes[w.channel].input];
        ChannelRoute::Kind kind = w.kind;
        if (kind == ChannelRoute::kGuardedCopy && (clean >> w.source & 1u)) {
            kind = ChannelRoute::kCopy;
        }
        switch (kind) {
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

bool ChannelRouter::Route(const ChannelRoute* routes, float** inputs, float** outputs,
                          int32_t channels, int32_t frames) {
    return RouteCall(routes, inputs, outputs, channels, frames);
}

bool ChannelRouter::Route(const ChannelRoute* routes, double** inputs, double** outputs,
                          int32_t channels, int32_t frames) {
    return RouteCall(routes, inputs, outputs, channels, frames);
}
