// The exported entry points: the only place that knows both the plug-in interface and the
// effect class.
#include <new>

#include "effect/router.h"
#include "plugin/vst2_abi.h"
#include "runtime/callbacks.h"

#if defined(_WIN32)
// The module-definition file exports the entry points.
#define PLUGIN_EXPORT extern "C"
#else
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

AEffect* MakeInstance(audioMasterCallback hostCallback) {
    try {
        return CreateInstance(new TZoltEffect, hostCallback);
    } catch (...) {
        // Nothing may escape into the host; an instance that cannot be built is null.
        return nullptr;
    }
}

}  // namespace

PLUGIN_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback hostCallback) {
    return MakeInstance(hostCallback);
}

PLUGIN_EXPORT AEffect* VSTCALLBACK MAIN(audioMasterCallback hostCallback) {
    return MakeInstance(hostCallback);
}

// Older hosts look the entry up as "main". C++ forbids a function of that name returning a
// pointer, so it is an assembler-level alias of VSTPluginMain.
#if defined(__ELF__)
__asm__(".globl main\n.type main, @function\n.set main, VSTPluginMain\n");
#endif
