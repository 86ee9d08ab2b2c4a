// A library whose entry point returns a record that is not a VST 2 effect (wrong magic): a host
// must not call anything in it.
#include "plugin/vst2_abi.h"

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
AEffect gRecord = {};  // magic 0, no dispatcher: any call through it would crash the host
}  // namespace

TEST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback) {
    return &gRecord;
}
