#include "runtime/fft_tables.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "runtime/unit_circle.h"

namespace {

constexpr int32_t kTwiddleSizes = 11;  // 32 ... 32768

int32_t Log2(int32_t n) {
    int32_t bits = 0;
    while ((1 << bits) < n) ++bits;
    return bits;
}

struct TransformTables {
    TransformTables();

    std::array<std::vector<double>, kTwiddleSizes> twiddles;
    std::array<const double*, kTwiddleSizes> twiddlePointers;
    // The permutation of size n occupies entries n ... 2n - 1.
    std::vector<int32_t> permutation;
    std::array<std::vector<int32_t>, 16> cycles;  // by log2 n
    std::array<std::vector<int32_t>, 16> walks;   // by log2 n
};

// cos and sin of 2πk/n, taken from the first octant only, so that every entry is the
// correctly rounded value and the symmetric entries agree exactly.
void FillTwiddles(std::vector<double>& table, int32_t n) {
    const int32_t quarter = n / 4;
    table.assign(2 * static_cast<size_t>(quarter) + 3, 0.0);
    for (int32_t k = 0; k <= quarter; ++k) {
        const bool low = 2 * k <= quarter;
        long double cosine = 0.0L;
        long double sine = 0.0L;
        UnitCircle(low ? k : quarter - k, n, cosine, sine);
        const auto c = static_cast<double>(cosine);
        const auto s = static_cast<double>(sine);
        table[2 * static_cast<size_t>(k)] = low ? c : s;
        table[2 * static_cast<size_t>(k) + 1] = low ? s : c;
    }
}

void FillPermutation(std::vector<int32_t>& permutation, std::vector<int32_t>& cycles,
                     std::vector<int32_t>& walk, int32_t n) {
    int32_t* perm = permutation.data() + n;
    perm[0] = 0;
    for (int32_t i = 1; i < n; ++i) perm[n - FftSlotFrequency(i, n)] = i;
    std::vector<bool> seen(static_cast<size_t>(n), false);
    for (int32_t start = 1; start < n; ++start) {
        if (seen[static_cast<size_t>(start)] || perm[start] == start) continue;
        cycles.push_back(start);
        for (int32_t k = start; !seen[static_cast<size_t>(k)]; k = perm[k])
            seen[static_cast<size_t>(k)] = true;
    }
    cycles.push_back(0);
    for (const int32_t start : cycles) {
        if (!start) break;
        int32_t k = start;
        do {
            walk.push_back(k);
            k = perm[k];
        } while (k != start);
        walk.push_back(0);
    }
    walk.push_back(0);
}

TransformTables::TransformTables() : permutation(2 * static_cast<size_t>(kFftLargestSize)) {
    for (int32_t s = 0; s < kTwiddleSizes; ++s) {
        FillTwiddles(twiddles[static_cast<size_t>(s)], kFftSmallestTwiddleSize << s);
        twiddlePointers[static_cast<size_t>(s)] = twiddles[static_cast<size_t>(s)].data();
    }
    for (int32_t n = 2; n <= kFftLargestSize; n *= 2) {
        const auto s = static_cast<size_t>(Log2(n));
        FillPermutation(permutation, cycles[s], walks[s], n);
    }
}

// A function-local static: the language guarantees one initialisation, and that every
// other thread waits for it to finish.
const TransformTables& Tables() {
    static const TransformTables tables;
    return tables;
}

bool HasTwiddles(int32_t n) {
    return n >= kFftSmallestTwiddleSize && IsFftTableSize(n);
}

}  // namespace

void EnsureTransformTables() {
    Tables();
}

const double* FftTwiddles(int32_t n) {
    if (!HasTwiddles(n)) return nullptr;
    return Tables().twiddles[static_cast<size_t>(Log2(n) - 5)].data();
}

const double* const* FftTwiddleTables() {
    return Tables().twiddlePointers.data();
}

const int32_t* PermutationTable(int32_t n) {
    if (n < 2 || !IsFftTableSize(n)) return nullptr;
    return Tables().permutation.data() + n;
}

int32_t PermutationIndex(int32_t n, int32_t i) {
    const int32_t* perm = PermutationTable(n);
    if (!perm || i < 0 || i >= n) return 0;
    return perm[i];
}

const int32_t* PermutationCycles(int32_t n) {
    if (n < 2 || !IsFftTableSize(n)) return nullptr;
    return Tables().cycles[static_cast<size_t>(Log2(n))].data();
}

const int32_t* PermutationWalk(int32_t n) {
    if (n < 2 || !IsFftTableSize(n)) return nullptr;
    return Tables().walks[static_cast<size_t>(Log2(n))].data();
}
