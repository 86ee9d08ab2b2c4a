// The block moves under the channel router: whole-block copies, guarded copies and fills of
// one length, and the gather of each channel's last sample. The AVX2 ones run only after the
// processor check (VectorPathActive); the library ones anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define LOTTA_CHANNEL_MOVES_X86 1
#include <immintrin.h>
#endif

namespace channel_moves {

// The library's copy and fill, for blocks of any length. Guarded copies go through
// GuardedCopy where their source holds NaN or infinity, and are plain copies elsewhere.
struct LibraryMoves {
    static constexpr bool kGuards = false;
    size_t bytes;
    void Guarded(void*, const void*) const {}
    void Copy(void* out, const void* in) const { std::memcpy(out, in, bytes); }
    void Zero(void* out) const { std::memset(out, 0, bytes); }
};

#if defined(LOTTA_CHANNEL_MOVES_X86)
// Short blocks moved inline in 32-byte steps: at 32 frames a library call per channel costs
// as much in its call and length dispatch as in moving the samples. Runs only after the
// processor check.
#define LOTTA_AVX2 __attribute__((target("avx2")))
constexpr size_t kStep = 32;
LOTTA_AVX2 inline __m256i Load(const void* p, size_t at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(static_cast<const char*>(p) + at));
}
LOTTA_AVX2 inline void Store(void* p, size_t at, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(static_cast<char*>(p) + at), v);
}

// A guarded step: NaN and the infinities (an all-ones exponent) become +0.0, bit for bit.
template <typename Sample>
LOTTA_AVX2 inline __m256i Guard(__m256i v) {
    if constexpr (sizeof(Sample) == 4) {
        const __m256i exponent = _mm256_set1_epi32(0x7f800000);
        return _mm256_andnot_si256(_mm256_cmpeq_epi32(_mm256_and_si256(v, exponent), exponent), v);
    } else {
        const __m256i exponent = _mm256_set1_epi64x(0x7ff0000000000000ll);
        return _mm256_andnot_si256(_mm256_cmpeq_epi64(_mm256_and_si256(v, exponent), exponent), v);
    }
}

// Blocks of 32 to 128 bytes: four steps, the later ones ending at the block's end and
// overlapping the earlier ones where the block is shorter (the buffers are the same or
// further apart than a block, and every load comes before the stores). A guarded copy costs
// these moves no more than a plain one, so its source needs no look for NaN first.
template <typename Sample>
struct Avx2ShortMoves {
    static constexpr size_t kLongest = 4 * kStep;
    static constexpr bool kGuards = true;
    explicit Avx2ShortMoves(size_t bytes)
        : second(bytes >= 2 * kStep ? kStep : 0),
          third(bytes >= 2 * kStep ? bytes - 2 * kStep : 0),
          fourth(bytes - kStep) {}
    template <bool kGuarded = false>
    LOTTA_AVX2 void Copy(void* out, const void* in) const {
        __m256i a = Load(in, 0), b = Load(in, second), c = Load(in, third), d = Load(in, fourth);
        if constexpr (kGuarded)
            a = Guard<Sample>(a), b = Guard<Sample>(b), c = Guard<Sample>(c), d = Guard<Sample>(d);
        Store(out, 0, a), Store(out, second, b), Store(out, third, c), Store(out, fourth, d);
    }
    LOTTA_AVX2 void Guarded(void* out, const void* in) const { Copy<true>(out, in); }
    LOTTA_AVX2 void Zero(void* out) const {
        const __m256i zero = _mm256_setzero_si256();
        Store(out, 0, zero), Store(out, second, zero), Store(out, third, zero),
            Store(out, fourth, zero);
    }
    // A run of copies (writes with out and in addresses), sorted by source: a source is loaded
    // and guarded once for all the writes that read it. No write of a run stores where another
    // of the run reads, so what was loaded stays what the buffer holds for the others.
    template <bool kGuarded, typename Write>
    LOTTA_AVX2 void CopyRun(const Write* w, const Write* end) const {
        uintptr_t loaded = 0;
        __m256i a = _mm256_setzero_si256(), b = a, c = a, d = a;
        for (; w != end; ++w) {
            if (w->in != loaded) {
                const auto* in = reinterpret_cast<const void*>(w->in);
                a = Load(in, 0), b = Load(in, second), c = Load(in, third), d = Load(in, fourth);
                if constexpr (kGuarded)
                    a = Guard<Sample>(a), b = Guard<Sample>(b), c = Guard<Sample>(c),
                    d = Guard<Sample>(d);
                loaded = w->in;
            }
            auto* out = reinterpret_cast<void*>(w->out);
            Store(out, 0, a), Store(out, second, b), Store(out, third, c), Store(out, fourth, d);
        }
    }
    size_t second, third, fourth;
};

