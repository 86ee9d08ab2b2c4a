// How an effect's record appears as LV2 ports. The plug-in and the Turtle generator both read
// the layout from here, so the description on disk and the ports the binary serves agree.
#pragma once

#include <cstdint>
#include <string>

// Port indices, in this order: the audio inputs, the audio outputs, one control input per
// host parameter, then the optional time input.
struct Lv2PortLayout {
    uint32_t inputs = 0;
    uint32_t outputs = 0;
    uint32_t parameters = 0;

    uint32_t FirstOutput() const { return inputs; }
    uint32_t FirstControl() const { return inputs + outputs; }
    uint32_t TimePort() const { return inputs + outputs + parameters; }
    uint32_t Count() const { return TimePort() + 1; }
};

// [any] The port symbol of a control input, made from the parameter's name: lower-case
// letters, digits and underscores, never empty and never starting with a digit. Sessions and
// presets refer to ports by symbol, so it depends on the name alone.
std::string ControlSymbol(const std::string& parameterName);

// Symbols of the audio and time ports; 1-based channel numbers as hosts show them.
inline std::string InputSymbol(uint32_t channel) {
    return "in_" + std::to_string(channel);
}
inline std::string OutputSymbol(uint32_t channel) {
    return "out_" + std::to_string(channel);
}
inline constexpr const char* kTimeSymbol = "time";

// The key the state chunk is stored under, relative to the plug-in's URI.
inline constexpr const char* kChunkKeySuffix = "#chunk";
