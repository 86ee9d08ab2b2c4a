// How the effect's parameters look to a VST 3 host. A parameter with a few values (steps) is a
// discrete VST 3 parameter of that many states: normalized value v means state
// min(stepCount, floor(v * (stepCount + 1))), state d is d / stepCount, and the effect is set
// to the lowest setting known to land on that state. Any other parameter passes its value on.
#pragma once

#include <cstdint>
#include <string>

#include "product/parameter_steps.h"
#include "product/vst3/vst3_controller_abi.h"

namespace vst3 {

// [any] 0 for a continuous parameter, else its number of states less one.
int32_t StepCount(const ParameterSteps& parameter);
// [any] The state a normalized value selects; only for a stepped parameter.
size_t StateOf(const ParameterSteps& parameter, double normalized);
// [any] What to set the effect to for a normalized value (any double; NaN excluded).
float EffectValue(const ParameterSteps& parameter, double normalized);
// [any] The normalized value of what the effect reads back.
double Normalized(const ParameterSteps& parameter, float effectValue);
// [any] The display text of a normalized value.
std::string ValueText(const ParameterSteps& parameter, double normalized);
// [any] The normalized value a display text stands for; false when it names none.
bool ParseValue(const ParameterSteps& parameter, const char16_t* text, double& normalized);
// [any] The host's record of parameter id.
void Describe(ParamID id, const ParameterSteps& parameter, ParameterInfo& info);

}  // namespace vst3
