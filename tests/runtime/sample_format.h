// Samples as bit patterns, for tests that compare outputs byte for byte and make NaN,
// infinities and denormals on purpose: no floating-point conversion touches them.
#pragma once

#include <cstdint>
#include <cstring>

template <typename Sample>
struct SampleFormat;
template <>
struct SampleFormat<float> {
    static constexpr const char* kName = "float";
    using Word = uint32_t;
    static constexpr Word kQuiet = 0x00400000u;
    static constexpr Word kExponent = 0x7f800000u;
};
template <>
struct SampleFormat<double> {
    static constexpr const char* kName = "double";
    using Word = uint64_t;
    static constexpr Word kQuiet = 0x0008000000000000ull;
    static constexpr Word kExponent = 0x7ff0000000000000ull;
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
