#include "tests/editor_window/plugin_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#if defined(_WIN32)
PluginLibrary::PluginLibrary(const std::string& path)
    : handle_(reinterpret_cast<void*>(LoadLibraryA(path.c_str()))) {}

PluginLibrary::~PluginLibrary() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

PluginEntry PluginLibrary::Entry(const char* name) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<PluginEntry>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name)));
}
#else
PluginLibrary::PluginLibrary(const std::string& path)
    : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}

PluginLibrary::~PluginLibrary() {
    if (handle_) dlclose(handle_);
}

PluginEntry PluginLibrary::Entry(const char* name) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<PluginEntry>(dlsym(handle_, name));
}
#endif

std::vector<HostRequest>& ScriptedHostRequests() {
    static std::vector<HostRequest> requests;
    return requests;
}

intptr_t VSTCALLBACK ScriptedHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*,
                                  float opt) {
    ScriptedHostRequests().push_back({opcode, index, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}
