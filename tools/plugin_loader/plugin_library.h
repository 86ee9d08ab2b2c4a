// A plug-in library as a host opens it: dlopen (LoadLibrary on Windows), its VST 2 entry
// points looked up by name, and unloaded when let go. Calling an entry is the caller's part,
// since each host answers with its own callback.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "plugin/vst2_abi.h"

namespace vst2host {

using PluginEntry = AEffect*(VSTCALLBACK*)(audioMasterCallback hostCallback);

// The names a host looks for, in the order hosts try them: the VST 2.4 name first, then the
// older ones.
inline constexpr const char* kEntryNames[] = {"VSTPluginMain", "main", "MAIN"};

// Why a library that exports none of them is refused: a sweep tells such a helper library
// apart from a broken plug-in by it.
inline constexpr const char* kNoEntryPoint = "no VST 2 entry point (VSTPluginMain, main or MAIN)";

// A plug-in that cannot be loaded: missing file, no entry, null or foreign record. The message
// is one line, "cannot load PATH: why", ready for stderr after the program name.
class LoadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class PluginLibrary {
  public:
    // [main] Loads the library or throws LoadError. A path without a slash means the file in
    // the current folder, not a search of the system's library paths (POSIX); symbols are
    // bound now, so a missing one is a load error rather than an abort in mid-call.
    explicit PluginLibrary(const std::string& path);
    // [main] Unloads the library: every instance made from it must be closed by then.
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& path() const { return path_; }
    // [any] The exported symbol of that name, or null: another format's entry, such as LV2's
    // lv2_descriptor, comes from the same library.
    void* symbol(const char* name) const;
    // [any] The exported function of that name, or null.
    PluginEntry entry(const char* name) const;
    // [any] The first of kEntryNames the library exports, and its name. Throws LoadError when
    // it exports none of them.
    PluginEntry mainEntry(std::string* name = nullptr) const;
    // [any] "cannot load PATH: why", as LoadError carries it.
    LoadError error(const std::string& why) const;

  private:
    struct Handle;

    std::string path_;
    std::unique_ptr<Handle> handle_;
};

}  // namespace vst2host
