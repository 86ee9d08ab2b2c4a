// Whole-block sample copies with the guard section code applies to every store: NaN and the
// infinities become +0.0, every other value (zeros of either sign, denormals) keeps its bits.
// The AVX2 path is chosen at run time (VectorPathActive); the baseline runs anywhere.
#pragma once

#include <cstdint>

// [any] out[j] = in[j] when finite, +0.0 otherwise, for j < frames. Works on bit patterns, so
// neither the floating-point environment (flush-to-zero, denormals-are-zero) nor a signalling
// NaN changes a result. out may be in; otherwise the two ranges must not overlap.
void GuardedCopy(float* out, const float* in, int32_t frames);
void GuardedCopy(double* out, const double* in, int32_t frames);

// [any] Whether any of the first `frames` samples is NaN or infinite, so that a block without
// one can be copied as it is.
bool AnyNonFinite(const float* in, int32_t frames);
bool AnyNonFinite(const double* in, int32_t frames);
