#include "tests/plugin/router_library.h"

#include <gtest/gtest.h>

#include <string>

std::string HostPath(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
#endif
    return path;
}

RouterLibrary& RouterLibrary::Get() {
    // Never destroyed: see library_.
    static RouterLibrary* library = new RouterLibrary;
    return *library;
}

RouterLibrary::RouterLibrary() {
    try {
        library_ = std::make_unique<vst2host::PluginLibrary>(HostPath(LOTTA_ROUTER_PATH));
    } catch (const vst2host::LoadError& e) {
        ADD_FAILURE() << e.what();
    }
}

PluginEntry RouterLibrary::Entry(const char* name) const {
    return library_ ? library_->entry(name) : nullptr;
}
