// The VST 3 edit controller (served by the component itself here), its parameter record and
// the host's component handler.
#pragma once

#include "product/vst3/vst3_base.h"

namespace vst3 {

struct ParameterInfo {
    enum Flags : int32_t {
        kNoFlags = 0,
        kCanAutomate = 1 << 0,
        kIsReadOnly = 1 << 1,
        kIsWrapAround = 1 << 2,
        kIsList = 1 << 3,
        kIsHidden = 1 << 4,
        kIsProgramChange = 1 << 15,
        kIsBypass = 1 << 16,
    };
    ParamID id;
    char16_t title[128];
    char16_t shortTitle[128];
    char16_t units[128];
    int32_t stepCount;  // 0 continuous, 1 two states, n: n + 1 states
    ParamValue defaultNormalizedValue;
    int32_t unitId;  // 0: the root unit
    int32_t flags;
};

class IComponentHandler : public FUnknown {
  public:
    static constexpr Uid iid = MakeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
    virtual tresult VST3_API beginEdit(ParamID id) = 0;
    virtual tresult VST3_API performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult VST3_API endEdit(ParamID id) = 0;
    virtual tresult VST3_API restartComponent(int32_t flags) = 0;

  protected:
    ~IComponentHandler() = default;
};

class IEditController : public IPluginBase {
  public:
    static constexpr Uid iid = MakeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
    virtual tresult VST3_API setComponentState(IBStream* state) = 0;
    virtual tresult VST3_API setState(IBStream* state) = 0;
    virtual tresult VST3_API getState(IBStream* state) = 0;
    virtual int32_t VST3_API getParameterCount() = 0;
    virtual tresult VST3_API getParameterInfo(int32_t paramIndex, ParameterInfo* info) = 0;
    virtual tresult VST3_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                   char16_t* string) = 0;
    virtual tresult VST3_API getParamValueByString(ParamID id, char16_t* string,
                                                   ParamValue* valueNormalized) = 0;
    virtual ParamValue VST3_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue VST3_API plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue VST3_API getParamNormalized(ParamID id) = 0;
    virtual tresult VST3_API setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult VST3_API setComponentHandler(IComponentHandler* handler) = 0;
    virtual void* VST3_API createView(const char* name) = 0;  // an IPlugView; none here

  protected:
    ~IEditController() = default;
};

static_assert(offsetof(ParameterInfo, title) == 4 && offsetof(ParameterInfo, shortTitle) == 260 &&
                  offsetof(ParameterInfo, units) == 516 &&
                  offsetof(ParameterInfo, stepCount) == 772 &&
                  offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
                  offsetof(ParameterInfo, unitId) == 784 && offsetof(ParameterInfo, flags) == 788 &&
                  sizeof(ParameterInfo) == 792,
              "parameter info layout, every target");

}  // namespace vst3
