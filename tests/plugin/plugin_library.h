// The built plug-in, loaded once per test process the way a host loads it (dlopen, or
// LoadLibrary on Windows), then the exported entry points looked up by name.
#pragma once

#include "plugin/vst2_abi.h"

using PluginEntry = AEffect* (*)(audioMasterCallback);

// The entry point names a host may look up; all three must be exported.
inline constexpr const char* kEntryNames[] = {"VSTPluginMain", "main", "MAIN"};

class PluginLibrary {
  public:
    // Loads the library on first use; a load or lookup failure fails the calling test.
    static PluginLibrary& Get();

    // Null when the library does not export the name.
    PluginEntry Entry(const char* name) const;
    // VSTPluginMain, which every current host uses.
    PluginEntry Main() const { return Entry("VSTPluginMain"); }
    bool Loaded() const { return handle_ != nullptr; }

  private:
    PluginLibrary();
    // The library stays loaded until the process ends: records of instances the tests leave
    // open must never outlive their code.
    void* handle_ = nullptr;
};
