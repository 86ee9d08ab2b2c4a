#include "effect/router.h"

#include <string>

#include "runtime/script_numbers.h"

namespace {
constexpr const char* kName = "Kelvane_Lotta router";
constexpr int32_t kChannels = 16;
// Section code never loops more often than this, whatever its condition says.
constexpr int kLoopLimit = 1000000;
constexpr int kSerializedSliders = 64;

// The sample section below over a whole call: bus 1 silent when off, buses 2 to 8 their own
// inputs when off, every enabled bus a guarded copy of inputs 1/2. The variables end as the
// call's last frame would leave them, read before any copy can overwrite an input.
template <typename Sample>
bool RouteCall(TZoltEffect& effect, Sample** inputs, Sample** outputs, int32_t channels,
               int32_t frames) {
    if (channels != kChannels) return false;
    if (frames == 0) return true;
    ChannelRoute routes[kChannels];
    for (int bus = 1; bus <= TZoltEffect::kBusCount; ++bus) {
        const bool enabled = LoadShared(effect.sliderValues[2 * bus - 1]) == 1.0;
        for (int side = 0; side < 2; ++side) {
            ChannelRoute& route = routes[2 * bus - 2 + side];
            if (enabled) {
                route = {ChannelRoute::kGuardedCopy, static_cast<uint8_t>(side)};
            } else if (bus > 1) {
                route = {ChannelRoute::kCopy, static_cast<uint8_t>(2 * bus - 2 + side)};
            }
        }
    }
    const auto last = static_cast<size_t>(frames - 1);
    double left = 0.0;
    double right = 0.0;
    // A missing input buffer reads as silence, as in the per-frame loop.
    auto lastOf = [&](int32_t c) { return inputs[c] ? static_cast<double>(inputs[c][last]) : 0.0; };
    GuardedStore(left, lastOf(0));
    GuardedStore(right, lastOf(1));
    double lastFrame[kChannels];
    for (int32_t c = 0; c < kChannels; ++c) {
        switch (routes[c].kind) {
            case ChannelRoute::kSilence:
                lastFrame[c] = 0.0;
                break;
            case ChannelRoute::kGuardedCopy:
                lastFrame[c] = routes[c].input == 0 ? left : right;
                break;
            case ChannelRoute::kCopy:
                lastFrame[c] = lastOf(c);
                break;
        }
    }
    if (!effect.blockRouter.Route(routes, inputs, outputs, kChannels, frames)) return false;
    // The host-variable copies the sample section makes per frame need no repeat: the block
    // section has just made the same copy of the same values.
    effect.inputLeft = left;
    effect.inputRight = right;
    for (int32_t c = 0; c < kChannels; ++c) effect.samples[c] = lastFrame[c];
    return true;
}
}  // namespace

TZoltEffect::TZoltEffect() {
    effectName = kName;
    productString = kName;
    programName = kName;
    vendorString = "Kelvane";
    vendorVersion = 1000;
    uniqueId = 0;
    channelCount = kChannels;
    for (int bus = 1; bus <= kBusCount; ++bus) {
        const int32_t position = AddSlider(2 * bus - 1, nullptr, 0.0, 0.0, 1.0, 1.0, "", "", "",
                                           "enable item bus " + std::to_string(bus));
        sliderDefs[static_cast<size_t>(position)].valueNames = {"muted", "enabled"};
    }
}

void TZoltEffect::Reset() {
    TZolt::Reset();
    vars.Zero();
    slotIndex = 0.0;
    inputLeft = 0.0;
    inputRight = 0.0;
    StringAt(kFontFaceSlot) = "Courier New";
}

void TZoltEffect::RunInit() {
    vars.InitPrologue(adapter, frameRate);
}

// The switches are read directly by the sample section, so there is nothing to derive.
void TZoltEffect::RunSlider() {
    vars.CopyHostVariables();
}

void TZoltEffect::RunBlock() {
    vars.BlockPrologue(adapter);
}

void TZoltEffect::RunSample() {
    vars.CopyHostVariables();
    GuardedStore(inputLeft, samples[0]);
    GuardedStore(inputRight, samples[1]);
    samples[0] = 0.0;
    samples[1] = 0.0;
    for (int bus = 1; bus <= kBusCount; ++bus) {
        // A host thread may flip the switch between the two reads.
        double& enabled = sliderValues[2 * bus - 1];
        if (LoadShared(enabled) == 1.0) {
            GuardedStore(samples[2 * bus - 2], inputLeft);
            if (LoadShared(enabled) == 1.0) GuardedStore(samples[2 * bus - 1], inputRight);
        }
    }
}

bool TZoltEffect::RunSampleBlock(float** inputs, float** outputs, int32_t channels,
                                 int32_t frames) {
    return RouteCall(*this, inputs, outputs, channels, frames);
}

bool TZoltEffect::RunSampleBlock(double** inputs, double** outputs, int32_t channels,
                                 int32_t frames) {
    return RouteCall(*this, inputs, outputs, channels, frames);
}

// The router has no interface of its own: its graphics section starts the frame and selects
// its font, nothing more.
void TZoltEffect::RunGraphics() {
    BeginFrame(vars);
    SetFont(0, StringAt(kFontFaceSlot), 13.0, 0);
}

void TZoltEffect::RunSerialize() {
    GuardedStore(slotIndex, 1.0);
    for (int i = 0; i < kLoopLimit; ++i) {
        files[0].Exchange(SliderAt(slotIndex));
        GuardedStore(slotIndex, slotIndex + 1.0);
        if (!(slotIndex <= kSerializedSliders)) break;
    }
    // A chunk may hold any float where a switch goes (2.0, 0.5, NaN); the switches come back
    // as exactly 0 or 1 by the rule the routing uses, so the display and the host's value say
    // what the buses do. The plug-in's own chunks hold only 0 and 1 and keep their meaning.
    if (files[0].mode != kFileSlotRead) return;
    for (int bus = 1; bus <= kBusCount; ++bus) {
        double& enabled = sliderValues[2 * bus - 1];
        StoreShared(enabled, LoadShared(enabled) == 1.0 ? 1.0 : 0.0);
    }
}
