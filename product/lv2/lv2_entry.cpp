// The LV2 entry point of a plug-in product: one plug-in, whose URI the build gives.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>

#include "plugin/entry_guard.h"
#include "product/lv2/lv2_instance.h"
#include "product/lv2/lv2_state.h"

#ifndef LOTTA_LV2_URI
#error "LOTTA_LV2_URI names the plug-in"
#endif

namespace {

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
    return Lv2Instance::Create(LOTTA_LV2_URI, rate, features);
}

void ConnectPort(LV2_Handle handle, uint32_t port, void* data) {
    static_cast<Lv2Instance*>(handle)->Connect(port, data);
}

void Activate(LV2_Handle handle) {
    Guarded([&] { static_cast<Lv2Instance*>(handle)->Activate(); });
}

void Run(LV2_Handle handle, uint32_t frames) {
    Guarded([&] { static_cast<Lv2Instance*>(handle)->Run(frames); });
}

void Deactivate(LV2_Handle handle) {
    Guarded([&] { static_cast<Lv2Instance*>(handle)->Deactivate(); });
}

void Cleanup(LV2_Handle handle) {
    Guarded([&] { delete static_cast<Lv2Instance*>(handle); });
}

const void* ExtensionData(const char* uri) {
    if (std::strcmp(uri, LV2_STATE__interface) == 0) return StateInterface();
    return nullptr;
}

const LV2_Descriptor kDescriptor = {LOTTA_LV2_URI, Instantiate, ConnectPort, Activate,
                                    Run,           Deactivate,  Cleanup,     ExtensionData};

}  // namespace

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(
    uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
