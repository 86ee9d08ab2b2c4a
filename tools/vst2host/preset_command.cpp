#include "tools/vst2host/preset_command.h"

#include <iostream>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/plugin_state.h"

namespace vst2host {

int RunPresetSaveCommand(const std::string& pluginPath, const std::string& presetPath,
                         const std::optional<std::string>& fromPreset,
                         const std::vector<std::string>& settings) {
    const StateRequest state = PrepareState(fromPreset, settings);
    Preset preset;
    {
        StdoutDiversion diversion;
        LoadedPlugin plugin(pluginPath);
        ApplyState(plugin, state);
        preset = CapturePreset(plugin);
    }
    WritePresetFile(presetPath, preset);
    std::cerr << "vst2host: wrote " << presetPath << " ("
              << (preset.kind == PresetKind::Chunk
                      ? std::to_string(preset.chunk.size()) + "-byte state chunk"
                      : std::to_string(preset.parameters.size()) + " parameter values")
              << ")\n";
    return 0;
}

}  // namespace vst2host
