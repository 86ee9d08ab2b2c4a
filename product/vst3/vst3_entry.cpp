// The VST 3 module's exported functions: the factory, and the load and unload calls hosts make
// around it (ModuleEntry/ModuleExit on Linux, InitDll/ExitDll on Windows). The module keeps
// nothing that needs setting up or tearing down, so those only say yes.
#include "product/vst3/vst3_factory.h"

#if defined(_WIN32)
// The module-definition file exports the functions, undecorated.
#define VST3_EXPORT extern "C"
#else
#define VST3_EXPORT extern "C" __attribute__((visibility("default")))
#endif

VST3_EXPORT vst3::IPluginFactory* VST3_API GetPluginFactory() {
    return vst3::Vst3Factory::Get();
}

#if defined(_WIN32)
VST3_EXPORT bool InitDll() {
    return true;
}
VST3_EXPORT bool ExitDll() {
    return true;
}
#else
VST3_EXPORT bool ModuleEntry(void*) {
    return true;
}
VST3_EXPORT bool ModuleExit() {
    return true;
}
#endif
