#include "tools/plugin_loader/plugin_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>

namespace vst2host {
namespace {

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}  // namespace

#ifdef _WIN32
struct PluginLibrary::Handle {
    HMODULE module = nullptr;
    ~Handle() {
        if (module != nullptr) FreeLibrary(module);
    }
    // False with the reason in why when the library cannot be loaded.
    bool open(const std::string& path, std::string& why) {
        module = LoadLibraryA(path.c_str());
        if (module != nullptr) return true;
        why = SystemMessage(GetLastError());
        return false;
    }
    void* symbol(const char* name) const {
        return reinterpret_cast<void*>(GetProcAddress(module, name));
    }
    static std::string SystemMessage(DWORD code) {
        char text[512] = {};
        const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, code, 0, text, sizeof text, nullptr);
        std::string message(text, n);
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                    message.back() == ' ' || message.back() == '.')) {
            message.pop_back();
        }
        return message.empty() ? "error " + std::to_string(code) : message;
    }
};
#else
struct PluginLibrary::Handle {
    void* library = nullptr;
    ~Handle() {
        if (library != nullptr) dlclose(library);
    }
    bool open(const std::string& path, std::string& why) {
        // Without a slash dlopen searches the system's library paths; a host means the file
        // here.
        const std::string dlPath = path.find('/') == std::string::npos ? "./" + path : path;
        // RTLD_NOW: a missing symbol is a load error now, not an abort in the middle of a call.
        library = dlopen(dlPath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library != nullptr) return true;
        const char* error = dlerror();
        why = error != nullptr ? error : "unknown dlopen error";
        return false;
    }
    void* symbol(const char* name) const {
        dlerror();
        return dlsym(library, name);
    }
};
#endif

PluginLibrary::PluginLibrary(const std::string& path)
    : path_(path), handle_(std::make_unique<Handle>()) {
    std::string why;
    if (!handle_->open(path, why)) throw error(OneLine(why));
}

PluginLibrary::~PluginLibrary() = default;

void* PluginLibrary::symbol(const char* name) const {
    return handle_->symbol(name);
}

PluginEntry PluginLibrary::entry(const char* name) const {
    // A data pointer to a function pointer: the only way dlsym hands out code.
    return reinterpret_cast<PluginEntry>(symbol(name));
}

PluginEntry PluginLibrary::mainEntry(std::string* name) const {
    for (const char* candidate : kEntryNames) {
        if (PluginEntry found = entry(candidate)) {
            if (name != nullptr) *name = candidate;
            return found;
        }
    }
    throw error(kNoEntryPoint);
}

LoadError PluginLibrary::error(const std::string& why) const {
    return LoadError("cannot load " + path_ + ": " + why);
}

}  // namespace vst2host
