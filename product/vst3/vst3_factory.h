// The module's one factory: it lists the product's effect as one audio-module class and makes
// its instances. Name, vendor and version are the ones the effect reports to every format.
#pragma once

#include <atomic>
#include <string>

#include "product/vst3/vst3_factory_abi.h"

namespace vst3 {

class Vst3Factory final : public IPluginFactory3 {
  public:
    // [main] The module's factory, with one more reference for the caller.
    static Vst3Factory* Get();

    tresult VST3_API queryInterface(const char* iid, void** obj) override;
    uint32_t VST3_API addRef() override;
    uint32_t VST3_API release() override;
    // [main] all of them.
    tresult VST3_API getFactoryInfo(PFactoryInfo* info) override;
    int32_t VST3_API countClasses() override;
    tresult VST3_API getClassInfo(int32_t index, PClassInfo* info) override;
    tresult VST3_API createInstance(const char* cid, const char* iid, void** obj) override;
    tresult VST3_API getClassInfo2(int32_t index, PClassInfo2* info) override;
    tresult VST3_API getClassInfoUnicode(int32_t index, PClassInfoW* info) override;
    tresult VST3_API setHostContext(FUnknown* context) override;

  private:
    Vst3Factory() = default;
    ~Vst3Factory() = default;
    // What the effect reports, read once from an instance opened for the purpose; false when
    // none can be made.
    bool Learn();
    // [any] One class-info record of any of the three kinds, for class index.
    template <typename Info>
    tresult Describe(int32_t index, Info* info);

    // The module keeps its factory until it is unloaded; the count only answers hosts.
    std::atomic<uint32_t> references_{0};
    bool learned_ = false;
    std::string name_, vendor_;
};

// The class's subcategories: utility effects, where routing tools belong.
inline constexpr const char* kSubCategories = "Fx|Tools";

}  // namespace vst3
