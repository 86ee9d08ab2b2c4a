// `vst2host render`: an audio file through a plug-in, block by block, as a host plays it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vst2host {

// The command line as given; every value is checked by RunRenderCommand.
struct RenderRequest {
    std::string pluginPath;
    std::string inputPath;
    std::string outputPath;
    std::optional<std::string> presetPath;
    std::vector<std::string> settings;  // --set texts, in order
    std::optional<std::string> inputMap;
    std::optional<std::string> outputList;
    std::optional<std::string> format;
    std::optional<std::string> blockSize;
    std::optional<std::string> tailSeconds;
    bool useDouble = false;
    bool report = false;
};

// Writes the output file only when the whole render succeeded; prints the level report on
// stdout when asked, notes and the closing summary on stderr. Throws CommandError and
// LoadError; returns the exit status.
int RunRenderCommand(const RenderRequest& request);

}  // namespace vst2host
