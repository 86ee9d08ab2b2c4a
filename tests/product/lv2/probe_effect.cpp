// An effect that shows on its outputs how a host calls it, for the adapter tests: on every
// frame of a process call, output 1 carries that call's frame count, output 2 the block size
// the host announced, outputs 3 and 4 the values of its two sliders as it holds them (an
// on/off switch, which LV2 sees as a toggle, and a continuous level).
#include "plugin/host_services.h"
#include "product/effect_factory.h"
#include "runtime/zolt.h"

namespace {

class ProbeEffect : public TZolt {
  public:
    static constexpr int32_t kSwitch = 1;
    static constexpr int32_t kLevel = 2;

    ProbeEffect() {
        effectName = productString = programName = "probe";
        vendorString = "Kelvane";
        channelCount = 4;
        const int32_t position =
            AddSlider(kSwitch, nullptr, 0.0, 0.0, 1.0, 1.0, "", "", "", "switch");
        sliderDefs[static_cast<size_t>(position)].valueNames = {"off", "on"};
        AddSlider(kLevel, nullptr, 0.5, 0.0, 1.0, 0.0, "", "", "", "level");
    }

    bool RunSampleBlock(float**, float** outputs, int32_t channels, int32_t frames) override {
        if (channels != 4) return false;
        const float seen[4] = {
            static_cast<float>(frames), static_cast<float>(getBlockSize(adapter)),
            static_cast<float>(sliderValues[kSwitch]), static_cast<float>(sliderValues[kLevel])};
        for (int32_t c = 0; c < 4; ++c) {
            for (int32_t j = 0; outputs[c] && j < frames; ++j) outputs[c][j] = seen[c];
        }
        return true;
    }
    bool RunSampleBlock(double**, double**, int32_t, int32_t) override { return false; }
};

}  // namespace

TZolt* NewEffect() {
    return new ProbeEffect;
}
