// The loader every host here shares, called directly: what it refuses and why, which entry it
// picks, and that it lets go of the library whether the load succeeded or not.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "tools/plugin_loader/plugin_host.h"

namespace {

bool StillMapped(const std::string& path) {
    void* probe = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (probe != nullptr) dlclose(probe);
    return probe != nullptr;
}

struct LoadCase {
    const char* what;
    std::string path;
    const char* entryName;  // null: the load is refused
    std::string reason;     // what the refusal says after "cannot load PATH: "
    // std::to_string leaves GNU unique symbols in the odd plug-in, which glibc never unloads.
    bool unloadable = true;
};

TEST(PluginLoader, LoadsOrRefusesWithOneLineAndUnloadsEitherWay) {
    const LoadCase cases[] = {
        {"the router", LOTTA_ROUTER, "VSTPluginMain", ""},
        {"only the oldest entry name", ODD_PLUGIN, "MAIN", "", false},
        {"missing file", "/nonexistent/dir/plugin.so", nullptr, "cannot open shared object file"},
        {"no entry point", NOT_A_PLUGIN, nullptr,
         "no VST 2 entry point (VSTPluginMain, main or MAIN)"},
        {"entry returning null", NULL_ENTRY_PLUGIN, nullptr, "VSTPluginMain returned no effect"},
        {"wrong magic", BAD_MAGIC_PLUGIN, nullptr,
         "not a VST 2 plug-in (VSTPluginMain returned magic 0x00000000, expected 0x56737450 "
         "'VstP')"},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            vst2host::LoadedPlugin plugin(c.path, {48000.0, 64});
            ASSERT_NE(c.entryName, nullptr) << "loaded what should be refused";
            EXPECT_EQ(plugin.entryName(), c.entryName);
            EXPECT_EQ(plugin.path(), c.path);
            EXPECT_EQ(plugin.effect().magic, kEffectMagic);
        } catch (const vst2host::LoadError& e) {
            ASSERT_EQ(c.entryName, nullptr) << e.what();
            const std::string message = e.what();
            const std::string prefix = "cannot load " + c.path + ": ";
            EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
            EXPECT_NE(message.find(c.reason, prefix.size()), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
        if (c.unloadable) {
            EXPECT_FALSE(StillMapped(c.path)) << "the library stayed loaded";
        }
    }
}

}  // namespace
