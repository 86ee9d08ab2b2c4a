#include "tools/vst2host/validate_state_compare.h"

#include <algorithm>
#include <cmath>

#include "tools/vst2host/text_format.h"

namespace vst2host {
namespace {

// Far below what a parameter's display or sound tells apart, a few float steps near 1.
constexpr float kSameValue = 1e-6f;

bool Near(float a, float b) {
    return a == b || std::fabs(a - b) <= kSameValue;
}

}  // namespace

std::string ParameterDifference(const Snapshot& want, const Snapshot& got,
                                const std::vector<float>& before, bool setByTest, int& same) {
    const std::size_t count = std::min(
        {want.values.size(), got.values.size(), want.displays.size(), got.displays.size()});
    auto moved = [&](std::size_t i) {
        return i >= before.size() || !Near(got.values[i], before[i]);
    };
    bool anyMoved = false;
    for (std::size_t i = 0; i < count; ++i) anyMoved = anyMoved || moved(i);
    for (std::size_t i = 0; i < count; ++i) {
        if (want.values[i] == got.values[i]) continue;
        if (Near(want.values[i], got.values[i])) {
            ++same;
            continue;
        }
        const bool sameText = !want.displays[i].empty() && want.displays[i] == got.displays[i];
        if (sameText && (moved(i) || (!setByTest && anyMoved))) {
            ++same;
            continue;
        }
        return "parameter " + std::to_string(i) + " reads " + Exact(got.values[i]) + " ('" +
               Printable(got.displays[i]) + "') after the restore, " + Exact(want.values[i]) +
               " ('" + Printable(want.displays[i]) + "') when saved" +
               (moved(i) ? "" : "; the restore left it as it was");
    }
    return "";
}

}  // namespace vst2host
