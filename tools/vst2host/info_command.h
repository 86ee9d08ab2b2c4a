// `vst2host info`: what a host can learn of a plug-in without processing audio.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "tools/plugin_loader/plugin_host.h"

namespace vst2host {

struct ParameterInfo {
    int32_t index = 0;
    std::string name;
    std::string label;
    std::string display;
    float value = 0.0f;  // normalised, as getParameter answers
};

// A snapshot of one opened instance, taken before the instance is closed, so printing never
// runs foreign code.
struct PluginInfo {
    std::string path;
    std::string entryPoint;
    std::string effectName;
    std::string vendor;
    std::string product;
    intptr_t vendorVersion = 0;
    intptr_t vstVersion = 0;
    int32_t uniqueId = 0;
    int32_t recordVersion = 0;
    intptr_t category = 0;
    int32_t numInputs = 0;
    int32_t numOutputs = 0;
    int32_t initialDelay = 0;
    int32_t flags = 0;
    int32_t numPrograms = 0;
    intptr_t currentProgram = 0;
    std::string programName;
    std::optional<intptr_t> chunkSize;  // only for plug-ins whose programs are chunks
    std::vector<ParameterInfo> parameters;
};

PluginInfo GatherInfo(const LoadedPlugin& plugin);

// Words for the set bits of the effect record's flags, lowest bit first; unknown bits are
// named "bit N".
std::vector<std::string> FlagNames(int32_t flags);

void PrintInfoText(const PluginInfo& info, std::ostream& out);
void PrintInfoJson(const PluginInfo& info, std::ostream& out);

// Loads the plug-in, brings it into the requested state (a program file, then --set values),
// gathers, unloads, prints. Throws LoadError and CommandError; returns the exit status.
int RunInfoCommand(const std::string& pluginPath, bool json,
                   const std::optional<std::string>& presetPath = std::nullopt,
                   const std::vector<std::string>& settings = {});

}  // namespace vst2host
