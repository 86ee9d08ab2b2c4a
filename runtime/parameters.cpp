#include "runtime/parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plugin/host_services.h"
#include "plugin/orbel_callbacks.h"
#include "runtime/host_text.h"
#include "runtime/script_numbers.h"
#include "runtime/zolt.h"

namespace {

const std::string kNoText;

const SliderDef* Slider(TZolt* effect, int32_t index) {
    if (!effect || index < 0 || static_cast<size_t>(index) >= effect->sliderDefs.size()) {
        return nullptr;
    }
    return &effect->sliderDefs[static_cast<size_t>(index)];
}

// Truncation toward zero where a value outside int range counts as negative.
int32_t TruncateOrNegative(double x) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) return -1;
    return static_cast<int32_t>(x);
}

}  // namespace

double NormalisedValue(const SliderDef& def, double value) {
    if (def.maximum == def.minimum) return 0.0;
    const long double span = static_cast<long double>(def.maximum) - def.minimum;
    return static_cast<double>((static_cast<long double>(value) - def.minimum) / span);
}

double QuantisedValue(const SliderDef& def, double x) {
    const double target = def.minimum + x * (def.maximum - def.minimum);
    // A slider with a zero step has no grid to snap to.
    if (def.step == 0.0) return target;
    const double q = (target + def.step * 0.5) / def.step;
    return std::floor(q) * def.step;
}

std::string DisplayText(const SliderDef& def, double value) {
    const auto n = static_cast<int32_t>(def.valueNames.size());
    if (n == 0) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.2f", value);
        return buffer;
    }
    int32_t k = 0;
    if (def.maximum != def.minimum) {
        k = TruncateOrNegative((value - def.minimum) * (n - 1) / (def.maximum - def.minimum));
    }
    k = std::max(0, std::min(k, n - 1));
    return def.valueNames[static_cast<size_t>(k)];
}

double RuntimeGetParameter(COrbel* adapter, int32_t index) {
    TZolt* effect = getEffectObject(adapter);
    const SliderDef* def = Slider(effect, index);
    if (!def) return 0.0;
    // A restored chunk may hold anything; hosts take what they read as a position 0..1.
    const double x = NormalisedValue(*def, LoadShared(effect->sliderValues[def->index]));
    if (std::isnan(x)) return 0.0;
    return std::clamp(x, 0.0, 1.0);
}

void RuntimeSetParameter(COrbel* adapter, int32_t index, double x) {
    TZolt* effect = getEffectObject(adapter);
    const SliderDef* def = Slider(effect, index);
    // A NaN or infinity from the host would otherwise land in the slider and in every saved
    // state.
    if (!def || !std::isfinite(x)) return;
    // Beyond 0..1 the grid reaches values the slider does not have (2 reads as "enabled"
    // but no bus takes it).
    const double newValue = QuantisedValue(*def, std::clamp(x, 0.0, 1.0));
    if (!std::isfinite(newValue)) return;
    double& slot = effect->sliderValues[def->index];
    const double change = newValue - LoadShared(slot);
    if (change > -0.00001 && change < 0.00001) return;
    StoreShared(slot, newValue);
    if (def->mirror) StoreShared(*def->mirror, newValue);
    effect->RunSlider();
}

void RuntimeGetParameterName(COrbel* adapter, int32_t index, char* text) {
    const SliderDef* def = Slider(getEffectObject(adapter), index);
    CopyToHost(text, def ? def->name : kNoText, kParamNameCapacity);
}

void RuntimeGetParameterLabel(COrbel* adapter, int32_t index, char* text) {
    const SliderDef* def = Slider(getEffectObject(adapter), index);
    CopyToHost(text, def ? def->label : kNoText, kParamTextCapacity);
}

void RuntimeGetParameterDisplay(COrbel* adapter, int32_t index, char* text) {
    TZolt* effect = getEffectObject(adapter);
    const SliderDef* def = Slider(effect, index);
    const std::string display =
        def ? DisplayText(*def, LoadShared(effect->sliderValues[def->index])) : kNoText;
    CopyToHost(text, display, kParamTextCapacity);
}
