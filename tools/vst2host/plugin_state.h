// Bringing a plug-in into the state the command line asks for (a program file, then --set
// values), and taking its state back out as a program file. Everything that can be checked
// without the plug-in is checked before it is loaded.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/vst2host/parameter_settings.h"
#include "tools/vst2host/preset_file.h"

namespace vst2host {

class LoadedPlugin;

struct StateRequest {
    std::string presetPath;
    std::optional<Preset> preset;
    std::vector<ParameterSetting> settings;
};

// Reads and decodes the program file and parses the --set texts. Throws CommandError.
StateRequest PrepareState(const std::optional<std::string>& presetPath,
                          const std::vector<std::string>& settings);

// Checks the preset against the plug-in, loads it, then applies the settings. Throws
// CommandError, before any call into the plug-in when the preset does not fit.
void ApplyState(const LoadedPlugin& plugin, const StateRequest& request);

// The plug-in's current program: its state chunk when it keeps programs as chunks, otherwise
// its parameter values. Throws CommandError when a chunk plug-in hands over no chunk.
Preset CapturePreset(const LoadedPlugin& plugin);

// Throws CommandError. The file appears only when complete.
std::vector<uint8_t> ReadPresetBytes(const std::string& path);
void WritePresetFile(const std::string& path, const Preset& preset);

}  // namespace vst2host
