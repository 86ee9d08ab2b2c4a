#include "tests/plugin/plugin_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

PluginLibrary& PluginLibrary::Get() {
    static PluginLibrary library;
    return library;
}

PluginLibrary::PluginLibrary() {
    handle_ = dlopen(LOTTA_ROUTER_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) ADD_FAILURE() << "dlopen(" << LOTTA_ROUTER_PATH << "): " << dlerror();
}

PluginEntry PluginLibrary::Entry(const char* name) const {
    if (!handle_) return nullptr;
    // A data pointer to a function pointer: the only way dlsym hands out code.
    return reinterpret_cast<PluginEntry>(dlsym(handle_, name));
}
