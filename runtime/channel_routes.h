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
    // [audio] Writes `frames` samples of every output channel c < channels as routes[c] says,
    // and, when last is given, last[c] = the value channel c's route gives the last frame, as
    // a double (0.0 for silence); an effect that can tell those values from its own switches
    // more cheaply, as the router does, passes none. Answers false, having written nothing, when
    // the call cannot be served as one block: more than kMaxRoutedChannels channels, a route
    // reading a channel that does not exist, two buffers that share bytes without starting at the
    // same sample, or copies that would each overwrite what another still has to read; the caller
    // then runs its per-frame loop. A copy onto its own input buffer is left undone, so a
    // signalling NaN stays signalling. A null input buffer reads as silence; a null output
    // buffer is not written.
    bool Route(const ChannelRoute* routes, float** inputs, float** outputs, int32_t channels,
               int32_t frames, double* last = nullptr);
    bool Route(const ChannelRoute* routes, double** inputs, double** outputs, int32_t channels,
               int32_t frames, double* last = nullptr);

  private:
    // One output buffer and the write that fills it.
    struct Write {
        uintptr_t out;  // the buffers' addresses
        uintptr_t in;
        uint8_t channel;  // the lowest output channel on the buffer
        uint8_t input;    // the channel it reads (none for silence)
        uint8_t target;   // buffer numbers
        uint8_t source;
        ChannelRoute::Kind kind;
    };
    // A stretch of the plan's writes of one kind, up to plan_[end].
    struct Run {
        ChannelRoute::Kind kind;
        uint8_t end;
    };

    bool Plan(const ChannelRoute* routes, int32_t channels);
    // The call hosts make nearly every time, in one stretch of vector code: the buffers and
    // routes of the last call, no input missing, a short block (32 to 256 bytes a channel, where
    // the call's fixed work weighs most). False, having done nothing, for any other call, which
    // then goes the general way.
    template <typename Sample>
    bool RepeatCallAvx2(const ChannelRoute* routes, Sample** inputs, Sample** outputs,
                        int32_t channels, int32_t frames, double* last);
    // Either precision: the repeat path, else the general one.
    template <typename Sample>
    inline bool RouteAny(const ChannelRoute* routes, Sample** inputs, Sample** outputs,
                         int32_t channels, int32_t frames, double* last);
    template <typename Sample>
    bool RouteCall(const ChannelRoute* routes, Sample** inputs, Sample** outputs, int32_t channels,
                   int32_t frames, double* last);
    template <typename Sample>
    void NumberBuffers(Sample** inputs, Sample** outputs, int32_t channels);
    template <typename Sample>
    bool SameBuffers(Sample** inputs, Sample** outputs, int32_t channels) const;
    // The plan's writes, copying and filling blocks with moves; clean: the sources of guarded
    // copies that hold no NaN or infinity, for moves that cannot guard as they copy.
    template <typename Sample, typename Moves>
    void RunWrites(int32_t frames, uint64_t clean, Moves moves) const;
    template <typename Sample>
    void RunWritesAvx2(int32_t frames) const;
    // last[c] for every channel of the plan, from the call's last frame.
    template <typename Sample>
    void LastValues(int32_t frames, double* last) const;

    // The last call's buffers (inputs, then outputs), their numbers in address order, the
    // smallest distance in bytes between two different ones, and whether an input was missing.
    uintptr_t buffers_[2 * kMaxRoutedChannels] = {};
    uint8_t number_[2 * kMaxRoutedChannels] = {};
    int32_t channels_ = -1;
    int32_t bufferCount_ = 0;
    uint64_t smallestGap_ = 0;
    bool missingInput_ = false;
    // The last call's routes and the writes it ran, in order (copies onto their own buffer
    // left out) and in runs of one kind; planCount_ -1: none. guardSources_: one guarded copy
    // per buffer they read.
    ChannelRoute planRoutes_[kMaxRoutedChannels] = {};
    Write plan_[kMaxRoutedChannels] = {};
    int32_t planCount_ = -1;
    Run runs_[kMaxRoutedChannels] = {};
    int32_t runCount_ = 0;
    Write guardSources_[kMaxRoutedChannels] = {};
    int32_t guardCount_ = 0;
    // Per channel, the buffer its route reads (a zero for silence), whether the last frame's
    // offset applies (all ones) or not (0, silence), and whether its copy is guarded (all
    // ones) or not.
    uintptr_t lastFrom_[kMaxRoutedChannels] = {};
    uintptr_t lastOffsetMask_[kMaxRoutedChannels] = {};
    uint64_t lastGuardMask_[kMaxRoutedChannels] = {};
    // The routes of a call with missing inputs, those reading one as silence: kept here, so a
    // call without does not clear a local array.
    ChannelRoute resolved_[kMaxRoutedChannels] = {};
};
