// The in-place transform kernels behind FftForward and FftInverse. Each works on n
// interleaved complex values, n a power of two from 1 to 32768, and needs the tables built.
#pragma once

#include <cstdint>

// Plain C++: runs on any processor.
void FftForwardScalar(double* x, int32_t n);
void FftInverseScalar(double* x, int32_t n);

// AVX2/FMA: only call these when VectorPathSupported(). Sizes below 16 go to the plain path.
void FftForwardVector(double* x, int32_t n);
void FftInverseVector(double* x, int32_t n);
