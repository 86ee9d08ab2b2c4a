// One slider: a host parameter and where its value lives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SliderDef {
    std::vector<std::string> valueNames;  // names of values 0, 1, 2, ...; empty when numeric
    bool filesListed = false;
    int32_t index = 0;  // entry of sliderValues that holds the value
    double* mirror = nullptr;
    double defaultValue = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    double step = 0.0;
    std::string path;  // directory whose files become valueNames, relative to the module
    std::string auxText;
    std::string label;
    std::string name;
};
