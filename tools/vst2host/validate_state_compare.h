// Whether a plug-in's parameters read back after a state restore are the state that was saved.
#pragma once

#include <string>
#include <vector>

namespace vst2host {

// Every parameter's value and the text the plug-in shows for it.
struct Snapshot {
    std::vector<float> values;
    std::vector<std::string> displays;
};

// [any] "" when `got` (read after the restore) is the state `want` (read when it was saved),
// else the first parameter that differs. A value a float step or two away is the same; so is
// another value shown as the same text (a switch set to 0.3 that a state keeps as "off" comes
// back as 0), but only where the restore did something: `before` holds the values just before
// the restore. When the test set them (`setByTest`), a parameter the restore left where the
// test put it differs whatever its text; when they are a fresh instance's own, the text counts
// unless the restore left every parameter as it was. `same` counts the parameters that came
// back the same state in another value.
std::string ParameterDifference(const Snapshot& want, const Snapshot& got,
                                const std::vector<float>& before, bool setByTest, int& same);

}  // namespace vst2host
