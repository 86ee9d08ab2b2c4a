// The transform tables: twiddles, slot permutations and their cycle lists. They are built
// once per process, on first need, and never change afterwards, so any thread may read them.
#pragma once

#include <cstdint>

constexpr int32_t kFftSmallestTwiddleSize = 32;
constexpr int32_t kFftLargestSize = 32768;

// True for 1, 2, 4, ... up to kFftLargestSize.
constexpr bool IsFftTableSize(int32_t n) {
    return n >= 1 && n <= kFftLargestSize && (n & (n - 1)) == 0;
}

// The bin that slot i of the n-point transform's own order holds (n a power of two, i < n).
constexpr int32_t FftSlotFrequency(int32_t i, int32_t n) {
    if (n < 3) return i;
    if (i < n / 2) return 2 * FftSlotFrequency(i, n / 2);
    const int32_t rest = i - n / 2;
    const int32_t quarter = n / 4;
    if (rest < quarter) return 4 * FftSlotFrequency(rest, quarter) + 1;
    return (4 * FftSlotFrequency(rest - quarter, quarter) - 1) & (n - 1);
}

// Builds every table if no thread has yet. Two threads calling it at once build them once
// and both return only when the tables are complete.
void EnsureTransformTables();

// Twiddles of an n-point butterfly (n = 32 ... 32768): (cos, sin)(2πk/n) as consecutive
// doubles, then one padding double. The table is defined for k = 1 ... n/4 - 1 up to 512 and
// k = 1 ... n/8 - 1 from 1024 on (larger k follow by symmetry); it goes on from k = 0 to n/4
// so that the vector butterflies read their twiddles in one run. Null for any other n.
const double* FftTwiddles(int32_t n);
// All eleven twiddle tables, the one of size 32 << s at index s.
const double* const* FftTwiddleTables();

// perm_n for n = 2 ... 32768: slot perm[k] of the transform's own order holds natural bin
// k. Null for any other n.
const int32_t* PermutationTable(int32_t n);
// perm_n[i], or 0 when n is not a table size or i is outside 0 ... n - 1.
int32_t PermutationIndex(int32_t n, int32_t i);
// One index from each cycle of perm_n that is longer than one, ending with 0. Null for any
// size without a permutation table.
const int32_t* PermutationCycles(int32_t n);
// The same cycles written out in walking order (k, perm[k], perm[perm[k]], ...), each
// followed by 0, and one more 0 at the end: the reordering passes read their indexes ahead
// instead of waiting for each one. Null for any size without a permutation table.
const int32_t* PermutationWalk(int32_t n);
