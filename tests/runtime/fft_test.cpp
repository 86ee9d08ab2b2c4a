// The complex FFT against a plain DFT at every accepted size, on both code paths, and the
// reordering passes between the transform's own order and the natural one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "runtime/fft.h"
#include "runtime/fft_tables.h"
#include "tests/runtime/transform_reference.h"

namespace {

double Distance(const std::vector<double>& got, int32_t slot, const Bin& expected) {
    const long double re = got[2 * static_cast<size_t>(slot)] - expected.re;
    const long double im = got[2 * static_cast<size_t>(slot) + 1] - expected.im;
    return static_cast<double>(std::sqrt(re * re + im * im));
}

// The positive-exponent DFT of x, each bin summed when first asked for.
class LazyDft {
  public:
    LazyDft(const std::vector<double>& x, int32_t n)
        : x_(x), dft_(n), bins_(static_cast<size_t>(n)), done_(static_cast<size_t>(n)) {}
    const Bin& operator[](int32_t f) {
        if (!done_[static_cast<size_t>(f)]) {
            bins_[static_cast<size_t>(f)] = dft_.At(x_.data(), f, +1);
            done_[static_cast<size_t>(f)] = true;
        }
        return bins_[static_cast<size_t>(f)];
    }

  private:
    const std::vector<double>& x_;
    ReferenceDft dft_;
    std::vector<Bin> bins_;
    std::vector<bool> done_;
};

class Fft : public BothPaths {};
INSTANTIATE_TEST_SUITE_P(Paths, Fft, testing::Values(Path::kScalar, Path::kVector), PathName);

TEST_P(Fft, ForwardMatchesTheDftInItsOwnOrderAndAfterPermuting) {
    for (int32_t n = kFftSmallestSize; n <= kFftLargestSize; n *= 2) {
        SCOPED_TRACE(n);
        const std::vector<double> x = RandomValues(2 * static_cast<size_t>(n), n);
        const double bound = TransformErrorBound(n, MaxAbs(x));
        LazyDft bins(x, n);
        std::vector<double> own = x;
        FftForward(own.data(), n);
        std::vector<double> natural = own;
        FftPermute(natural.data(), n);
        double ownError = 0.0, naturalError = 0.0;
        for (int32_t i : IndexesToCheck(n, 7u * n)) {
            ownError = std::max(ownError, Distance(own, i, bins[FftSlotFrequency(i, n)]));
            // Natural bin k with e^(-...) is the positive-exponent bin n - k.
            naturalError = std::max(naturalError, Distance(natural, i, bins[(n - i) % n]));
        }
        EXPECT_LE(ownError, bound);
        EXPECT_LE(naturalError, bound);
    }
}

TEST_P(Fft, InverseMatchesTheDftFromItsOwnOrderAndFromNaturalOrder) {
    for (int32_t n = kFftSmallestSize; n <= kFftLargestSize; n *= 2) {
        SCOPED_TRACE(n);
        const std::vector<double> bins = RandomValues(2 * static_cast<size_t>(n), 3u * n);
        const double bound = TransformErrorBound(n, MaxAbs(bins));
        const ReferenceDft dft(n);
        std::vector<double> fromNatural = bins;
        FftInversePermute(fromNatural.data(), n);
        FftInverse(fromNatural.data(), n);
        // Slot i of the inverse's own order holds bin (n - freq(i)) mod n.
        std::vector<double> fromOwn(bins.size());
        for (int32_t i = 0; i < n; ++i) {
            const auto bin = static_cast<size_t>((n - FftSlotFrequency(i, n)) % n);
            fromOwn[2 * static_cast<size_t>(i)] = bins[2 * bin];
            fromOwn[2 * static_cast<size_t>(i) + 1] = bins[2 * bin + 1];
        }
        FftInverse(fromOwn.data(), n);
        double naturalError = 0.0, ownError = 0.0;
        for (int32_t j : IndexesToCheck(n, 5u * n)) {
            const Bin expected = dft.At(bins.data(), j, +1);
            naturalError = std::max(naturalError, Distance(fromNatural, j, expected));
            ownError = std::max(ownError, Distance(fromOwn, j, expected));
        }
        EXPECT_LE(naturalError, bound);
        EXPECT_LE(ownError, bound);
    }
}

TEST_P(Fft, ForwardThenInverseGivesTheInputTimesN) {
    for (int32_t n = kFftSmallestSize; n <= kFftLargestSize; n *= 2) {
        SCOPED_TRACE(n);
        const std::vector<double> x = RandomValues(2 * static_cast<size_t>(n), 11u * n);
        std::vector<double> y = x;
        FftForward(y.data(), n);
        FftInverse(y.data(), n);
        double error = 0.0;
        for (size_t j = 0; j < x.size(); ++j) error = std::max(error, std::fabs(y[j] / n - x[j]));
        EXPECT_LE(error, TransformErrorBound(n, MaxAbs(x)));
    }
}

TEST_P(Fft, ImpulseGivesOneInEverySlot) {
    std::vector<double> x(32, 0.0);
    x[0] = 1.0;
    FftForward(x.data(), 16);
    for (int32_t i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(x[2 * static_cast<size_t>(i)], 1.0, 1e-15);
        EXPECT_NEAR(x[2 * static_cast<size_t>(i) + 1], 0.0, 1e-15);
    }
}

TEST_P(Fft, OneCycleLandsInNaturalBinOneAfterPermuting) {
    std::vector<double> x(32);
    for (int32_t j = 0; j < 16; ++j) {
        x[2 * static_cast<size_t>(j)] = std::cos(2 * std::numbers::pi * j / 16);
        x[2 * static_cast<size_t>(j) + 1] = std::sin(2 * std::numbers::pi * j / 16);
    }
    FftForward(x.data(), 16);
    FftPermute(x.data(), 16);
    for (int32_t k = 0; k < 16; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NEAR(x[2 * static_cast<size_t>(k)], k == 1 ? 16.0 : 0.0, 1e-13);
        EXPECT_NEAR(x[2 * static_cast<size_t>(k) + 1], 0.0, 1e-13);
    }
}

TEST(FftPermutation, PermuteAndInversePermuteUndoEachOtherExactly) {
    for (int32_t n = 2; n <= kFftLargestSize; n *= 2) {
        SCOPED_TRACE(n);
        const std::vector<double> x = RandomValues(2 * static_cast<size_t>(n), 13u * n);
        std::vector<double> y = x;
        FftPermute(y.data(), n);
        if (n > 2) {
            EXPECT_NE(y, x);  // size 2 is the identity
        }
        FftInversePermute(y.data(), n);
        EXPECT_EQ(0, std::memcmp(y.data(), x.data(), x.size() * sizeof(double)));
        FftInversePermute(y.data(), n);
        FftPermute(y.data(), n);
        EXPECT_EQ(0, std::memcmp(y.data(), x.data(), x.size() * sizeof(double)));
    }
}

TEST(FftSizes, RoundDownToAPowerOfTwo) {
    struct Case {
        int32_t size;
        int32_t rounded;
    };
    const Case cases[] = {{-5, 0},
                          {0, 0},
                          {1, 1},
                          {15, 8},
                          {16, 16},
                          {17, 16},
                          {100, 64},
                          {32767, 16384},
                          {32768, 32768},
                          {40000, 32768},
                          {INT32_MAX, 1 << 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        EXPECT_EQ(FftRoundDown(c.size), c.rounded);
    }
}

}  // namespace
