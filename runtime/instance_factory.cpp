#include "runtime/instance_factory.h"

#include "plugin/host_services.h"
#include "plugin/orbel.h"
#include "runtime/callbacks.h"
#include "runtime/graphics_callbacks.h"
#include "runtime/zolt.h"

AEffect* CreateInstance(TZolt* effect, audioMasterCallback hostCallback) {
    if (!effect) return nullptr;
    OrbelCallbacks table{};
    FillRuntimeCallbacks(table);
    // An effect without an editor keeps the editor's entries empty, as hosts never see one.
    if (effect->hasEditor) FillGraphicsCallbacks(table);
    const auto numParams = static_cast<int32_t>(effect->sliderDefs.size());
    COrbel* adapter = createAdapter(effect, table, hostCallback, 1, numParams);
    effect->adapter = adapter;
    if (!adapter) {
        delete effect;
        return nullptr;
    }
    return getAEffect(adapter);
}
