// A host's side of a plug-in library: loads it, finds its entry points, answers its requests
// through a scripted host callback that records them, and unloads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/vst2_abi.h"

using PluginEntry = AEffect*(VSTCALLBACK*)(audioMasterCallback hostCallback);

struct HostRequest {
    int32_t opcode;
    int32_t index;
    float opt;
};

class PluginLibrary {
  public:
    // [main] dlopen or LoadLibraryA of path.
    explicit PluginLibrary(const std::string& path);
    // [main] Unloads the library.
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    // The exported function of that name, or null.
    PluginEntry Entry(const char* name) const;

  private:
    void* handle_;
};

// [main] The host callback every test instance gets: answers the version (2400) and nothing
// else, and records each request.
intptr_t VSTCALLBACK ScriptedHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                  void* ptr, float opt);
std::vector<HostRequest>& ScriptedHostRequests();
