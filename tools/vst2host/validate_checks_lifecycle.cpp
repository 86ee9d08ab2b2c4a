// Opening and closing: a fresh library each time (cold), and many instances and
// resume/suspend cycles while the library stays loaded (warm).
#include <memory>
#include <vector>

#include "tools/vst2host/validate_checks.h"

namespace vst2host {

void RunLifecycleChecks(const CheckContext& context) {
    // The first load tells the parent whether the plug-in loads at all.
    { ValidatedPlugin probe(context.pluginPath); }

    context.Run("open-close cold", [&] {
        const int times = context.Scaled(10);
        for (int i = 0; i < times; ++i) ValidatedPlugin plugin(context.pluginPath);
        return CheckOutcome::Pass(std::to_string(times) + " times");
    });

    context.Run("open-close warm", [&] {
        ValidatedPlugin keeper(context.pluginPath);  // keeps the library loaded
        const int times = context.Scaled(10);
        for (int i = 0; i < times; ++i) {
            ValidatedPlugin plugin(context.pluginPath);
            for (int cycle = 0; cycle < 3; ++cycle) {
                plugin.dispatch(effMainsChanged, 0, 1);
                plugin.dispatch(effMainsChanged, 0, 0);
            }
        }
        // Several instances alive at once, closed in the order they were opened.
        std::vector<std::unique_ptr<ValidatedPlugin>> open;
        for (int i = 0; i < 4; ++i) {
            open.push_back(std::make_unique<ValidatedPlugin>(context.pluginPath));
            open.back()->dispatch(effMainsChanged, 0, 1);
        }
        open.clear();
        return CheckOutcome::Pass(std::to_string(times) + " instances, 3 resume cycles each");
    });
}

}  // namespace vst2host
