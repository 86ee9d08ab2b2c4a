#include "effect/router.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/script_numbers.h"

namespace {
constexpr const char* kName = "Kelvane_Lotta router";
constexpr int32_t kChannels = 16;
// Section code never loops more often than this, whatever its condition says.
constexpr int kLoopLimit = 1000000;
constexpr int kSerializedSliders = 64;

// The routes for the switches in enabled (bit b - 1 for bus b): bus 1 silent when off,
// buses 2 to 8 their own inputs when off, every enabled bus a guarded copy of inputs 1/2.
void SetRoutes(ChannelRoute* routes, uint32_t enabled) {
    for (int bus = 1; bus <= TZoltEffect::kBusCount; ++bus) {
        const int32_t c = 2 * bus - 2;
        if (enabled >> (bus - 1) & 1u) {
            routes[c] = {ChannelRoute::kGuardedCopy, 0};
            routes[c + 1] = {ChannelRoute::kGuardedCopy, 1};
        } else if (bus > 1) {
            routes[c] = {ChannelRoute::kCopy, static_cast<uint8_t>(c)};
            routes[c + 1] = {ChannelRoute::kCopy, static_cast<uint8_t>(c + 1)};
        } else {
            routes[c] = routes[c + 1] = ChannelRoute{};
        }
    }
}

// The switches as bits, bit b - 1 for bus b. Compared as bits: 1.0 has one pattern, and no
// NaN or other value shares it.
template <size_t... kBus>
inline __attribute__((always_inline)) uint32_t SwitchBits(TZoltEffect& effect,
                                                          std::index_sequence<kBus...>) {
    constexpr auto kOn = std::bit_cast<uint64_t>(1.0);
    auto on = [&](size_t bus) {
        return std::bit_cast<uint64_t>(LoadShared(effect.sliderValues[2 * bus + 1])) == kOn;
    };
    return ((static_cast<uint32_t>(on(kBus)) << kBus) | ...);
}

// The sample section below over a whole call. The variables end as the call's last frame
// would leave them, read before any copy can overwrite an input.
template <typename Sample>
bool RouteCall(TZoltEffect& effect, Sample** inputs, Sample** outputs, int32_t channels,
               int32_t frames) {
    if (channels != kChannels) return false;
    if (frames == 0) return true;
    const uint32_t enabled = SwitchBits(effect, std::make_index_sequence<TZoltEffect::kBusCount>());
    if (enabled != effect.blockSwitches) {
        SetRoutes(effect.blockRoutes, enabled);
        effect.blockSwitches = enabled;
    }
    // The last frame's inputs, read before any copy can overwrite them. Every channel's
    // sample variable ends as the last frame leaves it: inputs 1/2 guarded on an enabled bus,
    // a disabled bus's own inputs as they are, bus 1 silent when off. Set here from what the
    // switches say, which costs less than the router's general gather of them; should the
    // router decline, the per-frame loop sets them again.
    const auto last = static_cast<size_t>(frames - 1);
    auto lastOf = [&](int32_t c) { return inputs[c] ? static_cast<double>(inputs[c][last]) : 0.0; };
    double left = 0.0;
    double right = 0.0;
    GuardedStore(left, lastOf(0));
    GuardedStore(right, lastOf(1));
    struct Pair {
        double left, right;
    };
    const Pair inputPair{left, right};
    for (int32_t bus = 0; bus < TZoltEffect::kBusCount; ++bus) {
        const int32_t c = 2 * bus;
        Pair pair{};
        if (enabled >> bus & 1u) {
            pair = inputPair;
        } else if (bus > 0) {
            pair = {lastOf(c), lastOf(c + 1)};
        }
        std::memcpy(effect.samples + c, &pair, sizeof pair);
    }
    if (!effect.blockRouter.Route(effect.blockRoutes, inputs, outputs, kChannels, frames)) {
        return false;
    }
    // The host-variable copies the sample section makes per frame need no repeat: the block
    // section has just made the same copy of the same values.
    effect.inputLeft = left;
    effect.inputRight = right;
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
