#include "effect/router.h"

#include <string>

#include "runtime/script_numbers.h"

namespace {
constexpr const char* kName = "Kelvane_Lotta router";
constexpr int32_t kChannels = 16;
// Section code never loops more often than this, whatever its condition says.
constexpr int kLoopLimit = 1000000;
constexpr int kSerializedSliders = 64;
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
}
