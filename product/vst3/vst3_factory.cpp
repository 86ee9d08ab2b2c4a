#include "product/vst3/vst3_factory.h"

#include <cstring>
#include <memory>
#include <type_traits>

#include "plugin/entry_guard.h"
#include "product/hosted_effect.h"
#include "product/vst3/vst3_plugin.h"
#include "product/vst3/vst3_text.h"

#ifndef LOTTA_VST3_CLASS_ID
#error "LOTTA_VST3_CLASS_ID names the class: four 32-bit words"
#endif
#ifndef LOTTA_VST3_VERSION
#error "LOTTA_VST3_VERSION is the product's version"
#endif

namespace vst3 {

namespace {

constexpr Uid kClassId = MakeUid(LOTTA_VST3_CLASS_ID);

}  // namespace

Vst3Factory* Vst3Factory::Get() {
    // Lives as long as the module: hosts release it before they unload the module.
    static Vst3Factory factory;
    factory.addRef();
    return &factory;
}

tresult Vst3Factory::queryInterface(const char* iid, void** obj) {
    if (!obj) return kInvalidArgument;
    if (SameUid(iid, FUnknown::iid) || SameUid(iid, IPluginFactory::iid) ||
        SameUid(iid, IPluginFactory2::iid) || SameUid(iid, IPluginFactory3::iid)) {
        addRef();
        *obj = this;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

uint32_t Vst3Factory::addRef() {
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
}

uint32_t Vst3Factory::release() {
    return references_.fetch_sub(1, std::memory_order_relaxed) - 1;
}

bool Vst3Factory::Learn() {
    if (learned_) return true;
    return Guarded(
        [this] {
            const std::unique_ptr<HostedEffect> effect = HostedEffect::Open(44100.0, 512);
            if (!effect) return false;
            name_ = effect->Name();
            vendor_ = effect->Vendor();
            learned_ = true;
            return true;
        },
        false);
}

tresult Vst3Factory::getFactoryInfo(PFactoryInfo* info) {
    if (!info) return kInvalidArgument;
    if (!Learn()) return kInternalError;
    *info = PFactoryInfo{};
    CopyText(vendor_, info->vendor);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
}

int32_t Vst3Factory::countClasses() {
    return 1;
}

template <typename Info>
tresult Vst3Factory::Describe(int32_t index, Info* info) {
    if (!info || index != 0) return kInvalidArgument;
    if (!Learn()) return kInternalError;
    *info = Info{};
    std::memcpy(info->cid, kClassId.bytes, sizeof info->cid);
    info->cardinality = PClassInfo::kManyInstances;
    CopyText(kAudioModuleClass, info->category);
    CopyText(name_, info->name);
    if constexpr (!std::is_same_v<Info, PClassInfo>) {
        // No class flags: the processor and controller are one object and must stay together.
        info->classFlags = 0;
        CopyText(kSubCategories, info->subCategories);
        CopyText(vendor_, info->vendor);
        CopyText(LOTTA_VST3_VERSION, info->version);
        CopyText(kSdkVersion, info->sdkVersion);
    }
    return kResultOk;
}

tresult Vst3Factory::getClassInfo(int32_t index, PClassInfo* info) {
    return Describe(index, info);
}

tresult Vst3Factory::getClassInfo2(int32_t index, PClassInfo2* info) {
    return Describe(index, info);
}

tresult Vst3Factory::getClassInfoUnicode(int32_t index, PClassInfoW* info) {
    return Describe(index, info);
}

tresult Vst3Factory::createInstance(const char* cid, const char* iid, void** obj) {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!SameUid(cid, kClassId)) return kNoInterface;
    Vst3Plugin* plugin = Vst3Plugin::Create();
    if (!plugin) return kOutOfMemory;
    // The caller's reference comes from queryInterface; creation's own one goes.
    const tresult result = plugin->queryInterface(iid, obj);
    plugin->release();
    return result;
}

tresult Vst3Factory::setHostContext(FUnknown*) {
    return kResultOk;
}

}  // namespace vst3
