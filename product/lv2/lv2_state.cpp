#include "product/lv2/lv2_state.h"

#include <cstdint>
#include <vector>

#include "plugin/entry_guard.h"
#include "product/lv2/lv2_instance.h"

namespace {

// [any] May come while run() runs on another thread (hosts save from their own threads).
LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                      uint32_t, const LV2_Feature* const*) {
    auto* self = static_cast<Lv2Instance*>(handle);
    if (!self->UridMap()) return LV2_STATE_ERR_NO_FEATURE;
    return Guarded(
        [&] {
            std::vector<uint8_t> chunk;
            if (!self->SaveChunk(chunk)) return LV2_STATE_ERR_UNKNOWN;
            // The host copies the value before store returns.
            return store(state, self->ChunkKey(), chunk.data(), chunk.size(), self->ChunkType(),
                         LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
        },
        LV2_STATE_ERR_UNKNOWN);
}

// [main] Not concurrent with run(): restore is in the instantiation threading class.
LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle state, uint32_t, const LV2_Feature* const*) {
    auto* self = static_cast<Lv2Instance*>(handle);
    if (!self->UridMap()) return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* data = retrieve(state, self->ChunkKey(), &size, &type, &flags);
    // A state without the key (saved by nothing we know) leaves the instance as it is.
    if (!data) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != self->ChunkType()) return LV2_STATE_ERR_BAD_TYPE;
    if (size > UINT32_MAX / 2) return LV2_STATE_ERR_UNKNOWN;
    return Guarded(
        [&] {
            self->RestoreChunk(data, static_cast<uint32_t>(size));
            return LV2_STATE_SUCCESS;
        },
        LV2_STATE_ERR_UNKNOWN);
}

const LV2_State_Interface kState = {Save, Restore};

}  // namespace

const LV2_State_Interface* StateInterface() {
    return &kState;
}
