// The FFT as script code reaches it: a buffer in script memory, a size that rounds down, a
// mode, and every out-of-range case doing nothing.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "runtime/fft.h"
#include "tests/runtime/counting_effect.h"
#include "tests/runtime/transform_reference.h"

namespace {

void Fill(CountingEffect& effect, int32_t index, const std::vector<double>& values) {
    for (size_t j = 0; j < values.size(); ++j) {
        effect.MemoryAt(index + static_cast<int32_t>(j)) = values[j];
    }
}

std::vector<double> Read(CountingEffect& effect, int32_t index, size_t count) {
    std::vector<double> values(count);
    for (size_t j = 0; j < count; ++j) values[j] = effect.MemoryAt(index + static_cast<int32_t>(j));
    return values;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(FftTransform, SizeRoundsDownAndOnlyThoseValuesChange) {
    struct Case {
        int32_t size;
        int32_t transformed;
    };
    const Case cases[] = {{16, 16}, {17, 16}, {100, 64}, {1023, 512}, {40000, 32768}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        CountingEffect effect;
        const int32_t index = 2 * 65536;  // a block start: 32768 values fill it
        const std::vector<double> x = RandomValues(2 * static_cast<size_t>(c.size) + 8, c.size);
        Fill(effect, index, x);
        FftTransform(effect, index, c.size, kFftForward);
        std::vector<double> expected = x;
        FftForward(expected.data(), c.transformed);
        EXPECT_TRUE(SameBits(Read(effect, index, x.size()), expected));
    }
}

TEST(FftTransform, EachModeRunsItsPass) {
    struct Case {
        int32_t mode;
        void (*pass)(double*, int32_t);
    };
    const Case cases[] = {{kFftForward, FftForward},
                          {kFftInverse, FftInverse},
                          {kFftPermute, FftPermute},
                          {kFftInversePermute, FftInversePermute}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        CountingEffect effect;
        const std::vector<double> x = RandomValues(2 * 256, 99);
        Fill(effect, 0, x);
        FftTransform(effect, 0, 256, c.mode);
        std::vector<double> expected = x;
        c.pass(expected.data(), 256);
        EXPECT_TRUE(SameBits(Read(effect, 0, x.size()), expected));
        EXPECT_FALSE(SameBits(expected, x));
    }
}

TEST(FftTransform, OutOfRangeSizesAndUnknownModesDoNothing) {
    struct Case {
        int32_t size;
        int32_t mode;
    };
    const Case cases[] = {{8, kFftForward},
                          {15, kFftInverse},
                          {0, kFftForward},
                          {-64, kFftForward},
                          {65536, kFftForward},
                          {INT32_MAX, kFftPermute},
                          {INT32_MIN, kFftForward},
                          {64, 2},
                          {64, 3},
                          {64, 6},
                          {64, -1},
                          {64, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " mode " << c.mode);
        CountingEffect effect;
        const std::vector<double> x = RandomValues(2 * 1024, 5);
        Fill(effect, 0, x);
        FftTransform(effect, 0, c.size, c.mode);
        EXPECT_TRUE(SameBits(Read(effect, 0, x.size()), x));
    }
}

// A buffer must lie inside one memory block: one that would run past the block's end is
// left alone, and the next block is not created.
TEST(FftTransform, BufferCrossingABlockEndIsRefused) {
    struct Case {
        int32_t index;
        bool runs;
    };
    const int32_t doubles = 2 * 1024;
    const Case cases[] = {
        {65536 - doubles, true}, {65536 - doubles + 1, false},    {65535, false},
        {-doubles, true},        {-doubles + 2, false},           {3 * 65536, true},
        {INT32_MIN, true},       {INT32_MAX - doubles + 1, true}, {INT32_MAX - doubles + 2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CountingEffect effect;
        const int32_t block = c.index >> 16;
        effect.MemoryAt(c.index) = 1.0;  // an impulse: every slot becomes 1 when it runs
        FftTransform(effect, c.index, 1024, kFftForward);
        EXPECT_EQ(effect.blocks.size(), 1u);
        EXPECT_EQ(effect.blocks.count(block), 1u);
        const MemoryBlock& memory = effect.blocks.at(block);
        const auto offset = static_cast<size_t>(c.index & 0xFFFF);
        EXPECT_EQ(memory[offset], 1.0);
        if (offset + 2 < memory.size()) {
            EXPECT_EQ(memory[offset + 2], c.runs ? 1.0 : 0.0);
        }
    }
}

}  // namespace
