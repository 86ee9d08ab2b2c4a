#include "runtime/channel_routes.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "runtime/channel_moves.h"
#include "runtime/guarded_copy.h"
#include "runtime/vector_path.h"

using namespace channel_moves;

namespace {

constexpr int32_t kMaxBuffers = 2 * kMaxRoutedChannels;

// Where a silent channel's last value is read from: a zero as wide as either sample type.
alignas(8) constexpr double kLastOfSilence = 0.0;

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

bool SameBytes(const void* a, const void* b, size_t bytes) {
#if defined(LOTTA_CHANNEL_MOVES_X86)
    if (bytes >= kStep && VectorPathActive()) return SameBytesAvx2(a, b, bytes);
#endif
    return std::memcmp(a, b, bytes) == 0;
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
    missingInput_ = false;
    for (int32_t c = 0; c < channels; ++c) missingInput_ = missingInput_ || !inputs[c];
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
        w.input = routes[c].input;
        if (w.kind != ChannelRoute::kSilence) {
            w.source = number_[routes[c].input];
            readers[w.source] |= uint32_t{1} << writeCount;
        }
        ++writeCount;
    }

    // A write may run once no other pending write still reads its buffer; writes that are
    // ready together touch nothing the others read, so their order does not matter, and they
    // run grouped by kind. The plan keeps the buffers' addresses: it runs as long as they stay
    // the same. A copy onto its own buffer is left undone, so a signalling NaN stays
    // signalling. Each buffer a guarded copy reads is noted once, for the look for NaN and
    // infinity.
    constexpr ChannelRoute::Kind kKinds[] = {ChannelRoute::kSilence, ChannelRoute::kCopy,
                                             ChannelRoute::kGuardedCopy};
    int32_t kept = 0;
    int32_t runs = 0;
    uint64_t guarded = 0;
    guardCount_ = 0;
    uint32_t pending = writeCount == 32 ? ~uint32_t{0} : (uint32_t{1} << writeCount) - 1;
    while (pending) {
        uint32_t ready = 0;
        for (int32_t w = 0; w < writeCount; ++w) {
            const uint32_t bit = uint32_t{1} << w;
            if ((pending & bit) && !(readers[writes[w].target] & pending & ~bit)) ready |= bit;
        }
        if (!ready) return false;
        pending &= ~ready;
        for (ChannelRoute::Kind kind : kKinds) {
            const int32_t first = kept;
            for (int32_t k = 0; k < writeCount; ++k) {
                Write w = writes[k];
                if (!(ready >> k & 1u) || w.kind != kind) continue;
                if (kind == ChannelRoute::kCopy && w.source == w.target) continue;
                w.out = buffers_[channels + w.channel];
                w.in = kind == ChannelRoute::kSilence ? 0 : buffers_[w.input];
                if (kind == ChannelRoute::kGuardedCopy && !(guarded >> w.source & 1u)) {
                    guarded |= uint64_t{1} << w.source;
                    guardSources_[guardCount_++] = w;
                }
                plan_[kept++] = w;
            }
            // Nothing in a run writes what another of its writes reads, so their order is
            // free: by source, writes that read the same buffer come together.
            // Insertion sort: no allocation on the audio thread, and the runs are short.
            for (int32_t k = first + 1; k < kept; ++k) {
                const Write moving = plan_[k];
                int32_t j = k;
                for (; j > first && plan_[j - 1].in > moving.in; --j) plan_[j] = plan_[j - 1];
                plan_[j] = moving;
            }
            if (kept > first) runs_[runs++] = {kind, static_cast<uint8_t>(kept)};
        }
    }
    for (int32_t c = 0; c < channels; ++c) {
        const bool silent = routes[c].kind == ChannelRoute::kSilence;
        lastFrom_[c] =
            silent ? reinterpret_cast<uintptr_t>(&kLastOfSilence) : buffers_[routes[c].input];
        lastOffsetMask_[c] = silent ? 0 : ~uintptr_t{0};
        lastGuardMask_[c] = routes[c].kind == ChannelRoute::kGuardedCopy ? ~uint64_t{0} : 0;
    }
    std::memcpy(planRoutes_, routes, sizeof(ChannelRoute) * static_cast<size_t>(channels));
    runCount_ = runs;
    planCount_ = kept;
    return true;
}

