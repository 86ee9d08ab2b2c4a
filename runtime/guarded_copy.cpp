#include "runtime/guarded_copy.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "runtime/vector_path.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define LOTTA_GUARDED_COPY_X86 1
#include <immintrin.h>
#endif

namespace {

// An all-ones exponent marks NaN and the infinities.
template <typename Sample>
struct Bits;
template <>
struct Bits<float> {
    using Word = uint32_t;
    static constexpr Word kExponent = 0x7f800000u;
};
template <>
struct Bits<double> {
    using Word = uint64_t;
    static constexpr Word kExponent = 0x7ff0000000000000ull;
};

template <typename Sample>
void CopyScalar(Sample* out, const Sample* in, int32_t from, int32_t frames) {
    using Word = typename Bits<Sample>::Word;
    for (int32_t j = from; j < frames; ++j) {
        Word bits;
        std::memcpy(&bits, in + j, sizeof bits);
        if ((bits & Bits<Sample>::kExponent) == Bits<Sample>::kExponent) bits = 0;
        std::memcpy(out + j, &bits, sizeof bits);
    }
}

template <typename Sample>
bool FindScalar(const Sample* in, int32_t from, int32_t frames) {
    using Word = typename Bits<Sample>::Word;
    Word found = 0;
    for (int32_t j = from; j < frames; ++j) {
        Word bits;
        std::memcpy(&bits, in + j, sizeof bits);
        found |= (bits & Bits<Sample>::kExponent) == Bits<Sample>::kExponent;
    }
    return found != 0;
}

#if defined(__SSE2__)
// The baseline: every x86-64 processor and the 32-bit builds (compiled with SSE2) have it.
// Each returns how many frames it did; the scalar loop finishes the rest.
int32_t CopySse2(float* out, const float* in, int32_t frames) {
    const __m128i exponent = _mm_set1_epi32(0x7f800000);
    int32_t j = 0;
    for (; j + 4 <= frames; j += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + j));
        const __m128i bad = _mm_cmpeq_epi32(_mm_and_si128(v, exponent), exponent);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_andnot_si128(bad, v));
    }
    return j;
}

int32_t CopySse2(double* out, const double* in, int32_t frames) {
    // SSE2 compares 32-bit lanes only: test the upper half of each double (the lower half of
    // the mask is 0, so its lane always matches), then spread that lane over both halves.
    const __m128i exponent = _mm_set_epi32(0x7ff00000, 0, 0x7ff00000, 0);
    int32_t j = 0;
    for (; j + 2 <= frames; j += 2) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + j));
        __m128i bad = _mm_cmpeq_epi32(_mm_and_si128(v, exponent), exponent);
        bad = _mm_shuffle_epi32(bad, _MM_SHUFFLE(3, 3, 1, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_andnot_si128(bad, v));
    }
    return j;
}

// Both precisions at once, over bytes: a NaN or infinity has an all-ones exponent, so after
// masking some 32-bit lane equals the mask (`high` is the mask of the lanes that hold one: all
// lanes for floats, the upper halves for doubles). Answers -1 when it found one, otherwise
// how many bytes it looked at.
int32_t FindSse2(const void* in, int32_t bytes, int32_t low, int32_t high) {
    const auto* p = static_cast<const char*>(in);
    const __m128i mask = _mm_set_epi32(high, low, high, low);
    __m128i found = _mm_setzero_si128();
    int32_t j = 0;
    for (; j + 16 <= bytes; j += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j));
        const __m128i hit = _mm_cmpeq_epi32(_mm_and_si128(v, mask), mask);
        found = _mm_or_si128(found, _mm_and_si128(hit, mask));
    }
    return _mm_movemask_epi8(found) ? -1 : j;
}
#endif

#if defined(LOTTA_GUARDED_COPY_X86)
// Runs only after the processor check. Two registers per step keep two stores in flight.
__attribute__((target("avx2"))) int32_t CopyAvx2(float* out, const float* in, int32_t frames) {
    const __m256i exponent = _mm256_set1_epi32(0x7f800000);
    int32_t j = 0;
    for (; j + 16 <= frames; j += 16) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + j));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + j + 8));
        const __m256i badA = _mm256_cmpeq_epi32(_mm256_and_si256(a, exponent), exponent);
        const __m256i badB = _mm256_cmpeq_epi32(_mm256_and_si256(b, exponent), exponent);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_andnot_si256(badA, a));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j + 8), _mm256_andnot_si256(badB, b));
    }
    for (; j + 8 <= frames; j += 8) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + j));
        const __m256i bad = _mm256_cmpeq_epi32(_mm256_and_si256(a, exponent), exponent);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_andnot_si256(bad, a));
    }
    return j;
}

