#include "tools/vst2host/parameter_settings.h"

#include <charconv>
#include <cmath>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/command_error.h"
#include "tools/vst2host/text_format.h"

namespace vst2host {
namespace {

// Steps between 0 and 1 tried when looking for a display text: every switch and choice list
// falls on them, and continuous values in steps of 0.001.
constexpr int kProbeSteps = 1000;

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return "";
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

[[noreturn]] void Refuse(const ParameterSetting& s, const std::string& why) {
    throw CommandError("--set '" + Printable(s.text) + "': " + why);
}

int32_t FindByName(const LoadedPlugin& plugin, const ParameterSetting& s) {
    const int32_t count = plugin.effect().numParams;
    for (int32_t i = 0; i < count; ++i) {
        if (Trim(plugin.dispatchText(effGetParamName, i)) == s.name) return i;
    }
    Refuse(s, "the plug-in has no parameter named '" + Printable(s.name) +
                  "' ('vst2host info' lists them)");
}

void SetByDisplay(const LoadedPlugin& plugin, int32_t index, const ParameterSetting& s) {
    const float before = plugin.getParameter(index);
    for (int step = 0; step <= kProbeSteps; ++step) {
        const float value = static_cast<float>(step) / kProbeSteps;
        plugin.setParameter(index, value);
        if (Trim(plugin.dispatchText(effGetParamDisplay, index)) == s.display) return;
    }
    plugin.setParameter(index, before);
    Refuse(s, "parameter '" + Printable(s.name) + "' never shows '" + Printable(s.display) + "'");
}

}  // namespace

ParameterSetting ParseParameterSetting(std::string_view text) {
    ParameterSetting s;
    s.text = std::string(text);
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) Refuse(s, "expected INDEX=VALUE or NAME=DISPLAY");
    const std::string_view key = text.substr(0, equals);
    const std::string_view value = text.substr(equals + 1);
    if (!AllDigits(key)) {
        s.name = Trim(key);
        s.display = Trim(value);
        if (s.name.empty()) Refuse(s, "no parameter name before '='");
        return s;
    }
    int32_t index = 0;
    const auto [keyEnd, keyError] = std::from_chars(key.data(), key.data() + key.size(), index);
    if (keyError != std::errc()) Refuse(s, "parameter index out of range");
    s.index = index;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), s.value);
    if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
        Refuse(s, "'" + Printable(std::string(value)) + "' is not a number");
    }
    if (!(s.value >= 0.0f && s.value <= 1.0f)) Refuse(s, "the value must be within 0..1");
    return s;
}

void ApplyParameterSettings(const LoadedPlugin& plugin,
                            const std::vector<ParameterSetting>& settings) {
    const int32_t count = plugin.effect().numParams;
    std::vector<int32_t> indices;
    for (const ParameterSetting& s : settings) {
        if (s.index && *s.index >= count) {
            Refuse(s, "the plug-in has no parameter " + std::to_string(*s.index) + " (it has " +
                          std::to_string(count) + ", numbered from 0)");
        }
        indices.push_back(s.index ? *s.index : FindByName(plugin, s));
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
        if (settings[i].index) {
            plugin.setParameter(indices[i], settings[i].value);
        } else {
            SetByDisplay(plugin, indices[i], settings[i]);
        }
    }
}

}  // namespace vst2host
