#include "product/clap/clap_params.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The step a CLAP value picks: truncated toward zero, then held to the steps.
size_t StepIndex(const ParameterSteps& parameter, double value) {
    const double last = static_cast<double>(parameter.steps.size() - 1);
    return static_cast<size_t>(std::trunc(std::clamp(value, 0.0, last)));
}

bool Copy(const std::string& text, char* out, uint32_t capacity) {
    if (!out || text.size() >= capacity) return false;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return true;
}

}  // namespace

void ClapDescribeParameter(const ParameterSteps& parameter, uint32_t index, clap_param_info* info) {
    *info = clap_param_info{};
    info->id = index;
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    std::snprintf(info->name, sizeof info->name, "%s", parameter.name.c_str());
    info->min_value = 0.0;
    info->max_value = 1.0;
    if (parameter.Stepped()) {
        // Every step has a text, so hosts may offer them as a list.
        info->flags |= CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM;
        info->max_value = static_cast<double>(parameter.steps.size() - 1);
    }
    info->default_value = ClapFromEffect(parameter, static_cast<float>(parameter.initial));
}

bool ClapToEffect(const ParameterSteps& parameter, double value, float* effectValue) {
    if (std::isnan(value)) return false;
    if (!parameter.Stepped()) {
        *effectValue = static_cast<float>(std::clamp(value, 0.0, 1.0));
    } else {
        *effectValue = static_cast<float>(parameter.steps[StepIndex(parameter, value)].value);
    }
    return true;
}

double ClapFromEffect(const ParameterSteps& parameter, float effectValue) {
    const ParameterSteps::Step* step = parameter.StepOf(effectValue);
    if (!step) return effectValue;
    return static_cast<double>(step - parameter.steps.data());
}

bool ClapValueText(const ParameterSteps& parameter, double value, char* text, uint32_t capacity) {
    if (std::isnan(value)) return false;
    if (parameter.Stepped())
        return Copy(parameter.steps[StepIndex(parameter, value)].text, text, capacity);
    char number[32];
    std::snprintf(number, sizeof number, "%.4g", std::clamp(value, 0.0, 1.0));
    return Copy(number, text, capacity);
}

bool ClapTextValue(const ParameterSteps& parameter, const char* text, double* value) {
    if (!text || !value) return false;
    if (const ParameterSteps::Step* step = parameter.StepNamed(text)) {
        *value = static_cast<double>(step - parameter.steps.data());
        return true;
    }
    char* end = nullptr;
    const double number = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(number)) return false;
    const double last = parameter.Stepped() ? static_cast<double>(parameter.steps.size() - 1) : 1.0;
    *value = std::clamp(number, 0.0, last);
    return true;
}
