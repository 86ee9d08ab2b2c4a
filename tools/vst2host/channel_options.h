// Which file channels feed the plug-in's inputs (--map) and which of its outputs reach the
// output file (--outputs). Channels count from 1, as people count them.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace vst2host {

// "3,4,0,1": plug-in input 1 gets file channel 3, input 2 channel 4, input 3 silence (0),
// input 4 channel 1. Throws CommandError for anything else.
std::vector<int> ParseInputMap(std::string_view text);

// "1-4" or "1,2,9-10": the plug-in's outputs to keep, in this order. Throws CommandError for
// channel 0, a descending range or anything else that is not such a list.
std::vector<int> ParseOutputList(std::string_view text);

struct ChannelPlan {
    std::vector<int> inputSource;  // per plug-in input: file channel, or 0 for silence
    std::vector<int> outputs;      // plug-in outputs written, in file channel order
};

// Checks the lists against the file and the plug-in and fills in the defaults: file channel i
// feeds input i (silence where the file has fewer channels), and every output is kept.
// Throws CommandError naming the channel that does not exist.
ChannelPlan PlanChannels(const std::optional<std::vector<int>>& inputMap,
                         const std::optional<std::vector<int>>& outputList, int fileChannels,
                         int pluginInputs, int pluginOutputs);

}  // namespace vst2host
