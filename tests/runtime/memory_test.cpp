// Script memory, the number-to-index rule, the zero test, guarded stores and the slider
// accessor.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/script_numbers.h"
#include "tests/runtime/counting_effect.h"

namespace {

TEST(Memory, UnwrittenIndexReadsZeroAndCreatesItsBlock) {
    CountingEffect effect;
    ASSERT_TRUE(effect.blocks.empty());
    EXPECT_EQ(effect.MemoryAt(123456), 0.0);
    ASSERT_EQ(effect.blocks.size(), 1u);
    ASSERT_EQ(effect.blocks.count(1), 1u);
    EXPECT_EQ(effect.blocks.at(1).size(), static_cast<size_t>(CZoltMemory::kBlockSize));
}

TEST(Memory, ResetMakesEveryIndexReadZero) {
    CountingEffect effect;
    const int32_t indexes[] = {0, 1, -1, 65535, 65536, -65537, 7000000, INT32_MIN, INT32_MAX};
    for (int32_t i : indexes) effect.MemoryAt(i) = 1.0 + i % 7;
    effect.Reset();
    EXPECT_TRUE(effect.blocks.empty());
    for (int32_t i : indexes) {
        SCOPED_TRACE(i);
        EXPECT_EQ(effect.MemoryAt(i), 0.0);
    }
}

TEST(Memory, IndexesLandInTheirBlockAndOffset) {
    struct Case {
        int32_t index;
        int32_t block;
        int32_t offset;
    };
    const Case cases[] = {
        {0, 0, 0},       {-1, -1, 65535},     {65535, 0, 65535},      {65536, 1, 0},
        {-65536, -1, 0}, {-65537, -2, 65535}, {INT32_MIN, -32768, 0}, {INT32_MAX, 32767, 65535},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CountingEffect effect;
        double& cell = effect.MemoryAt(c.index);
        cell = 42.5;
        ASSERT_EQ(effect.blocks.size(), 1u);
        ASSERT_EQ(effect.blocks.count(c.block), 1u);
        MemoryBlock& block = effect.blocks.at(c.block);
        ASSERT_EQ(block.size(), static_cast<size_t>(CZoltMemory::kBlockSize));
        EXPECT_EQ(&block[static_cast<size_t>(c.offset)], &cell);
        EXPECT_EQ(block[static_cast<size_t>(c.offset)], 42.5);
    }
}

TEST(Memory, NeighboursAcrossABlockBoundaryAreDistinct) {
    CountingEffect effect;
    effect.MemoryAt(65535) = 1.0;
    effect.MemoryAt(65536) = 2.0;
    EXPECT_EQ(effect.blocks.size(), 2u);
    EXPECT_EQ(effect.MemoryAt(65535), 1.0);
    EXPECT_EQ(effect.MemoryAt(65536), 2.0);
    EXPECT_EQ(effect.MemoryAt(0), 0.0);
    EXPECT_EQ(effect.MemoryAt(131072), 0.0);
}

TEST(Memory, ReferencesStayValidWhileOtherBlocksAreCreated) {
    CountingEffect effect;
    double& kept = effect.MemoryAt(70000);
    kept = 3.25;
    for (int32_t block = -20; block <= 20; ++block) effect.MemoryAt(block * 65536 + 17) = block;
    EXPECT_EQ(&effect.MemoryAt(70000), &kept);
    EXPECT_EQ(kept, 3.25);
}

TEST(ToIndex, NudgesAwayFromZeroThenTruncates) {
    struct Case {
        double x;
        int32_t expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {2.99995, 3},
        {2.9998, 2},
        {-2.99995, -3},
        {-2.9998, -2},
        {0.0, 0},
        {-0.0, 0},
        {-0.00005, 0},
        {0.99995, 1},
        {255.99995, 256},
        {300.0, 300},
        {-1.0, -1},
        {2147483647.0, INT32_MAX},
        {-2147483648.0, INT32_MIN},
        // Outside the int range and NaN: the integer-indefinite value, never undefined.
        {std::nan(""), INT32_MIN},
        {inf, INT32_MIN},
        {-inf, INT32_MIN},
        {1e300, INT32_MIN},
        {-1e300, INT32_MIN},
        {2147483648.0, INT32_MIN},
        {-2147483649.0, INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(ToIndex(c.x), c.expected);
    }
}

TEST(IsNonZero, TreatsTinyMagnitudesAsZeroAndNaNAsNonZero) {
    struct Case {
        double x;
        bool nonZero;
    };
    const Case cases[] = {
        {0.0, false},       {-0.0, false},        {0.000009, false},
        {-0.000009, false}, {0.00001, true},      {-0.00001, true},
        {1.0, true},        {std::nan(""), true}, {std::numeric_limits<double>::infinity(), true},
        {1e-310, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(IsNonZero(c.x), c.nonZero);
    }
}

TEST(GuardedStore, ReplacesNaNAndInfinitiesWithZeroAndKeepsFiniteValues) {
    const double inf = std::numeric_limits<double>::infinity();
    const double denormal = std::numeric_limits<double>::denorm_min() * 12345.0;
    struct Case {
        double value;
        double stored;
    };
    const Case cases[] = {
        {std::nan(""), 0.0}, {inf, 0.0},     {-inf, 0.0},  {denormal, denormal},
        {-1.5, -1.5},        {1e308, 1e308}, {-0.0, -0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        double target = 99.0;
        GuardedStore(target, c.value);
        EXPECT_EQ(target, c.stored);
        EXPECT_EQ(std::signbit(target), std::signbit(c.stored));
    }
}

TEST(SliderAccessor, WrapsComputedNumbersIntoTheArray) {
    struct Case {
        double number;
        int slot;
    };
    const Case cases[] = {
        {0.0, 0},    {1.0, 1},     {127.0, 127}, {128.0, 0},        {-1.0, 127}, {1.99995, 2},
        {1.9998, 1}, {255.0, 127}, {-128.0, 0},  {std::nan(""), 0}, {1e300, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        CountingEffect effect;
        EXPECT_EQ(&effect.SliderAt(c.number), &effect.sliderValues[c.slot]);
    }
}

}  // namespace