// Whether two blocks of 32 bytes or more hold the same bytes: 32 a step, the last step ending
// at the end. For the short arrays a call compares, inline steps cost less than a library call.
LOTTA_AVX2 inline bool SameBytesAvx2(const void* a, const void* b, size_t bytes) {
    __m256i diff = _mm256_xor_si256(Load(a, bytes - kStep), Load(b, bytes - kStep));
    for (size_t at = 0; at + kStep < bytes; at += kStep)
        diff = _mm256_or_si256(diff, _mm256_xor_si256(Load(a, at), Load(b, at)));
    return _mm256_testz_si256(diff, diff) != 0;
}

// Blocks of 128 bytes to 1 KiB: 128 bytes a round, the last round ending at the block's end.
template <typename Sample>
struct Avx2LongMoves {
    static constexpr size_t kLongest = 1024;
    static constexpr bool kGuards = true;
    size_t bytes;
    template <bool kGuarded = false>
    LOTTA_AVX2 void Copy(void* out, const void* in) const {
        const Avx2ShortMoves<Sample> round(4 * kStep);
        size_t j = 0;
        for (; j + 4 * kStep < bytes; j += 4 * kStep) {
            round.template Copy<kGuarded>(static_cast<char*>(out) + j,
                                          static_cast<const char*>(in) + j);
        }
        j = bytes - 4 * kStep;
        round.template Copy<kGuarded>(static_cast<char*>(out) + j,
                                      static_cast<const char*>(in) + j);
    }
    LOTTA_AVX2 void Guarded(void* out, const void* in) const { Copy<true>(out, in); }
    LOTTA_AVX2 void Zero(void* out) const {
        const Avx2ShortMoves<Sample> round(4 * kStep);
        size_t j = 0;
        for (; j + 4 * kStep < bytes; j += 4 * kStep) round.Zero(static_cast<char*>(out) + j);
        round.Zero(static_cast<char*>(out) + bytes - 4 * kStep);
    }
};
#endif

#if defined(LOTTA_CHANNEL_MOVES_X86) && defined(__x86_64__)
// Four channels a step (64-bit addresses in the lanes): their addresses, one gather, the samples
// widened to double and the guarded lanes' NaN and infinities masked to +0.0. Answers how many
// channels it did.
template <typename Sample>
LOTTA_AVX2 int32_t LastValuesAvx2(const uintptr_t* from, const uintptr_t* offsetMask,
                                  const uint64_t* guardMask, uintptr_t at, int32_t channels,
                                  double* last) {
    const __m256i offset = _mm256_set1_epi64x(static_cast<int64_t>(at));
    const __m256i exponent = _mm256_set1_epi64x(0x7ff0000000000000ll);
    int32_t c = 0;
    for (; c + 4 <= channels; c += 4) {
        const __m256i address =
            _mm256_add_epi64(Load(from + c, 0), _mm256_and_si256(offset, Load(offsetMask + c, 0)));
        __m256d value;
        if constexpr (sizeof(Sample) == 4) {
            value = _mm256_cvtps_pd(
                _mm256_i64gather_ps(static_cast<const float*>(nullptr), address, 1));
        } else {
            value = _mm256_i64gather_pd(static_cast<const double*>(nullptr), address, 1);
        }
        const __m256i bits = _mm256_castpd_si256(value);
        const __m256i bad = _mm256_and_si256(
            _mm256_cmpeq_epi64(_mm256_and_si256(bits, exponent), exponent), Load(guardMask + c, 0));
        _mm256_storeu_pd(last + c, _mm256_castsi256_pd(_mm256_andnot_si256(bad, bits)));
    }
    return c;
}
#endif

}  // namespace channel_moves
