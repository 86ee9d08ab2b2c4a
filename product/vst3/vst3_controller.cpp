// The edit-controller side of the instance: parameters as the host lists, shows and sets them.
// Values go to and come from the effect itself, so the controller never disagrees with what
// routes, and a restored state shows at once.
#include <cmath>

#include "plugin/entry_guard.h"
#include "product/vst3/vst3_parameters.h"
#include "product/vst3/vst3_plugin.h"
#include "product/vst3/vst3_text.h"

namespace vst3 {

tresult Vst3Plugin::setComponentState(IBStream* state) {
    // The component's state is this object's own, restored already by the component call.
    return state ? kResultOk : kInvalidArgument;
}

tresult Vst3Plugin::SetControllerState(IBStream*) {
    return kResultOk;  // the controller keeps nothing of its own
}

tresult Vst3Plugin::GetControllerState(IBStream*) {
    return kResultOk;
}

int32_t Vst3Plugin::getParameterCount() {
    return static_cast<int32_t>(effect_->Parameters());
}

tresult Vst3Plugin::getParameterInfo(int32_t paramIndex, ParameterInfo* info) {
    if (!info || paramIndex < 0 || static_cast<uint32_t>(paramIndex) >= effect_->Parameters())
        return kInvalidArgument;
    const auto id = static_cast<ParamID>(paramIndex);
    return Guarded(
        [&] {
            vst3::Describe(id, effect_->Describe(id), *info);
            return kResultOk;
        },
        kInternalError);
}

tresult Vst3Plugin::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                          char16_t* string) {
    if (!string || id >= effect_->Parameters()) return kInvalidArgument;
    return Guarded(
        [&] {
            CopyText(ValueText(effect_->Describe(id), valueNormalized), string, 128);
            return kResultOk;
        },
        kInternalError);
}

tresult Vst3Plugin::getParamValueByString(ParamID id, char16_t* string,
                                          ParamValue* valueNormalized) {
    if (!string || !valueNormalized || id >= effect_->Parameters()) return kInvalidArgument;
    return Guarded(
        [&] {
            return ParseValue(effect_->Describe(id), string, *valueNormalized) ? kResultOk
                                                                               : kResultFalse;
        },
        kInternalError);
}

ParamValue Vst3Plugin::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
    if (id >= effect_->Parameters()) return 0.0;
    const ParameterSteps& parameter = effect_->Describe(id);
    if (StepCount(parameter) == 0) return valueNormalized;
    return static_cast<ParamValue>(StateOf(parameter, valueNormalized));
}

ParamValue Vst3Plugin::plainParamToNormalized(ParamID id, ParamValue plainValue) {
    if (id >= effect_->Parameters()) return 0.0;
    const int32_t steps = StepCount(effect_->Describe(id));
    if (steps == 0) return plainValue;
    return std::fmin(std::fmax(plainValue / steps, 0.0), 1.0);
}

ParamValue Vst3Plugin::getParamNormalized(ParamID id) {
    if (id >= effect_->Parameters()) return 0.0;
    return Normalized(effect_->Describe(id), effect_->Parameter(id));
}

tresult Vst3Plugin::setParamNormalized(ParamID id, ParamValue value) {
    if (id >= effect_->Parameters() || std::isnan(value)) return kInvalidArgument;
    effect_->SetParameter(id, EffectValue(effect_->Describe(id), value));
    return kResultOk;
}

tresult Vst3Plugin::setComponentHandler(IComponentHandler* handler) {
    if (handler == handler_) return kResultOk;
    if (handler) handler->addRef();
    if (handler_) handler_->release();
    handler_ = handler;
    return kResultOk;
}

void* Vst3Plugin::createView(const char*) {
    return nullptr;  // no editor: hosts show their own controls
}

}  // namespace vst3
