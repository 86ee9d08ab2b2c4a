// A small LV2 host on lilv: loads the built bundle and no other plug-in, maps URIs, and makes
// instances with or without features, as lv2apply (none) and full hosts (urid:map) do.
#pragma once

#include <lilv/lilv.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class LilvHost {
  public:
    // Loads the LV2 specifications and the bundle at LOTTA_LV2_BUNDLE.
    LilvHost();
    ~LilvHost();
    LilvHost(const LilvHost&) = delete;
    LilvHost& operator=(const LilvHost&) = delete;

    // Null (and a test failure) when the bundle holds no plug-in of the URI.
    const LilvPlugin* Plugin() const { return plugin_; }
    LilvWorld* World() const { return world_; }
    // A node for a URI, kept as long as the host.
    const LilvNode* Uri(const std::string& uri);

    // [any] Thread-safe, as the feature demands.
    LV2_URID Map(const char* uri);
    std::string Unmap(LV2_URID urid);
    const LV2_Feature* const* Features() const { return features_; }

  private:
    static LV2_URID MapCallback(LV2_URID_Map_Handle handle, const char* uri);

    LilvWorld* world_ = nullptr;
    const LilvPlugin* plugin_ = nullptr;
    std::vector<std::pair<std::string, LilvNode*>> nodes_;
    std::mutex mapMutex_;
    std::vector<std::string> uris_;
    LV2_URID_Map map_{this, MapCallback};
    LV2_Feature mapFeature_{LV2_URID__map, &map_};
    const LV2_Feature* features_[2] = {&mapFeature_, nullptr};
};

// One property a plug-in stored through the state interface.
struct StoredProperty {
    LV2_URID key = 0;
    std::vector<uint8_t> value;
    LV2_URID type = 0;
    uint32_t flags = 0;
};

// [any] Calls the instance's save() and collects what it stored.
LV2_State_Status SaveState(LilvInstance* instance, std::vector<StoredProperty>& stored);
// [main] Calls restore() with the given properties as the host's store.
LV2_State_Status RestoreState(LilvInstance* instance, const std::vector<StoredProperty>& stored);
