#include "tools/vst2host/info_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <ostream>

#include "tools/vst2host/plugin_state.h"
#include "tools/vst2host/text_format.h"

namespace vst2host {
namespace {

struct FlagName {
    int32_t bit;
    const char* name;
};

constexpr FlagName kFlagNames[] = {
    {effFlagsHasEditor, "has editor"},
    {effFlagsHasClip, "has clip"},
    {effFlagsHasVu, "has vu"},
    {effFlagsCanMono, "can mono"},
    {effFlagsCanReplacing, "can replacing"},
    {effFlagsProgramChunks, "programs are chunks"},
    {effFlagsIsSynth, "is synth"},
    {effFlagsNoSoundInStop, "no sound in stop"},
    {effFlagsExtIsAsync, "ext is async"},
    {effFlagsExtHasBuffer, "ext has buffer"},
    {effFlagsCanDoubleReplacing, "can double replacing"},
};

// Answers to effGetPlugCategory, by value.
constexpr const char* kCategoryNames[] = {
    "unknown", "effect",      "synth",       "analysis",        "mastering", "spacializer",
    "room fx", "surround fx", "restoration", "offline process", "shell",     "generator",
};

std::string CategoryName(intptr_t category) {
    constexpr auto count = static_cast<intptr_t>(std::size(kCategoryNames));
    return category >= 0 && category < count ? kCategoryNames[category] : "other";
}

std::string Quoted(const std::string& text) {
    return "\"" + Printable(text) + "\"";
}

// Shortest text that reads back as the same float; JSON has no NaN or infinity.
std::string JsonNumber(float value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string UniqueIdText(int32_t id) {
    std::string text = std::to_string(id) + " (" + Hex32(id);
    const std::string chars = FourCharText(id);
    if (!chars.empty()) text += ", '" + chars + "'";
    return text + ")";
}

std::string Join(const std::vector<std::string>& words, const char* separator) {
    std::string out;
    for (const std::string& w : words) {
        if (!out.empty()) out += separator;
        out += w;
    }
    return out;
}

void PrintParameterTable(const std::vector<ParameterInfo>& parameters, std::ostream& out) {
    std::vector<std::vector<std::string>> rows = {{"index", "name", "label", "display", "value"}};
    for (const ParameterInfo& p : parameters) {
        rows.push_back({std::to_string(p.index), Printable(p.name), Printable(p.label),
                        Printable(p.display), Fixed(p.value, 6)});
    }
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const std::string pad(widths[i] - row[i].size(), ' ');
            const bool number = i == 0 || i + 1 == row.size();  // index and value
            line += "  " + (number ? pad + row[i] : row[i] + pad);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << '\n';
    }
}

}  // namespace

std::vector<std::string> FlagNames(int32_t flags) {
    std::vector<std::string> names;
    const auto bits = static_cast<uint32_t>(flags);
    for (int bit = 0; bit < 32; ++bit) {
        const uint32_t mask = uint32_t{1} << bit;
        if ((bits & mask) == 0) continue;
        const auto known = std::find_if(
            std::begin(kFlagNames), std::end(kFlagNames),
            [mask](const FlagName& f) { return static_cast<uint32_t>(f.bit) == mask; });
        names.push_back(known != std::end(kFlagNames) ? known->name : "bit " + std::to_string(bit));
    }
    return names;
}

PluginInfo GatherInfo(const LoadedPlugin& plugin) {
    const AEffect& effect = plugin.effect();
    PluginInfo info;
    info.path = plugin.path();
    info.entryPoint = plugin.entryName();
    info.effectName = plugin.dispatchText(effGetEffectName);
    info.vendor = plugin.dispatchText(effGetVendorString);
    info.product = plugin.dispatchText(effGetProductString);
    info.vendorVersion = plugin.dispatch(effGetVendorVersion);
    info.vstVersion = plugin.dispatch(effGetVstVersion);
    info.uniqueId = effect.uniqueID;
    info.recordVersion = effect.version;
    info.category = plugin.dispatch(effGetPlugCategory);
    info.numInputs = effect.numInputs;
    info.numOutputs = effect.numOutputs;
    info.initialDelay = effect.initialDelay;
    info.flags = effect.flags;

    info.numPrograms = effect.numPrograms;
    info.currentProgram = plugin.dispatch(effGetProgram);
    // Some plug-ins index their program list without checking: ask only when there is one.
    if (info.numPrograms > 0) info.programName = plugin.dispatchText(effGetProgramName);

    if ((effect.flags & effFlagsProgramChunks) != 0) {
        void* data = nullptr;
        info.chunkSize = plugin.dispatch(effGetChunk, 0, 0, &data);
    }

    for (int32_t i = 0; i < effect.numParams; ++i) {
        ParameterInfo p;
        p.index = i;
        p.name = plugin.dispatchText(effGetParamName, i);
        p.label = plugin.dispatchText(effGetParamLabel, i);
        p.display = plugin.dispatchText(effGetParamDisplay, i);
        p.value = plugin.getParameter(i);
        info.parameters.push_back(std::move(p));
    }
    return info;
}

void PrintInfoText(const PluginInfo& info, std::ostream& out) {
    const auto field = [&out](const char* name, const std::string& value) {
        out << name << ':' << std::string(16 - std::char_traits<char>::length(name), ' ') << value
            << '\n';
    };
    std::string flags = Hex32(info.flags);
    if (info.flags != 0) flags += " (" + Join(FlagNames(info.flags), ", ") + ")";

    field("Plug-in", Printable(info.path));
    field("Entry point", info.entryPoint);
    field("Effect name", Quoted(info.effectName));
    field("Vendor", Quoted(info.vendor));
    field("Product", Quoted(info.product));
    field("Vendor version", std::to_string(info.vendorVersion));
    field("VST version", std::to_string(info.vstVersion));
    field("Unique id", UniqueIdText(info.uniqueId));
    field("Category", std::to_string(info.category) + " (" + CategoryName(info.category) + ")");
    field("Record version", std::to_string(info.recordVersion));
    field("Inputs", std::to_string(info.numInputs));
    field("Outputs", std::to_string(info.numOutputs));
    field("Initial delay", std::to_string(info.initialDelay) + " samples");
    field("Flags", flags);
    std::string programs = std::to_string(info.numPrograms);
    if (info.numPrograms > 0) {
        programs += " (current " + std::to_string(info.currentProgram) + ": " +
                    Quoted(info.programName) + ")";
    }
    field("Programs", programs);
    field("State chunk",
          info.chunkSize ? std::to_string(*info.chunkSize) + " bytes" : "none (not chunk based)");
    field("Parameters", std::to_string(info.parameters.size()));
    if (!info.parameters.empty()) PrintParameterTable(info.parameters, out);
}

void PrintInfoJson(const PluginInfo& info, std::ostream& out) {
    const auto num = [](auto n) { return std::to_string(n); };
    const std::string uniqueIdText = FourCharText(info.uniqueId);

    std::vector<std::string> flagNames;
    for (const std::string& f : FlagNames(info.flags)) flagNames.push_back(JsonString(f));

    out << "{\n";
    out << "  \"path\": " << JsonString(info.path) << ",\n";
    out << "  \"entry_point\": " << JsonString(info.entryPoint) << ",\n";
    out << "  \"effect_name\": " << JsonString(info.effectName) << ",\n";
    out << "  \"vendor\": " << JsonString(info.vendor) << ",\n";
    out << "  \"product\": " << JsonString(info.product) << ",\n";
    out << "  \"vendor_version\": " << num(info.vendorVersion) << ",\n";
    out << "  \"vst_version\": " << num(info.vstVersion) << ",\n";
    out << "  \"unique_id\": " << num(info.uniqueId) << ",\n";
    out << "  \"unique_id_text\": " << (uniqueIdText.empty() ? "null" : JsonString(uniqueIdText))
        << ",\n";
    out << "  \"category\": " << num(info.category) << ",\n";
    out << "  \"category_name\": " << JsonString(CategoryName(info.category)) << ",\n";
    out << "  \"record_version\": " << num(info.recordVersion) << ",\n";
    out << "  \"inputs\": " << num(info.numInputs) << ",\n";
    out << "  \"outputs\": " << num(info.numOutputs) << ",\n";
    out << "  \"initial_delay\": " << num(info.initialDelay) << ",\n";
    out << "  \"flags\": " << num(info.flags) << ",\n";
    out << "  \"flag_names\": [" << Join(flagNames, ", ") << "],\n";
    out << "  \"programs\": {\"count\": " << num(info.numPrograms)
        << ", \"current\": " << num(info.currentProgram)
        << ", \"current_name\": " << (info.numPrograms > 0 ? JsonString(info.programName) : "null")
        << "},\n";
    out << "  \"chunk_size\": " << (info.chunkSize ? num(*info.chunkSize) : "null") << ",\n";
    out << "  \"parameters\": [";
    for (std::size_t i = 0; i < info.parameters.size(); ++i) {
        const ParameterInfo& p = info.parameters[i];
        out << (i == 0 ? "\n" : ",\n") << "    {\"index\": " << num(p.index)
            << ", \"name\": " << JsonString(p.name) << ", \"label\": " << JsonString(p.label)
            << ", \"display\": " << JsonString(p.display) << ", \"value\": " << JsonNumber(p.value)
            << "}";
    }
    out << (info.parameters.empty() ? "]\n" : "\n  ]\n");
    out << "}\n";
}

int RunInfoCommand(const std::string& pluginPath, bool json,
                   const std::optional<std::string>& presetPath,
                   const std::vector<std::string>& settings) {
    const StateRequest state = PrepareState(presetPath, settings);
    PluginInfo info;
    {
        // Whatever the plug-in prints while loaded, closed and unloaded goes to stderr.
        StdoutDiversion diversion;
        LoadedPlugin plugin(pluginPath);
        ApplyState(plugin, state);
        info = GatherInfo(plugin);
    }
    if (json) {
        PrintInfoJson(info, std::cout);
    } else {
        PrintInfoText(info, std::cout);
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

}  // namespace vst2host
