#include "product/parameter_steps.h"

#include <algorithm>
#include <set>

namespace {

// Enough points that a two- or three-way switch is found at its exact threshold (0.5, 1/3
// and 2/3 fall between neighbours no wider apart than a 64th).
constexpr int kSweep = 64;

std::string Display(AEffect* effect, int32_t index) {
    char text[256] = {};
    effect->dispatcher(effect, effGetParamDisplay, index, 0, text, 0.0f);
    text[sizeof text - 1] = '\0';
    return text;
}

}  // namespace

bool ParameterSteps::Toggled() const {
    return steps.size() == 2 && std::min(steps[0].value, steps[1].value) == 0.0 &&
           std::max(steps[0].value, steps[1].value) == 1.0;
}

const ParameterSteps::Step* ParameterSteps::StepOf(double value) const {
    const Step* found = steps.empty() ? nullptr : &steps.front();
    for (const Step& step : steps) {
        if (step.from <= value) found = &step;
    }
    return found;
}

const ParameterSteps::Step* ParameterSteps::StepNamed(const std::string& text) const {
    for (const Step& step : steps) {
        if (step.text == text) return &step;
    }
    return nullptr;
}

ParameterSteps ProbeParameter(AEffect* effect, int32_t index) {
    ParameterSteps p;
    char name[256] = {};
    effect->dispatcher(effect, effGetParamName, index, 0, name, 0.0f);
    name[sizeof name - 1] = '\0';
    p.name = name;
    p.initial = effect->getParameter(effect, index);
    std::set<double> seen;
    for (int i = 0; i <= kSweep && seen.size() <= ParameterSteps::kMaxSteps; ++i) {
        const double setting = static_cast<double>(i) / kSweep;
        effect->setParameter(effect, index, static_cast<float>(setting));
        const double value = effect->getParameter(effect, index);
        if (seen.insert(value).second) p.steps.push_back({value, setting, Display(effect, index)});
    }
    effect->setParameter(effect, index, static_cast<float>(p.initial));
    if (seen.size() > ParameterSteps::kMaxSteps) p.steps.clear();
    return p;
}