template <typename Sample>
bool ChannelRouter::SameBuffers(Sample** inputs, Sample** outputs, int32_t channels) const {
    // The numbering keeps each channel's buffer address in channel order, inputs then outputs,
    // so two byte comparisons tell whether a call brings the same buffers.
    static_assert(sizeof(Sample*) == sizeof(uintptr_t));
    const size_t bytes = sizeof(uintptr_t) * static_cast<size_t>(channels);
    return channels == channels_ && SameBytes(buffers_, inputs, bytes) &&
           SameBytes(buffers_ + channels, outputs, bytes);
}

template <typename Sample>
void ChannelRouter::LastValues(int32_t frames, double* last) const {
    // Silence reads its one zero at offset 0; a guarded NaN or infinity becomes +0.0.
    const uintptr_t at = sizeof(Sample) * static_cast<uintptr_t>(frames - 1);
    int32_t c = 0;
#if defined(LOTTA_CHANNEL_MOVES_X86) && defined(__x86_64__)
    if (VectorPathActive()) {
        c = LastValuesAvx2<Sample>(lastFrom_, lastOffsetMask_, lastGuardMask_, at, channels_, last);
    }
#endif
    constexpr uint64_t kExponent = 0x7ff0000000000000ull;
    for (; c < channels_; ++c) {
        const auto* from =
            reinterpret_cast<const Sample*>(lastFrom_[c] + (at & lastOffsetMask_[c]));
        const auto bits = std::bit_cast<uint64_t>(static_cast<double>(*from));
        const bool bad = (bits & kExponent) == kExponent;
        last[c] = std::bit_cast<double>(bad ? bits & ~lastGuardMask_[c] : bits);
    }
}

#if defined(LOTTA_CHANNEL_MOVES_X86)
template <typename Sample>
LOTTA_AVX2 __attribute__((flatten)) bool ChannelRouter::RepeatCallAvx2(
    const ChannelRoute* routes, Sample** inputs, Sample** outputs, int32_t channels, int32_t frames,
    double* last) {
    const size_t pointerBytes = sizeof(uintptr_t) * static_cast<size_t>(channels);
    const size_t routeBytes = sizeof(ChannelRoute) * static_cast<size_t>(channels);
    const size_t bytes = sizeof(Sample) * static_cast<size_t>(frames);
    if (frames <= 0 || channels != channels_ || planCount_ < 0 || missingInput_ ||
        pointerBytes < kStep || routeBytes < kStep || bytes < kStep ||
        bytes > 2 * Avx2ShortMoves<Sample>::kLongest || bytes > smallestGap_) {
        return false;
    }
    if (!SameBytesAvx2(buffers_, inputs, pointerBytes) ||
        !SameBytesAvx2(buffers_ + channels, outputs, pointerBytes) ||
        !SameBytesAvx2(routes, planRoutes_, routeBytes)) {
        return false;
    }
    if (last) LastValues<Sample>(frames, last);
    RunWritesAvx2<Sample>(frames);
    return true;
}
#endif

template <typename Sample>
bool ChannelRouter::RouteCall(const ChannelRoute* routes, Sample** inputs, Sample** outputs,
                              int32_t channels, int32_t frames, double* last) {
    if (channels < 0 || channels > kMaxRoutedChannels) return false;
    const bool same = SameBuffers(inputs, outputs, channels);
    // A missing input buffer reads as silence. (A missing output is left out of the plan.)
    // The same buffers are missing as in the last call.
    bool anyMissing = same && missingInput_;
    for (int32_t c = 0; !same && c < channels; ++c) anyMissing = anyMissing || !inputs[c];
    if (anyMissing) {
        ChannelRoute* resolved = resolved_;
        for (int32_t c = 0; c < channels; ++c) {
            const ChannelRoute& route = routes[c];
            const bool fromMissing = route.kind != ChannelRoute::kSilence &&
                                     route.input < channels && !inputs[route.input];
            resolved[c] = fromMissing ? ChannelRoute{} : route;
        }
        routes = resolved;
    }
    // The same buffers with the same routes as the last call: its order holds (and its
    // routes were checked then).
    const bool planned =
        same && planCount_ >= 0 &&
        SameBytes(routes, planRoutes_, sizeof(ChannelRoute) * static_cast<size_t>(channels));
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

    // Everything is read before any write could change it: the last frame, and whether the
    // sources of guarded copies hold NaN or infinity (a block without is copied as it is).
    if (last) LastValues<Sample>(frames, last);
    // No more than the distance between two buffers, so it fits.
    const auto bytes = static_cast<size_t>(sizeof(Sample) * static_cast<uint64_t>(frames));
#if defined(LOTTA_CHANNEL_MOVES_X86)
    if (bytes >= kStep && bytes <= Avx2LongMoves<Sample>::kLongest && VectorPathActive()) {
        RunWritesAvx2<Sample>(frames);
        return true;
    }
#endif
    uint64_t clean = 0;
    for (int32_t k = 0; k < guardCount_; ++k) {
        const Write& w = guardSources_[k];
        const auto* in = reinterpret_cast<const Sample*>(w.in);
        if (!AnyNonFinite(in, frames)) clean |= uint64_t{1} << w.source;
    }
    RunWrites<Sample>(frames, clean, LibraryMoves{bytes});
    return true;
}

