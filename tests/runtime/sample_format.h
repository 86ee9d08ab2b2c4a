// Samples as bit patterns, for tests that compare outputs byte for byte and make NaN,
// infinities and denormals on purpose: no floating-point conversion touches them.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

// The word of a sample's size, its exponent field and its quiet-NaN bit, from the type's layout.
template <typename Sample>
struct SampleFormat {
    static_assert(sizeof(Sample) == 4 || sizeof(Sample) == 8);
    static constexpr const char* kName = sizeof(Sample) == 4 ? "float" : "double";
    using Word = std::conditional_t<sizeof(Sample) == 4, uint32_t, uint64_t>;
    static constexpr int kFraction = std::numeric_limits<Sample>::digits - 1;
    static constexpr Word kQuiet = Word{1} << (kFraction - 1);
    static constexpr Word kExponent = ~Word{0} >> 1 & ~((Word{1} << kFraction) - 1);
};

template <typename Sample>
typename SampleFormat<Sample>::Word BitsOf(Sample x) {
    typename SampleFormat<Sample>::Word w;
    std::memcpy(&w, &x, sizeof w);
    return w;
}

template <typename Sample>
Sample FromBits(typename SampleFormat<Sample>::Word w) {
    Sample x;
    std::memcpy(&x, &w, sizeof x);
    return x;
}
