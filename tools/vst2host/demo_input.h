// `vst2host demo-input`: a 16-channel test signal whose channels are told apart by ear and by
// level, made for trying the router: a stereo pair on channels 1/2 that the enabled buses copy,
// and a quiet tone of its own on every other channel that the muted buses pass through.
#pragma once

#include <optional>
#include <string>

namespace vst2host {

// Throws CommandError; returns the exit status.
int RunDemoInputCommand(const std::string& outputPath, const std::optional<std::string>& seconds);

}  // namespace vst2host
