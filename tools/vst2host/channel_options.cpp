#include "tools/vst2host/channel_options.h"

#include <charconv>
#include <string>

#include "tools/vst2host/command_error.h"

namespace vst2host {
namespace {

// Far more channels than any file or plug-in has, small enough that no count overflows.
constexpr int kMaxChannel = 65536;

[[noreturn]] void Malformed(const char* option, std::string_view text, const std::string& why) {
    throw CommandError(std::string(option) + ": '" + std::string(text) + "' " + why);
}

// A channel number: digits only, nothing else.
std::optional<int> Number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > kMaxChannel || text.front() == '+' || text.front() == '-') {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> items;
    while (true) {
        const auto comma = text.find(',');
        items.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return items;
}

}  // namespace

std::vector<int> ParseInputMap(std::string_view text) {
    std::vector<int> map;
    for (const std::string_view item : SplitCommas(text)) {
        const auto channel = Number(item);
        if (!channel) {
            Malformed("--map", text,
                      "is not a list of file channels (e.g. 3,4,0,1; 0 for silence)");
        }
        map.push_back(*channel);
    }
    return map;
}

std::vector<int> ParseOutputList(std::string_view text) {
    constexpr const char* kExpected = "is not a list of output channels (e.g. 1,2,9-10)";
    std::vector<int> outputs;
    for (const std::string_view item : SplitCommas(text)) {
        const auto dash = item.find('-');
        const auto first = Number(item.substr(0, dash));
        const auto last = dash == std::string_view::npos ? first : Number(item.substr(dash + 1));
        if (!first || !last) Malformed("--outputs", text, kExpected);
        if (*first == 0 || *last == 0) {
            Malformed("--outputs", text, "names channel 0; channels count from 1");
        }
        if (*last < *first) {
            Malformed("--outputs", text,
                      "has a descending range " + std::string(item) + "; list channels instead");
        }
        for (int c = *first; c <= *last; ++c) outputs.push_back(c);
    }
    return outputs;
}

ChannelPlan PlanChannels(const std::optional<std::vector<int>>& inputMap,
                         const std::optional<std::vector<int>>& outputList, int fileChannels,
                         int pluginInputs, int pluginOutputs) {
    ChannelPlan plan;
    plan.inputSource.assign(static_cast<std::size_t>(pluginInputs), 0);
    if (inputMap) {
        if (static_cast<int>(inputMap->size()) > pluginInputs) {
            throw CommandError("--map lists " + std::to_string(inputMap->size()) +
                               " inputs, but the plug-in has " + std::to_string(pluginInputs));
        }
        for (std::size_t i = 0; i < inputMap->size(); ++i) {
            const int channel = (*inputMap)[i];
            if (channel > fileChannels) {
                throw CommandError("--map: the input file has no channel " +
                                   std::to_string(channel) + " (it has " +
                                   std::to_string(fileChannels) + ")");
            }
            plan.inputSource[i] = channel;
        }
    } else {
        for (int i = 0; i < pluginInputs && i < fileChannels; ++i) {
            plan.inputSource[static_cast<std::size_t>(i)] = i + 1;
        }
    }

    if (outputList) {
        for (const int channel : *outputList) {
            if (channel > pluginOutputs) {
                throw CommandError("--outputs: the plug-in has no output " +
                                   std::to_string(channel) + " (it has " +
                                   std::to_string(pluginOutputs) + ")");
            }
        }
        plan.outputs = *outputList;
    } else {
        for (int c = 1; c <= pluginOutputs; ++c) plan.outputs.push_back(c);
    }
    if (plan.outputs.empty()) throw CommandError("the plug-in has no outputs to write");
    return plan;
}

}  // namespace vst2host
