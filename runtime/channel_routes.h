// Whole-block routing for effects whose sample section only moves samples between channels:
// each output channel of a call receives silence, a guarded copy of an input channel or an
// unchanged copy of one. The copies run in an order that gives hosts' in-place and shared
// buffers the bytes the per-frame loop gives them: all inputs of a frame read before any
// output of that frame is stored, outputs stored from the last channel down to the first,
// so on an output buffer shared by several channels the lowest channel's value stays.
#pragma once

#include <cstdint>

struct ChannelRoute {
    enum Kind : uint8_t {
        kSilence,      // +0.0
        kGuardedCopy,  // the input channel's samples, NaN and infinities as +0.0
        kCopy,         // the input channel's samples as they are
    };
    Kind kind = kSilence;
    uint8_t input = 0;  // the channel the copies read
};

constexpr int32_t kMaxRoutedChannels = 32;

// Routes whole calls, keeping the numbering of the last call's buffers and the order of its
// writes: hosts mostly hand over the same buffers with the same switches call after call, and
// telling identical, overlapping and separate buffers apart and ordering the copies is most
// of the work on short blocks.
class ChannelRouter {
  public:
    // [audio] Writes `frames` samples of every output channel c < channels as routes[c] says.
    // Answers false, having written nothing, when the call cannot be served as one block:
    // more than kMaxRoutedChannels channels, a route reading a channel that does not exist,
    // two buffers that share bytes without starting at the same sample, or copies that would
    // each overwrite what another still has to read; the caller then runs its per-frame loop.
    // A copy onto its own input buffer is left undone, so a signalling NaN stays signalling.
    // A null input buffer reads as silence; a null output buffer is not written.
    bool Route(const ChannelRoute* routes, float** inputs, float** outputs, int32_t channels,
               int32_t frames);
    bool Route(const ChannelRoute* routes, double** inputs, double** outputs, int32_t channels,
               int32_t frames);

  private:
    // One output buffer and the write that fills it.
    struct Write {
        uint8_t channel;  // the lowest output channel on the buffer
        uint8_t target;   // buffer numbers
        uint8_t source;
        ChannelRoute::Kind kind;
    };

    bool Plan(const ChannelRoute* routes, int32_t channels);
    template <typename Sample>
    bool RouteCall(const ChannelRoute* routes, Sample** inputs, Sample** outputs, int32_t channels,
                   int32_t frames);
    template <typename Sample>
    void NumberBuffers(Sample** inputs, Sample** outputs, int32_t channels);

    // The last call's buffers (inputs, then outputs), their numbers in address order, and the
    // smallest distance in bytes between two different ones.
    uintptr_t buffers_[2 * kMaxRoutedChannels] = {};
    uint8_t number_[2 * kMaxRoutedChannels] = {};
    int32_t channels_ = -1;
    int32_t bufferCount_ = 0;
    uint64_t smallestGap_ = 0;
    // The last call's routes and its writes in the order they ran; planCount_ -1: none.
    ChannelRoute planRoutes_[kMaxRoutedChannels] = {};
    Write plan_[kMaxRoutedChannels] = {};
    int32_t planCount_ = -1;
};
