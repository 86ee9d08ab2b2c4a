// The built plug-in, loaded once per test process the way a host loads it (dlopen, or
// LoadLibrary on Windows), then the exported entry points looked up by name.
#pragma once

#include <memory>
#include <string>

#include "tools/plugin_loader/plugin_library.h"

using vst2host::PluginEntry;

// A path the build system gives, as the test program sees it: unchanged on Linux; under Wine,
// which shows the build machine's file system as drive Z:, that drive and backslashes.
std::string HostPath(std::string path);

class RouterLibrary {
  public:
    // Loads the library on first use; a load failure fails the calling test.
    static RouterLibrary& Get();

    // Null when the library does not export the name.
    PluginEntry Entry(const char* name) const;
    // VSTPluginMain, which every current host uses.
    PluginEntry Main() const { return Entry("VSTPluginMain"); }
    bool Loaded() const { return library_ != nullptr; }

  private:
    RouterLibrary();
    // The library stays loaded until the process ends: records of instances the tests leave
    // open must never outlive their code.
    std::unique_ptr<vst2host::PluginLibrary> library_;
};
