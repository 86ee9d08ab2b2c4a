// The exported entry points of a plug-in product: each call makes one instance of the
// product's effect.
#include "plugin/entry_guard.h"
#include "plugin/vst2_abi.h"
#include "product/effect_factory.h"
#include "runtime/instance_factory.h"

#if defined(_WIN32)
// The module-definition file exports the entry points.
#define PLUGIN_EXPORT extern "C"
#else
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// An instance that cannot be built is null.
AEffect* MakeInstance(audioMasterCallback hostCallback) {
    return Guarded([&] { return CreateInstance(NewEffect(), hostCallback); },
                   static_cast<AEffect*>(nullptr));
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
