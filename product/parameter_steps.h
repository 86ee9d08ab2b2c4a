// What an effect's host parameter looks like from outside: its name, its value at start and,
// for a parameter that settles on a few values, those values with their display texts. Formats
// that describe parameters (LV2 Turtle, VST 3 and CLAP parameter infos) read it from here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/vst2_abi.h"

struct ParameterSteps {
    struct Step {
        double value = 0.0;  // what the effect reads back after being set within the step
        double from = 0.0;   // the lowest probed setting that lands on it
        std::string text;    // its display text
    };
    std::string name;
    double initial = 0.0;
    // Ascending by `from`; empty for a parameter with more than kMaxSteps values.
    std::vector<Step> steps;

    static constexpr size_t kMaxSteps = 16;

    bool Stepped() const { return !steps.empty(); }
    // [any] An on/off switch: two steps, of values 0 and 1. Formats that know switches (LV2's
    // lv2:toggled) describe it as one and pass the effect exactly those two values.
    bool Toggled() const;
    // [any] The step a setting of value (0..1) lands on; null for a continuous parameter.
    const Step* StepOf(double value) const;
    // [any] The step whose display text is text, or null.
    const Step* StepNamed(const std::string& text) const;
};

// [main] Sweeps parameter index of a closed or inactive effect over 0..1 and puts it back.
ParameterSteps ProbeParameter(AEffect* effect, int32_t index);
