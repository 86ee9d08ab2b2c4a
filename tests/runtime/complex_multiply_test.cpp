// The element-wise complex products, on both code paths, and the script operation built on
// them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/complex_multiply.h"
#include "tests/runtime/counting_effect.h"
#include "tests/runtime/transform_reference.h"

namespace {

struct Product {
    double re;
    double im;
};

// (a + bi)(c + di) = (ac - bd) + (ad + bc)i, taken one value at a time.
Product Times(const double* x, const double* y) {
    return {x[0] * y[0] - x[1] * y[1], x[0] * y[1] + x[1] * y[0]};
}

// The vector path fuses a product into the sum: the last bit may differ.
constexpr double kProductTolerance = 1e-15;

class ComplexMultiply : public BothPaths {};
INSTANTIATE_TEST_SUITE_P(Paths, ComplexMultiply, testing::Values(Path::kScalar, Path::kVector),
                         PathName);

TEST_P(ComplexMultiply, EachFunctionOnEvenCounts) {
    for (int32_t n : {2, 4, 6, 1000}) {
        SCOPED_TRACE(n);
        const size_t doubles = 2 * static_cast<size_t>(n);
        const std::vector<double> a = RandomValues(doubles + 2, 41u * n);
        const std::vector<double> b = RandomValues(doubles + 2, 43u * n);
        const std::vector<double> start = RandomValues(doubles + 2, 47u * n);
        std::vector<double> inPlace = a, product = start, sum = start;
        ComplexMultiplyInPlace(inPlace.data(), b.data(), n);
        ::ComplexMultiply(product.data(), a.data(), b.data(), n);
        ComplexMultiplyAdd(sum.data(), a.data(), b.data(), n);
        for (size_t k = 0; k < doubles; k += 2) {
            const Product p = Times(&a[k], &b[k]);
            EXPECT_NEAR(inPlace[k], p.re, kProductTolerance);
            EXPECT_NEAR(inPlace[k + 1], p.im, kProductTolerance);
            EXPECT_NEAR(product[k], p.re, kProductTolerance);
            EXPECT_NEAR(product[k + 1], p.im, kProductTolerance);
            EXPECT_NEAR(sum[k], start[k] + p.re, kProductTolerance);
            EXPECT_NEAR(sum[k + 1], start[k + 1] + p.im, kProductTolerance);
        }
        // The value after the last one is not touched.
        EXPECT_EQ(inPlace[doubles], a[doubles]);
        EXPECT_EQ(product[doubles], start[doubles]);
        EXPECT_EQ(sum[doubles], start[doubles]);
    }
}

TEST_P(ComplexMultiply, OddZeroAndNegativeCountsDoNothing) {
    for (int32_t n : {1, 3, 7, 0, -2}) {
        SCOPED_TRACE(n);
        const std::vector<double> a = RandomValues(16, 51), b = RandomValues(16, 52);
        std::vector<double> inPlace = a, product = b, sum = b;
        ComplexMultiplyInPlace(inPlace.data(), b.data(), n);
        ::ComplexMultiply(product.data(), a.data(), b.data(), n);
        ComplexMultiplyAdd(sum.data(), a.data(), b.data(), n);
        EXPECT_EQ(inPlace, a);
        EXPECT_EQ(product, b);
        EXPECT_EQ(sum, b);
    }
}

// An output that overlaps an input by part gets what one value at a time gives.
TEST_P(ComplexMultiply, OverlappingBuffersActOneValueAtATime) {
    for (int32_t shift : {-2, -1, 0, 1, 2}) {
        SCOPED_TRACE(shift);
        const int32_t n = 8;
        const std::vector<double> b = RandomValues(2 * n, 61);
        std::vector<double> memory = RandomValues(2 * (n + 4), 62);
        std::vector<double> expected = memory;
        double* out = memory.data() + 4 + 2 * shift;
        double* expectedOut = expected.data() + 4 + 2 * shift;
        const double* a = memory.data() + 4;
        for (int32_t k = 0; k < 2 * n; k += 2) {
            const Product p = Times(expected.data() + 4 + k, &b[static_cast<size_t>(k)]);
            expectedOut[k] = p.re;
            expectedOut[k + 1] = p.im;
        }
        ::ComplexMultiply(out, a, b.data(), n);
        for (size_t j = 0; j < memory.size(); ++j) EXPECT_NEAR(memory[j], expected[j], 1e-15) << j;
    }
}

TEST(ConvolveComplex, CountRoundsDownToEvenAndBuffersMustFitTheirBlocks) {
    struct Case {
        int32_t dest;
        int32_t src;
        int32_t count;
        int32_t multiplied;
    };
    const Case cases[] = {
        {0, 1000, 5, 4},      {0, 1000, 4, 4},  {0, 1000, 1, 0},          {0, 1000, 0, 0},
        {0, 1000, -6, 0},     {100, 100, 6, 6}, {65536 - 8, 70000, 4, 4}, {65536 - 7, 70000, 4, 0},
        {0, 65536 - 7, 4, 0}, {0, -8, 4, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dest << " " << c.src << " " << c.count);
        CountingEffect effect;
        const std::vector<double> d = RandomValues(16, 71), s = RandomValues(16, 72);
        for (int32_t j = 0; j < 16 && (c.src & 0xFFFF) + j < 65536; ++j)
            effect.MemoryAt(c.src + j) = s[static_cast<size_t>(j)];
        for (int32_t j = 0; j < 16 && (c.dest & 0xFFFF) + j < 65536; ++j)
            effect.MemoryAt(c.dest + j) = d[static_cast<size_t>(j)];
        const size_t blocks = effect.blocks.size();
        ConvolveComplex(effect, c.dest, c.src, c.count);
        const std::vector<double>& source = c.dest == c.src ? d : s;
        for (int32_t k = 0; k < 8 && (c.dest & 0xFFFF) + 2 * k + 1 < 65536; ++k) {
            SCOPED_TRACE(k);
            const double* before = &d[2 * static_cast<size_t>(k)];
            const Product p = k < c.multiplied ? Times(before, &source[2 * static_cast<size_t>(k)])
                                               : Product{before[0], before[1]};
            EXPECT_NEAR(effect.MemoryAt(c.dest + 2 * k), p.re, kProductTolerance);
            EXPECT_NEAR(effect.MemoryAt(c.dest + 2 * k + 1), p.im, kProductTolerance);
        }
        EXPECT_EQ(effect.blocks.size(), blocks);
    }
}

}  // namespace
