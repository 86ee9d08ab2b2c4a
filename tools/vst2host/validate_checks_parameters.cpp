// The parameter sweep: every parameter set across 0..1 (and, when strict, beyond it, as
// careless hosts do), read back within 0..1, with texts a host can show.
#include <cmath>
#include <string>
#include <vector>

#include "tools/vst2host/validate_checks.h"

namespace vst2host {
namespace {

// The values a sweep sets: evenly spread over 0..1, finer with the strictness, and from 7 on
// also values outside the range, which a plug-in must not keep as they are.
std::vector<float> SweepValues(int strictness) {
    std::vector<float> values;
    const int steps = 2 + 2 * strictness;
    for (int i = 0; i <= steps; ++i) values.push_back(static_cast<float>(i) / steps);
    if (strictness >= 7) {
        for (float v : {-0.5f, 1.5f, -1e9f, 1e9f}) values.push_back(v);
    }
    return values;
}

std::string Where(int32_t index, float set) {
    return "parameter " + std::to_string(index) + " after setting " + std::to_string(set);
}

}  // namespace

void RunParameterChecks(const CheckContext& context) {
    context.Run("parameter range", [&] {
        ValidatedPlugin plugin(context.pluginPath);
        const int32_t n = plugin.effect().numParams;
        if (n <= 0) return CheckOutcome::Pass("no parameters");
        if (plugin.effect().getParameter == nullptr || plugin.effect().setParameter == nullptr) {
            return CheckOutcome::Fail("the record has no getParameter or setParameter entry");
        }
        for (int32_t i = 0; i < n; ++i) {
            const float v = plugin.getParameter(i);
            if (!(v >= 0.0f && v <= 1.0f)) {
                return CheckOutcome::Fail("parameter " + std::to_string(i) + " starts at " +
                                          std::to_string(v));
            }
        }
        const std::vector<float> values = SweepValues(context.strictness);
        for (int32_t i = 0; i < n; ++i) {
            for (float set : values) {
                plugin.setParameter(i, set);
                const float v = plugin.getParameter(i);
                if (!(v >= 0.0f && v <= 1.0f)) {
                    return CheckOutcome::Fail(Where(i, set) + " reads " + std::to_string(v));
                }
            }
        }
        return CheckOutcome::Pass(std::to_string(n) + " parameters, " +
                                  std::to_string(values.size()) + " values each");
    });

    context.Run("parameter texts", [&] {
        ValidatedPlugin plugin(context.pluginPath);
        const int32_t n = plugin.effect().numParams;
        if (n <= 0) return CheckOutcome::Pass("no parameters");
        const int nameLimit = ParameterTextLimit(effGetParamName, context.strictness);
        const int labelLimit = ParameterTextLimit(effGetParamLabel, context.strictness);
        const int displayLimit = ParameterTextLimit(effGetParamDisplay, context.strictness);
        std::vector<float> values = SweepValues(context.strictness);
        std::erase_if(values, [](float v) { return v < 0.0f || v > 1.0f; });
        for (int32_t i = 0; i < n; ++i) {
            std::string fault = CheckedText(plugin, effGetParamName, i, nameLimit, true);
            if (!fault.empty())
                return CheckOutcome::Fail("name of parameter " + std::to_string(i) + ": " + fault);
            fault = CheckedText(plugin, effGetParamLabel, i, labelLimit, false);
            if (!fault.empty())
                return CheckOutcome::Fail("label of parameter " + std::to_string(i) + ": " + fault);
            for (float set : values) {
                plugin.setParameter(i, set);
                fault = CheckedText(plugin, effGetParamDisplay, i, displayLimit, true);
                if (!fault.empty())
                    return CheckOutcome::Fail("display of " + Where(i, set) + ": " + fault);
            }
        }
        return CheckOutcome::Pass("names, labels and displays of " + std::to_string(n) +
                                  " parameters within " + std::to_string(nameLimit) + "/" +
                                  std::to_string(labelLimit) + "/" + std::to_string(displayLimit) +
                                  " bytes");
    });
}

}  // namespace vst2host
