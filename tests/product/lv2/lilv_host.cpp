#include "tests/product/lv2/lilv_host.h"

#include <gtest/gtest.h>

LilvHost::LilvHost() {
    world_ = lilv_world_new();
    // The specifications only: a plug-in installed on the machine must not stand in for ours.
    LilvNode* path = lilv_new_string(world_, "/usr/lib/lv2");
    lilv_world_set_option(world_, LILV_OPTION_LV2_PATH, path);
    lilv_node_free(path);
    lilv_world_load_specifications(world_);
    lilv_world_load_plugin_classes(world_);
    LilvNode* bundle = lilv_new_file_uri(world_, nullptr, LOTTA_LV2_BUNDLE "/");
    lilv_world_load_bundle(world_, bundle);
    lilv_node_free(bundle);
    plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), Uri(LOTTA_LV2_URI));
    if (!plugin_) ADD_FAILURE() << "no " << LOTTA_LV2_URI << " in " << LOTTA_LV2_BUNDLE;
}

LilvHost::~LilvHost() {
    for (auto& node : nodes_) lilv_node_free(node.second);
    lilv_world_free(world_);
}

const LilvNode* LilvHost::Uri(const std::string& uri) {
    for (auto& node : nodes_) {
        if (node.first == uri) return node.second;
    }
    nodes_.emplace_back(uri, lilv_new_uri(world_, uri.c_str()));
    return nodes_.back().second;
}

LV2_URID LilvHost::Map(const char* uri) {
    std::lock_guard lock(mapMutex_);
    for (size_t i = 0; i < uris_.size(); ++i) {
        if (uris_[i] == uri) return static_cast<LV2_URID>(i + 1);
    }
    uris_.emplace_back(uri);
    return static_cast<LV2_URID>(uris_.size());
}

std::string LilvHost::Unmap(LV2_URID urid) {
    std::lock_guard lock(mapMutex_);
    return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1] : std::string();
}

LV2_URID LilvHost::MapCallback(LV2_URID_Map_Handle handle, const char* uri) {
    return static_cast<LilvHost*>(handle)->Map(uri);
}

namespace {

const LV2_State_Interface* StateOf(LilvInstance* instance) {
    return static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_STATE__interface));
}

LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size,
                       uint32_t type, uint32_t flags) {
    auto* stored = static_cast<std::vector<StoredProperty>*>(handle);
    const auto* bytes = static_cast<const uint8_t*>(value);
    stored->push_back({key, std::vector<uint8_t>(bytes, bytes + size), type, flags});
    return LV2_STATE_SUCCESS;
}

const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                     uint32_t* flags) {
    for (const StoredProperty& p : *static_cast<const std::vector<StoredProperty>*>(handle)) {
        if (p.key != key) continue;
        *size = p.value.size();
        *type = p.type;
        *flags = p.flags;
        return p.value.data();
    }
    return nullptr;
}

}  // namespace

LV2_State_Status SaveState(LilvInstance* instance, std::vector<StoredProperty>& stored) {
    const LV2_State_Interface* state = StateOf(instance);
    if (!state) return LV2_STATE_ERR_UNKNOWN;
    return state->save(lilv_instance_get_handle(instance), Store, &stored,
                       LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, nullptr);
}

LV2_State_Status RestoreState(LilvInstance* instance, const std::vector<StoredProperty>& stored) {
    const LV2_State_Interface* state = StateOf(instance);
    if (!state) return LV2_STATE_ERR_UNKNOWN;
    return state->restore(lilv_instance_get_handle(instance), Retrieve,
                          const_cast<std::vector<StoredProperty>*>(&stored), 0, nullptr);
}
