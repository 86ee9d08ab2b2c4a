// The CLAP entry of a plug-in product: one plug-in, whose id the build gives, described from
// what its effect reports (name, vendor) and the project's version.
#include <cstring>
#include <mutex>
#include <string>

#include "plugin/entry_guard.h"
#include "product/clap/clap_abi.h"
#include "product/clap/clap_plugin.h"
#include "product/hosted_effect.h"

#ifndef LOTTA_CLAP_ID
#error "LOTTA_CLAP_ID names the plug-in"
#endif
#ifndef LOTTA_CLAP_VERSION
#error "LOTTA_CLAP_VERSION is the project's version"
#endif

#if defined(_WIN32)
// The module-definition file exports the entry, undecorated.
#define CLAP_EXPORT extern "C"
#else
#define CLAP_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// Hosts may call init again without deinit, and deinit as often: only the first init and the
// last deinit do anything. init and deinit never run at once with any other call, but may come
// on different threads.
std::mutex gEntryLock;
int gInitCount = 0;
// Filled by the first init, kept until the library unloads: descriptors stay valid past
// deinit, and a reload's init finds them made.
std::string gName;
std::string gVendor;

const char* const kFeatures[] = {"audio-effect", "utility", "mixing", "stereo", nullptr};

clap_plugin_descriptor gDescriptor = {CLAP_VERSION, LOTTA_CLAP_ID,      "", "",       "", "",
                                      "",           LOTTA_CLAP_VERSION, "", kFeatures};

// [any, exclusive] Reads the name and vendor from an instance of the effect, once.
bool Describe() {
    if (!gName.empty()) return true;
    std::unique_ptr<HostedEffect> effect = HostedEffect::Open(44100.0, 512);
    if (!effect || effect->Name().empty()) return false;
    gName = effect->Name();
    gVendor = effect->Vendor();
    gDescriptor.name = gName.c_str();
    gDescriptor.vendor = gVendor.c_str();
    gDescriptor.description = gName.c_str();
    return true;
}

bool CLAP_ABI Init(const char*) {
    return Guarded(
        [] {
            std::lock_guard lock(gEntryLock);
            if (gInitCount == 0 && !Describe()) return false;
            ++gInitCount;
            return true;
        },
        false);
}

void CLAP_ABI Deinit() {
    std::lock_guard lock(gEntryLock);
    if (gInitCount > 0) --gInitCount;
}

// ---- The plug-in factory [any] ----

uint32_t CLAP_ABI PluginCount(const clap_plugin_factory*) {
    return 1;
}

const clap_plugin_descriptor* CLAP_ABI PluginDescriptor(const clap_plugin_factory*,
                                                        uint32_t index) {
    return index == 0 ? &gDescriptor : nullptr;
}

// The host is not called here: not before the instance's init.
const clap_plugin* CLAP_ABI CreatePlugin(const clap_plugin_factory*, const clap_host* host,
                                         const char* id) {
    if (!host || !id || std::strcmp(id, gDescriptor.id) != 0) return nullptr;
    if (!ClapVersionIsCompatible(host->clap_version)) return nullptr;
    return Guarded([&] { return ClapPlugin::Create(host, &gDescriptor); },
                   static_cast<const clap_plugin*>(nullptr));
}

const clap_plugin_factory kFactory = {PluginCount, PluginDescriptor, CreatePlugin};

const void* CLAP_ABI GetFactory(const char* id) {
    if (!id || std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) != 0) return nullptr;
    return &kFactory;
}

}  // namespace

CLAP_EXPORT const clap_plugin_entry clap_entry = {CLAP_VERSION, Init, Deinit, GetFactory};
