// `vst2host preset save`: a plug-in's state, after an optional program file and --set values,
// written as a program file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vst2host {

// Throws CommandError and LoadError; returns the exit status.
int RunPresetSaveCommand(const std::string& pluginPath, const std::string& presetPath,
                         const std::optional<std::string>& fromPreset,
                         const std::vector<std::string>& settings);

}  // namespace vst2host
