// --set: parameter values given on the command line, either as INDEX=VALUE with a normalised
// value, or as NAME=DISPLAY in the plug-in's own words ("enable item bus 3=enabled").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vst2host {

class LoadedPlugin;

struct ParameterSetting {
    std::string text;              // as given, for messages
    std::optional<int32_t> index;  // INDEX=VALUE
    float value = 0.0f;
    std::string name;  // NAME=DISPLAY
    std::string display;
};

// Splits at the first '='. A key of digits only is an index, and its value must be a number in
// 0..1; any other key is a parameter name. Throws CommandError.
ParameterSetting ParseParameterSetting(std::string_view text);

// Finds every named parameter and checks every index first, so a typo changes nothing; then
// sets them in order. A display text is found by trying normalised values from 0 up to 1 and
// taking the first the plug-in shows as that text. Throws CommandError.
void ApplyParameterSettings(const LoadedPlugin& plugin,
                            const std::vector<ParameterSetting>& settings);

}  // namespace vst2host
