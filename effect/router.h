// The Kelvane_Lotta router: copies the stereo pair on inputs 1/2 to each of eight stereo
// output buses whose switch is on.
#pragma once

#include "runtime/channel_routes.h"
#include "runtime/standard_variables.h"
#include "runtime/zolt.h"

class TZoltEffect : public TZolt {
  public:
    static constexpr int kBusCount = 8;
    static constexpr int32_t kFontFaceSlot = 10000;

    // [main]
    TZoltEffect();
    ~TZoltEffect() override = default;

    // [any] Slider section.
    void RunSlider() override;
    // [audio & resumed] Block section, once per host block.
    void RunBlock() override;
    // [audio & resumed] Sample section: the routing, once per frame.
    void RunSample() override;
    // [audio & resumed] The routing of a whole call, as whole-buffer copies. The switches are read
    // once per call, so a switch that another thread flips takes effect at the next call rather
    // than the next frame; nothing orders the two threads anyway. Declines (false) what only
    // the per-frame loop gets right: another channel count, buffers that partly overlap,
    // outputs written onto each other's inputs in a circle.
    bool RunSampleBlock(float** inputs, float** outputs, int32_t channels, int32_t frames) override;
    bool RunSampleBlock(double** inputs, double** outputs, int32_t channels,
                        int32_t frames) override;
    // [main] At effOpen.
    void Reset() override;
    // [any] Initialisation section, from resume and from the first state load.
    void RunInit() override;
    // [main] Graphics section.
    void RunGraphics() override;
    // [any] Exchanges sliders 1 to 64 with file slot 0; a restore leaves each bus switch
    // exactly 1 (it held exactly 1) or 0 (anything else).
    void RunSerialize() override;

    StandardVariables vars;
    double slotIndex = 0.0;
    double inputLeft = 0.0;
    double inputRight = 0.0;
    // [audio] The block path's copies, and the routes for the switches it last ran with (bit
    // b - 1 for bus b; none before the first call).
    ChannelRouter blockRouter;
    ChannelRoute blockRoutes[2 * kBusCount];
    uint32_t blockSwitches = ~0u;
};