__attribute__((target("avx2"))) int32_t CopyAvx2(double* out, const double* in, int32_t frames) {
    const __m256i exponent = _mm256_set1_epi64x(0x7ff0000000000000ll);
    int32_t j = 0;
    for (; j + 8 <= frames; j += 8) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + j));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + j + 4));
        const __m256i badA = _mm256_cmpeq_epi64(_mm256_and_si256(a, exponent), exponent);
        const __m256i badB = _mm256_cmpeq_epi64(_mm256_and_si256(b, exponent), exponent);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_andnot_si256(badA, a));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j + 4), _mm256_andnot_si256(badB, b));
    }
    for (; j + 4 <= frames; j += 4) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + j));
        const __m256i bad = _mm256_cmpeq_epi64(_mm256_and_si256(a, exponent), exponent);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_andnot_si256(bad, a));
    }
    return j;
}

// As FindSse2.
__attribute__((target("avx2"))) int32_t FindAvx2(const void* in, int32_t bytes, int32_t low,
                                                 int32_t high) {
    const auto* p = static_cast<const char*>(in);
    const __m256i mask = _mm256_set_epi32(high, low, high, low, high, low, high, low);
    __m256i found = _mm256_setzero_si256();
    int32_t j = 0;
    for (; j + 64 <= bytes; j += 64) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + j));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + j + 32));
        const __m256i hitA = _mm256_cmpeq_epi32(_mm256_and_si256(a, mask), mask);
        const __m256i hitB = _mm256_cmpeq_epi32(_mm256_and_si256(b, mask), mask);
        found = _mm256_or_si256(found, _mm256_and_si256(_mm256_or_si256(hitA, hitB), mask));
    }
    return _mm256_testz_si256(found, found) ? j : -1;
}
#endif

template <typename Sample>
bool Find(const Sample* in, int32_t frames) {
    int32_t done = 0;
#if defined(LOTTA_GUARDED_COPY_X86) || defined(__SSE2__)
    // The vector loops count bytes in 32 bits: they look at the first 2^31 - 64 at most.
    const int32_t bytes = static_cast<int32_t>(
        std::min<int64_t>(int64_t{frames} * int64_t{sizeof(Sample)}, int64_t{INT32_MAX} - 63));
    const int32_t low = sizeof(Sample) == 4 ? 0x7f800000 : 0;
    const int32_t high = sizeof(Sample) == 4 ? 0x7f800000 : 0x7ff00000;
    int32_t looked = 0;
#endif
#if defined(LOTTA_GUARDED_COPY_X86)
    if (VectorPathActive()) {
        looked = FindAvx2(in, bytes, low, high);
    } else
#endif
    {
#if defined(__SSE2__)
        looked = FindSse2(in, bytes, low, high);
#endif
    }
#if defined(LOTTA_GUARDED_COPY_X86) || defined(__SSE2__)
    if (looked < 0) return true;
    done = looked / static_cast<int32_t>(sizeof(Sample));
#endif
    return FindScalar(in, done, frames);
}

template <typename Sample>
void Copy(Sample* out, const Sample* in, int32_t frames) {
    int32_t done = 0;
#if defined(LOTTA_GUARDED_COPY_X86)
    if (VectorPathActive()) {
        done = CopyAvx2(out, in, frames);
        CopyScalar(out, in, done, frames);
        return;
    }
#endif
#if defined(__SSE2__)
    done = CopySse2(out, in, frames);
#endif
    CopyScalar(out, in, done, frames);
}

}  // namespace

void GuardedCopy(float* out, const float* in, int32_t frames) {
    Copy(out, in, frames);
}

void GuardedCopy(double* out, const double* in, int32_t frames) {
    Copy(out, in, frames);
}

bool AnyNonFinite(const float* in, int32_t frames) {
    return Find(in, frames);
}

bool AnyNonFinite(const double* in, int32_t frames) {
    return Find(in, frames);
}
