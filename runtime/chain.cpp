#include "runtime/chain.h"

#include "runtime/module_paths.h"
#include "runtime/script_numbers.h"

double& CZoltSliders::SliderAt(double number) {
    return sliderValues[ToIndex(number) & (kSliderCount - 1)];
}

int32_t CZoltDescription::AddSlider(int32_t number, double* mirror, double defaultValue,
                                    double minimum, double maximum, double step,
                                    const std::string& path, const std::string& auxText,
                                    const std::string& label, const std::string& name) {
    sliderValues[number & (kSliderCount - 1)] = defaultValue;
    SliderDef def;
    def.index = number & (kSliderCount - 1);
    def.mirror = mirror;
    def.defaultValue = defaultValue;
    def.minimum = minimum;
    def.maximum = maximum;
    def.step = step;
    def.path = path;
    def.auxText = auxText;
    def.label = label;
    def.name = name;
    sliderDefs.push_back(std::move(def));
    SliderDef& added = sliderDefs.back();
    added.filesListed = true;
    const auto position = static_cast<int32_t>(sliderDefs.size() - 1);
    if (path.empty()) return position;

    ListDataFiles(ModuleRelativePath(path), added.valueNames);
    if (added.valueNames.empty()) added.valueNames.emplace_back("(No Data Files)");
    added.minimum = 0.0;
    added.maximum = static_cast<double>(added.valueNames.size()) - 1.0;
    added.defaultValue = 0.0;
    added.step = 0.5;
    return position;
}

std::string& CZoltStrings::StringAt(int32_t n) {
    std::string& text = strings[n];
    stringCount = static_cast<double>(strings.size());
    return text;
}

CZoltFiles::~CZoltFiles() {
    for (const FileSlot& slot : files) slot.Flush();
}
