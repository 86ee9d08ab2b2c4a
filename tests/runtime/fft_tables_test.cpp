// The transform tables: slot frequencies, permutations and their cycle lists, twiddles, and
// their one-time construction when two runtime objects are created at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <latch>
#include <thread>
#include <vector>

#include "runtime/fft.h"
#include "runtime/fft_tables.h"
#include "runtime/mdct.h"
#include "runtime/unit_circle.h"
#include "tests/runtime/counting_effect.h"
#include "tests/runtime/transform_reference.h"

namespace {

TEST(FftTables, FourPointOrder) {
    const int32_t frequencies[] = {0, 2, 1, 3};
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(FftSlotFrequency(i, 4), frequencies[i]);
    EnsureTransformTables();
    const int32_t* perm = PermutationTable(4);
    ASSERT_NE(perm, nullptr);
    EXPECT_EQ(std::vector<int32_t>(perm, perm + 4), (std::vector<int32_t>{0, 3, 1, 2}));
}

// Every table is a permutation fixing 0, its cycle list names each longer cycle once, and
// its walk follows those cycles.
TEST(FftTables, PermutationsAndTheirCycleLists) {
    for (int32_t n = 2; n <= kFftLargestSize; n *= 2) {
        SCOPED_TRACE(n);
        const int32_t* perm = PermutationTable(n);
        const int32_t* cycles = PermutationCycles(n);
        ASSERT_NE(perm, nullptr);
        ASSERT_NE(cycles, nullptr);
        EXPECT_EQ(perm[0], 0);
        std::vector<int> hits(static_cast<size_t>(n), 0);
        for (int32_t k = 0; k < n; ++k) {
            ASSERT_GE(perm[k], 0);
            ASSERT_LT(perm[k], n);
            ++hits[static_cast<size_t>(perm[k])];
        }
        EXPECT_EQ(std::count(hits.begin(), hits.end(), 1), n);
        std::vector<int> covered(static_cast<size_t>(n), 0);
        for (const int32_t* start = cycles; *start; ++start) {
            ASSERT_LT(*start, n);
            int32_t k = *start;
            do {
                ++covered[static_cast<size_t>(k)];
                k = perm[k];
            } while (k != *start);
        }
        for (int32_t k = 0; k < n; ++k) {
            EXPECT_EQ(covered[static_cast<size_t>(k)], perm[k] == k ? 0 : 1) << "index " << k;
        }
        // The walk writes the same cycles out in order, each closed by a 0.
        const int32_t* walk = PermutationWalk(n);
        ASSERT_NE(walk, nullptr);
        std::vector<int> walked(static_cast<size_t>(n), 0);
        for (const int32_t* start = cycles; *start; ++start) {
            ASSERT_EQ(*walk, *start);
            for (; walk[1]; ++walk) {
                ASSERT_EQ(perm[walk[0]], walk[1]);
                ++walked[static_cast<size_t>(walk[0])];
            }
            ASSERT_EQ(perm[walk[0]], *start);
            ++walked[static_cast<size_t>(walk[0])];
            walk += 2;
        }
        EXPECT_EQ(*walk, 0);
        EXPECT_EQ(walked, covered);
    }
}

TEST(FftTables, IndexAndTableAccessOutsideTheSizes) {
    struct Case {
        int32_t n;
        int32_t i;
    };
    const Case cases[] = {{0, 0}, {1, 0}, {3, 1}, {48, 5}, {65536, 1}, {-4, 1}, {16, -1}, {16, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << ", " << c.i);
        EXPECT_EQ(PermutationIndex(c.n, c.i), 0);
    }
    for (int32_t n : {0, 1, 3, 48, 65536, -4}) {
        EXPECT_EQ(PermutationTable(n), nullptr);
        EXPECT_EQ(PermutationCycles(n), nullptr);
        EXPECT_EQ(PermutationWalk(n), nullptr);
    }
    EXPECT_EQ(PermutationIndex(4, 1), 3);
    EXPECT_EQ(PermutationIndex(32768, 32767), PermutationTable(32768)[32767]);
}

TEST(FftTables, TwiddlesAreTheRootsOfUnity) {
    for (int32_t n = 32; n <= kFftLargestSize; n *= 2) {
        SCOPED_TRACE(n);
        const double* w = FftTwiddles(n);
        ASSERT_NE(w, nullptr);
        double error = 0.0;
        for (int32_t k = 0; k <= n / 4; ++k) {
            const long double angle = 2 * std::acos(-1.0L) * k / n;
            error = std::max(error, static_cast<double>(std::fabs(w[2 * k] - std::cos(angle))));
            error = std::max(error, static_cast<double>(std::fabs(w[2 * k + 1] - std::sin(angle))));
        }
        EXPECT_LE(error, 1.2e-16);  // correctly rounded: half an ulp of 1
    }
    for (int32_t n : {16, 48, 65536}) EXPECT_EQ(FftTwiddles(n), nullptr);
}

// Against the C library's long double cos and sin at angles all round the circle, including
// every octant boundary and negative turns.
TEST(UnitCircle, MatchesTheLibraryEverywhereOnTheCircle) {
    long double worst = 0.0L;
    for (int64_t q : {1, 2, 3, 7, 8, 64, 1000, 32768, 262144}) {
        for (int64_t p = -2 * q; p <= 2 * q; p += std::max<int64_t>(1, q / 97)) {
            long double c = 0.0L;
            long double s = 0.0L;
            UnitCircle(p, q, c, s);
            const long double angle = 2 * std::acos(-1.0L) * static_cast<long double>(p) / q;
            worst =
                std::max({worst, std::fabs(c - std::cos(angle)), std::fabs(s - std::sin(angle))});
        }
    }
    // A few units in the last place of a long double; far below half an ulp of a double.
    EXPECT_LE(worst, 1e-17L);
    // Quarter turns are exact.
    const struct {
        int64_t p, q;
        long double c, s;
    } quarters[] = {{0, 4, 1, 0}, {1, 4, 0, 1}, {2, 4, -1, 0}, {3, 4, 0, -1}, {-1, 4, 0, -1}};
    for (const auto& t : quarters) {
        long double c = 0.0L;
        long double s = 0.0L;
        UnitCircle(t.p, t.q, c, s);
        EXPECT_EQ(c, t.c) << t.p << "/" << t.q;
        EXPECT_EQ(s, t.s) << t.p << "/" << t.q;
    }
}

// Run in a process of its own (as ctest does), this is the first construction: both
// threads must find complete tables, the same ones, and transform alike.
TEST(FftTables, TwoRuntimesConstructedAtOnceShareCompleteTables) {
    const std::vector<double> x = RandomValues(2 * 32768, 17);
    const std::vector<double> samples = RandomValues(4096, 18);
    struct Result {
        const int32_t* perm = nullptr;
        std::vector<double> spectrum;
        std::vector<double> coefficients;
    };
    Result results[2];
    std::latch start(2);
    auto run = [&](Result& result) {
        start.arrive_and_wait();
        CountingEffect effect;
        result.perm = PermutationTable(32768);
        result.spectrum = x;
        FftForward(result.spectrum.data(), 32768);
        FftPermute(result.spectrum.data(), 32768);
        result.coefficients = samples;
        MdctForward(result.coefficients.data(), 4096);
    };
    std::thread first(run, std::ref(results[0]));
    std::thread second(run, std::ref(results[1]));
    first.join();
    second.join();
    EXPECT_EQ(results[0].perm, results[1].perm);
    EXPECT_EQ(results[0].spectrum, results[1].spectrum);
    EXPECT_EQ(results[0].coefficients, results[1].coefficients);
    std::vector<double> later = x;
    FftForward(later.data(), 32768);
    FftPermute(later.data(), 32768);
    EXPECT_EQ(later, results[0].spectrum);
    std::vector<double> laterCoefficients = samples;
    MdctForward(laterCoefficients.data(), 4096);
    EXPECT_EQ(laterCoefficients, results[0].coefficients);
}

}  // namespace