template <typename Sample, typename Moves>
inline __attribute__((always_inline)) void ChannelRouter::RunWrites(int32_t frames, uint64_t clean,
                                                                    Moves moves) const {
    const Write* w = plan_;
    for (const Run* run = runs_; run != runs_ + runCount_; ++run) {
        const Write* const end = plan_ + run->end;
        switch (run->kind) {
            case ChannelRoute::kSilence:
                for (; w != end; ++w) moves.Zero(reinterpret_cast<void*>(w->out));  // +0.0
                break;
            case ChannelRoute::kCopy:
                for (; w != end; ++w) {
                    moves.Copy(reinterpret_cast<void*>(w->out),
                               reinterpret_cast<const void*>(w->in));
                }
                break;
            case ChannelRoute::kGuardedCopy:
                for (; w != end; ++w) {
                    auto* out = reinterpret_cast<Sample*>(w->out);
                    const auto* in = reinterpret_cast<const Sample*>(w->in);
                    if constexpr (Moves::kGuards) {
                        moves.Guarded(out, in);
                    } else if (!(clean >> w->source & 1u)) {
                        GuardedCopy(out, in, frames);
                    } else if (out != in) {
                        moves.Copy(out, in);
                    }
                }
                break;
        }
    }
}

#if defined(LOTTA_CHANNEL_MOVES_X86)
template <typename Sample>
LOTTA_AVX2 void ChannelRouter::RunWritesAvx2(int32_t frames) const {
    const size_t bytes = sizeof(Sample) * static_cast<size_t>(frames);
    if (bytes <= Avx2ShortMoves<Sample>::kLongest) {
        const Avx2ShortMoves<Sample> moves(bytes);
        const Write* w = plan_;
        for (const Run* run = runs_; run != runs_ + runCount_; ++run) {
            const Write* const end = plan_ + run->end;
            if (run->kind == ChannelRoute::kSilence) {
                for (; w != end; ++w) moves.Zero(reinterpret_cast<void*>(w->out));  // +0.0
            } else if (run->kind == ChannelRoute::kCopy) {
                moves.template CopyRun<false>(w, end);
            } else {
                moves.template CopyRun<true>(w, end);
            }
            w = end;
        }
    } else {
        RunWrites<Sample>(frames, 0, Avx2LongMoves<Sample>{bytes});
    }
}
#endif

// The repeat of the last call is tried first, before the general path sets up its work.
template <typename Sample>
bool ChannelRouter::RouteAny(const ChannelRoute* routes, Sample** inputs, Sample** outputs,
                             int32_t channels, int32_t frames, double* last) {
#if defined(LOTTA_CHANNEL_MOVES_X86)
    if (VectorPathActive() && RepeatCallAvx2(routes, inputs, outputs, channels, frames, last))
        return true;
#endif
    return RouteCall(routes, inputs, outputs, channels, frames, last);
}

bool ChannelRouter::Route(const ChannelRoute* routes, float** inputs, float** outputs,
                          int32_t channels, int32_t frames, double* last) {
    return RouteAny(routes, inputs, outputs, channels, frames, last);
}

bool ChannelRouter::Route(const ChannelRoute* routes, double** inputs, double** outputs,
                          int32_t channels, int32_t frames, double* last) {
    return RouteAny(routes, inputs, outputs, channels, frames, last);
}
