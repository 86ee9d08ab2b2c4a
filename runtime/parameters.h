// Host parameters: the mapping between a slider's value and the host's normalised 0..1.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/slider_def.h"

class COrbel;

// (value - minimum) / (maximum - minimum); 0.0 for a slider without a range.
double NormalisedValue(const SliderDef& def, double value);
// The normalised x moved onto the slider's step grid (anchored at 0, not clamped).
double QuantisedValue(const SliderDef& def, double x);
// The value name the value reaches, or the value with two decimals for a numeric slider.
std::string DisplayText(const SliderDef& def, double value);

// [any] Runtime side of the parameter callbacks. An index outside the sliders is ignored,
// reads 0.0 and shows an empty text.
// [any] Always within 0..1, whatever the slider holds (NaN reads 0).
double RuntimeGetParameter(COrbel* adapter, int32_t index);
// [any] Clamps x to 0..1 (NaN and infinities are ignored), then runs the slider section
// when the value changes.
void RuntimeSetParameter(COrbel* adapter, int32_t index, double x);
void RuntimeGetParameterName(COrbel* adapter, int32_t index, char* text);
void RuntimeGetParameterLabel(COrbel* adapter, int32_t index, char* text);
void RuntimeGetParameterDisplay(COrbel* adapter, int32_t index, char* text);
