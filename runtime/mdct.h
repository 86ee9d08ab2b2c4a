// The MDCT of the script runtime, on real buffers. With c(j, k) = cos(2π/N (j + 1/2 + N/4)
// (k + 1/2)) and the sine window w: forward takes N samples to N/2 coefficients
// y[k] = s sum t[j] c(j, k), t being the windowed samples; inverse takes N/2 coefficients to
// N windowed samples r sum y[k] c(j, k). (s, r) is (1, 4/N) for N = 32 and (4/N, 1) above,
// so a round trip always carries 4/N.
#pragma once

#include <cstdint>

#include "runtime/memory.h"

constexpr int32_t kMdctSmallestSize = 32;
constexpr int32_t kMdctLargestSize = 4096;

// In place: N samples in, the first N/2 doubles out; n a power of two from 32 to 4096
// (other n: nothing happens).
void MdctForward(double* data, int32_t n);
// In place: the first N/2 doubles in, N doubles out.
void MdctInverse(double* data, int32_t n);

// The script operation: size rounds down to a power of two N; unless 32 <= N <= 4096 and the
// N doubles from bufferIndex lie in one memory block, nothing happens.
void MdctTransform(CZoltMemory& mem, int32_t bufferIndex, int32_t size, bool inverse);
