#include "product/vst3/vst3_parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "product/vst3/vst3_text.h"

namespace vst3 {

int32_t StepCount(const ParameterSteps& parameter) {
    return parameter.steps.size() > 1 ? static_cast<int32_t>(parameter.steps.size() - 1) : 0;
}

size_t StateOf(const ParameterSteps& parameter, double normalized) {
    // A host's NaN would survive clamp and floor into the index: it reads as the first state.
    if (std::isnan(normalized)) return 0;
    const int32_t steps = StepCount(parameter);
    const double state = std::floor(std::clamp(normalized, 0.0, 1.0) * (steps + 1));
    return static_cast<size_t>(std::min(state, static_cast<double>(steps)));
}

float EffectValue(const ParameterSteps& parameter, double normalized) {
    if (StepCount(parameter) == 0) return static_cast<float>(std::clamp(normalized, 0.0, 1.0));
    return static_cast<float>(parameter.steps[StateOf(parameter, normalized)].from);
}

double Normalized(const ParameterSteps& parameter, float effectValue) {
    const int32_t steps = StepCount(parameter);
    if (steps == 0) return effectValue;
    // The effect reads back a step's own value; anything else is placed by the thresholds.
    const auto& all = parameter.steps;
    auto exact = std::find_if(all.begin(), all.end(), [&](const ParameterSteps::Step& s) {
        return s.value == effectValue;
    });
    const ParameterSteps::Step* step = exact != all.end() ? &*exact : parameter.StepOf(effectValue);
    return static_cast<double>(step - all.data()) / steps;
}

std::string ValueText(const ParameterSteps& parameter, double normalized) {
    if (StepCount(parameter) > 0) return parameter.steps[StateOf(parameter, normalized)].text;
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", normalized);
    return text;
}

bool ParseValue(const ParameterSteps& parameter, const char16_t* text, double& normalized) {
    if (!text) return false;
    const std::u16string given(text);
    const int32_t steps = StepCount(parameter);
    for (int32_t d = 0; d <= steps && steps > 0; ++d) {
        if (ToUtf16(parameter.steps[static_cast<size_t>(d)].text) != given) continue;
        normalized = static_cast<double>(d) / steps;
        return true;
    }
    if (steps > 0) return false;
    // A continuous value: plain digits, sign and point only.
    std::string ascii;
    for (char16_t c : given) {
        if (c > 0x7F) return false;
        ascii.push_back(static_cast<char>(c));
    }
    char* end = nullptr;
    const double value = std::strtod(ascii.c_str(), &end);
    if (ascii.empty() || *end != '\0' || !std::isfinite(value)) return false;
    normalized = std::clamp(value, 0.0, 1.0);
    return true;
}

void Describe(ParamID id, const ParameterSteps& parameter, ParameterInfo& info) {
    info = ParameterInfo{};
    info.id = id;
    CopyText(parameter.name, info.title);
    CopyText(parameter.name, info.shortTitle);
    info.stepCount = StepCount(parameter);
    info.defaultNormalizedValue = Normalized(parameter, static_cast<float>(parameter.initial));
    info.unitId = 0;
    info.flags = ParameterInfo::kCanAutomate;
}

}  // namespace vst3
