#include "runtime/fft.h"

#include "runtime/fft_buffer.h"
#include "runtime/fft_kernels.h"
#include "runtime/fft_tables.h"
#include "runtime/vector_path.h"

namespace {

// A size the transforms accept, the smallest sizes included for internal callers.
bool IsTransformSize(int32_t n) {
    return n >= 2 && IsFftTableSize(n);
}

inline void MoveComplex(double* to, const double* from) {
    to[0] = from[0];
    to[1] = from[1];
}

}  // namespace

int32_t FftRoundDown(int32_t size) {
    if (size < 1) return 0;
    int32_t n = 1;
    while (n <= size / 2) n *= 2;
    return n;
}

void FftForward(double* data, int32_t n) {
    if (!IsTransformSize(n)) return;
    if (VectorPathActive()) return FftForwardVector(data, n);
    FftForwardScalar(data, n);
}

void FftInverse(double* data, int32_t n) {
    if (!IsTransformSize(n)) return;
    if (VectorPathActive()) return FftInverseVector(data, n);
    FftInverseScalar(data, n);
}

// Each cycle of the permutation is rotated once, so no scratch buffer is needed. The walk
// lists each cycle's indexes in order, k then perm[k], ending with 0.
void FftPermute(double* data, int32_t n) {
    if (!IsTransformSize(n)) return;
    for (const int32_t* k = PermutationWalk(n); *k; k += 2) {
        double first[2];
        MoveComplex(first, data + 2 * k[0]);
        for (; k[1]; ++k) MoveComplex(data + 2 * k[0], data + 2 * k[1]);
        MoveComplex(data + 2 * k[0], first);
    }
}

// The same rotation the other way: each value moves one step along its cycle.
void FftInversePermute(double* data, int32_t n) {
    if (!IsTransformSize(n)) return;
    for (const int32_t* start = PermutationWalk(n); *start;) {
        const int32_t* last = start;
        while (last[1]) ++last;
        double final[2];
        MoveComplex(final, data + 2 * *last);
        for (const int32_t* k = last; k != start; --k)
            MoveComplex(data + 2 * k[0], data + 2 * k[-1]);
        MoveComplex(data + 2 * *start, final);
        start = last + 2;
    }
}

void FftTransform(CZoltMemory& mem, int32_t bufferIndex, int32_t size, int32_t mode) {
    const int32_t n = FftRoundDown(size);
    if (n < kFftSmallestSize || n > kFftLargestSize) return;
    if (mode != kFftForward && mode != kFftInverse && mode != kFftPermute &&
        mode != kFftInversePermute) {
        return;
    }
    double* data = ScriptBuffer(mem, bufferIndex, 2 * static_cast<int64_t>(n));
    if (!data) return;
    switch (mode) {
        case kFftForward:
            return FftForward(data, n);
        case kFftInverse:
            return FftInverse(data, n);
        case kFftPermute:
            return FftPermute(data, n);
        default:
            return FftInversePermute(data, n);
    }
}
