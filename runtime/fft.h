// The complex FFT of the script runtime. A buffer of n complex values is 2n doubles, real
// part first. The forward transform leaves its bins in its own slot order (slot i holds bin
// FftSlotFrequency(i, n), with the positive exponent); the permute passes convert between
// that order and the natural one, so a caller that only filters can skip them.
#pragma once

#include <cstdint>

#include "runtime/memory.h"

enum FftMode : int32_t {
    kFftForward = 0,
    kFftInverse = 1,
    kFftPermute = 4,
    kFftInversePermute = 5,
};

constexpr int32_t kFftSmallestSize = 16;

// 2^floor(log2 size), or 0 for size < 1.
int32_t FftRoundDown(int32_t size);

// In place on n complex values, n a power of two up to 32768 (other n: nothing happens).
// Forward: natural order in, own order out, X'[f] = sum x[j] e^(+2πi j f / n).
void FftForward(double* data, int32_t n);
// Inverse: own order in (slot i holding bin (n - FftSlotFrequency(i, n)) mod n), natural
// order out, x[j] = sum X[k] e^(+2πi j k / n). No scaling: forward then inverse gives n x.
void FftInverse(double* data, int32_t n);
// out[k] = in[perm_n[k]]: after FftForward, slot k holds sum x[j] e^(-2πi j k / n).
void FftPermute(double* data, int32_t n);
// out[perm_n[k]] = in[k]: natural-order bins into the slots FftInverse reads.
void FftInversePermute(double* data, int32_t n);

// The script operation: size rounds down to a power of two N; unless 16 <= N <= 32768,
// the mode is one of the above and the 2N doubles from bufferIndex lie in one memory
// block, nothing happens.
void FftTransform(CZoltMemory& mem, int32_t bufferIndex, int32_t size, int32_t mode);
