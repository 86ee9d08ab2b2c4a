// The MDCT against its O(N²) sums at every accepted size, on both code paths, the time-domain
// aliasing cancellation it exists for, and the script operation's size rules.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/mdct.h"
#include "tests/runtime/counting_effect.h"
#include "tests/runtime/transform_reference.h"

namespace {

double MaxDistance(const double* got, const std::vector<long double>& expected) {
    long double worst = 0;
    for (size_t j = 0; j < expected.size(); ++j) {
        worst = std::max(worst, std::fabs(got[j] - expected[j]));
    }
    return static_cast<double>(worst);
}

class Mdct : public BothPaths {};
INSTANTIATE_TEST_SUITE_P(Paths, Mdct, testing::Values(Path::kScalar, Path::kVector), PathName);

TEST_P(Mdct, ForwardMatchesTheSums) {
    for (int32_t n = kMdctSmallestSize; n <= kMdctLargestSize; n *= 2) {
        SCOPED_TRACE(n);
        const std::vector<double> x = RandomValues(static_cast<size_t>(n), 21u * n);
        const std::vector<long double> expected = ReferenceMdct(x, n);
        std::vector<double> y = x;
        MdctForward(y.data(), n);
        const double scale = n == 32 ? 1.0 : 4.0 / n;
        EXPECT_LE(MaxDistance(y.data(), expected), TransformErrorBound(n, MaxAbs(x), scale));
        // Only the first n/2 doubles are written.
        EXPECT_EQ(0, std::memcmp(y.data() + n / 2, x.data() + n / 2, n / 2 * sizeof(double)));
    }
}

TEST_P(Mdct, InverseMatchesTheSums) {
    for (int32_t n = kMdctSmallestSize; n <= kMdctLargestSize; n *= 2) {
        SCOPED_TRACE(n);
        const std::vector<double> y = RandomValues(static_cast<size_t>(n), 23u * n);
        const std::vector<double> coefficients(y.begin(), y.begin() + n / 2);
        const std::vector<long double> expected = ReferenceImdct(coefficients, n);
        std::vector<double> t = y;
        MdctInverse(t.data(), n);
        const double scale = n == 32 ? 4.0 / n : 1.0;
        EXPECT_LE(MaxDistance(t.data(), expected), TransformErrorBound(n, MaxAbs(y), scale));
    }
}

// Frames a half apart, transformed there and back and added where they overlap, give back
// the signal: the sine window squares to 1 across the overlap, the aliasing cancels, and the
// 4/N of the round trip is the scale that makes it exact.
TEST_P(Mdct, OverlappedRoundTripsRebuildTheSignal) {
    for (int32_t n = kMdctSmallestSize; n <= kMdctLargestSize; n *= 2) {
        SCOPED_TRACE(n);
        const int32_t hop = n / 2;
        const std::vector<double> signal = RandomValues(4 * static_cast<size_t>(hop), 29u * n);
        std::vector<double> rebuilt(signal.size(), 0.0);
        for (int32_t start = 0; start + n <= static_cast<int32_t>(signal.size()); start += hop) {
            std::vector<double> frame(signal.begin() + start, signal.begin() + start + n);
            MdctForward(frame.data(), n);
            MdctInverse(frame.data(), n);
            for (int32_t j = 0; j < n; ++j)
                rebuilt[static_cast<size_t>(start + j)] += frame[static_cast<size_t>(j)];
        }
        double error = 0.0;
        for (int32_t j = hop; j < 3 * hop; ++j) {  // samples covered by two frames
            error = std::max(
                error, std::fabs(rebuilt[static_cast<size_t>(j)] - signal[static_cast<size_t>(j)]));
        }
        EXPECT_LE(error, TransformErrorBound(n, MaxAbs(signal)));
    }
}

TEST(MdctTransform, SizeRulesAndBlockBounds) {
    struct Case {
        int32_t index;
        int32_t size;
        int32_t transformed;  // 0: nothing happens
    };
    const Case cases[] = {{0, 32, 32},
                          {0, 63, 32},
                          {0, 5000, 4096},
                          {0, 8191, 4096},
                          {0, 16, 0},
                          {0, 31, 0},
                          {0, 8192, 0},
                          {0, 0, 0},
                          {0, -100, 0},
                          {0, INT32_MAX, 0},
                          {65536 - 512, 512, 512},
                          {65536 - 511, 512, 0},
                          {-512, 600, 512},
                          {-511, 600, 0}};
    for (bool inverse : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "index " << c.index << " size " << c.size
                                            << (inverse ? " inverse" : " forward"));
            CountingEffect effect;
            const std::vector<double> x = RandomValues(4096 + 16, 31);
            const size_t count = std::min<size_t>(x.size(), 65536 - (c.index & 0xFFFF));
            for (size_t j = 0; j < count; ++j)
                effect.MemoryAt(c.index + static_cast<int32_t>(j)) = x[j];
            MdctTransform(effect, c.index, c.size, inverse);
            std::vector<double> expected(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(count));
            if (c.transformed) {
                if (inverse) {
                    MdctInverse(expected.data(), c.transformed);
                } else {
                    MdctForward(expected.data(), c.transformed);
                }
            }
            std::vector<double> got(count);
            for (size_t j = 0; j < count; ++j)
                got[j] = effect.MemoryAt(c.index + static_cast<int32_t>(j));
            EXPECT_EQ(0, std::memcmp(got.data(), expected.data(), count * sizeof(double)));
            EXPECT_EQ(effect.blocks.size(), 1u);
        }
    }
}

}  // namespace
