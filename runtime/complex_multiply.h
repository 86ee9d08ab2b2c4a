// Element-wise complex products on interleaved buffers (real part first), the core of
// spectral filtering: (a + bi)(c + di) = (ac - bd) + (ad + bc)i.
#pragma once

#include <cstdint>

#include "runtime/memory.h"

// Each does nothing unless n (complex values) is even and at least 2. The output may be one
// of the inputs; any other overlap is handled as if the values were taken one at a time,
// from the first to the last.
// a[k] = a[k] b[k].
void ComplexMultiplyInPlace(double* a, const double* b, int32_t n);
// out[k] = a[k] b[k].
void ComplexMultiply(double* out, const double* a, const double* b, int32_t n);
// out[k] += a[k] b[k].
void ComplexMultiplyAdd(double* out, const double* a, const double* b, int32_t n);

// The script operation: count rounds down to an even number; if it is then at least 2 and
// both buffers of 2 count doubles lie in one memory block each, destination[k] =
// destination[k] source[k] for k < count.
void ConvolveComplex(CZoltMemory& mem, int32_t destIndex, int32_t srcIndex, int32_t count);
