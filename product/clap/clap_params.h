// How the effect's parameters look to a CLAP host. A parameter that settles on a few values
// is a stepped one whose CLAP values count its steps, 0 .. steps - 1 (the router's switches:
// 0 muted, 1 enabled), each with its display text; any other keeps the effect's own 0..1.
#pragma once

#include <cstdint>

#include "product/clap/clap_extensions.h"
#include "product/parameter_steps.h"

// [any] The info of parameter index (its id is its index).
void ClapDescribeParameter(const ParameterSteps& parameter, uint32_t index, clap_param_info* info);
// [any] The effect's value for a CLAP value. A stepped parameter's value is truncated, as CLAP
// reads stepped values, and held to its steps. False for NaN, which sets nothing.
bool ClapToEffect(const ParameterSteps& parameter, double value, float* effectValue);
// [any] The CLAP value the effect's value stands for.
double ClapFromEffect(const ParameterSteps& parameter, float effectValue);
// [any] The display text of a CLAP value, zero-terminated within capacity; false when it
// does not fit.
bool ClapValueText(const ParameterSteps& parameter, double value, char* text, uint32_t capacity);
// [any] The CLAP value of a display text (or of a number); false for a text it cannot read.
bool ClapTextValue(const ParameterSteps& parameter, const char* text, double* value);
