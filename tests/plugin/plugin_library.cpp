#include "tests/plugin/plugin_library.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <string>
#else
#include <dlfcn.h>
#endif

PluginLibrary& PluginLibrary::Get() {
    static PluginLibrary library;
    return library;
}

#ifdef _WIN32
namespace {

// The build system knows the DLL by its path on the build machine; Wine shows that file
// system as drive Z:.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

}  // namespace

PluginLibrary::PluginLibrary() {
    const std::string path = WindowsPath(LOTTA_ROUTER_PATH);
    handle_ = LoadLibraryA(path.c_str());
    if (!handle_) ADD_FAILURE() << "LoadLibrary(" << path << "): error " << GetLastError();
}

PluginEntry PluginLibrary::Entry(const char* name) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<PluginEntry>(
        reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name)));
}
#else
PluginLibrary::PluginLibrary() {
    handle_ = dlopen(LOTTA_ROUTER_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) ADD_FAILURE() << "dlopen(" << LOTTA_ROUTER_PATH << "): " << dlerror();
}

PluginEntry PluginLibrary::Entry(const char* name) const {
    if (!handle_) return nullptr;
    // A data pointer to a function pointer: the only way dlsym hands out code.
    return reinterpret_cast<PluginEntry>(dlsym(handle_, name));
}
#endif
