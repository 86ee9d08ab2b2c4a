// A library whose entry point exists but makes no instance, as a plug-in does when it cannot
// start: a host must report it, not use the null record.
#include "plugin/vst2_abi.h"

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

TEST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback) {
    return nullptr;
}
