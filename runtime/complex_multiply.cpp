#include "runtime/complex_multiply.h"

#include <cstdint>

#include "runtime/fft_buffer.h"
#include "runtime/vector_path.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define LOTTA_HAS_VECTOR_MULTIPLY 1
#endif

namespace {

enum class Op { kMultiply, kMultiplyAdd };

// True when the n complex values at p and q share memory without being the same values:
// then only the one-at-a-time order gives the defined result.
bool PartlyOverlaps(const double* p, const double* q, int32_t n) {
    if (p == q) return false;
    const auto a = reinterpret_cast<uintptr_t>(p);
    const auto b = reinterpret_cast<uintptr_t>(q);
    const auto bytes = 2 * sizeof(double) * static_cast<uintptr_t>(n);
    return a < b + bytes && b < a + bytes;
}

template <Op kOp>
void MultiplyScalar(double* out, const double* a, const double* b, int32_t n) {
    for (int32_t k = 0; k < 2 * n; k += 2) {
        const double ar = a[k], ai = a[k + 1], br = b[k], bi = b[k + 1];
        const double re = ar * br - ai * bi;
        const double im = ar * bi + ai * br;
        if constexpr (kOp == Op::kMultiplyAdd) {
            out[k] += re;
            out[k + 1] += im;
        } else {
            out[k] = re;
            out[k + 1] = im;
        }
    }
}

#ifdef LOTTA_HAS_VECTOR_MULTIPLY
// Two complex products per step; n is even.
template <Op kOp>
__attribute__((target("avx2,fma"))) void MultiplyVector(double* out, const double* a,
                                                        const double* b, int32_t n) {
    for (int32_t k = 0; k < 2 * n; k += 4) {
        const __m256d va = _mm256_loadu_pd(a + k);
        const __m256d vb = _mm256_loadu_pd(b + k);
        const __m256d re = _mm256_movedup_pd(vb);            // br br
        const __m256d im = _mm256_permute_pd(vb, 0xF);       // bi bi
        const __m256d swapped = _mm256_permute_pd(va, 0x5);  // ai ar
        const __m256d product = _mm256_fmaddsub_pd(va, re, _mm256_mul_pd(swapped, im));
        if constexpr (kOp == Op::kMultiplyAdd) {
            _mm256_storeu_pd(out + k, _mm256_add_pd(_mm256_loadu_pd(out + k), product));
        } else {
            _mm256_storeu_pd(out + k, product);
        }
    }
}
#endif

template <Op kOp>
void Multiply(double* out, const double* a, const double* b, int32_t n) {
    if (n < 2 || n % 2 != 0) return;
#ifdef LOTTA_HAS_VECTOR_MULTIPLY
    if (VectorPathActive() && !PartlyOverlaps(out, a, n) && !PartlyOverlaps(out, b, n)) {
        return MultiplyVector<kOp>(out, a, b, n);
    }
#endif
    MultiplyScalar<kOp>(out, a, b, n);
}

}  // namespace

void ComplexMultiplyInPlace(double* a, const double* b, int32_t n) {
    Multiply<Op::kMultiply>(a, a, b, n);
}

void ComplexMultiply(double* out, const double* a, const double* b, int32_t n) {
    Multiply<Op::kMultiply>(out, a, b, n);
}

void ComplexMultiplyAdd(double* out, const double* a, const double* b, int32_t n) {
    Multiply<Op::kMultiplyAdd>(out, a, b, n);
}

void ConvolveComplex(CZoltMemory& mem, int32_t destIndex, int32_t srcIndex, int32_t count) {
    const int32_t n = count & ~1;
    if (n < 2) return;
    const int64_t doubles = 2 * static_cast<int64_t>(n);
    // Both checks come first: a refused call must not create a block either.
    const int64_t destOffset = destIndex & (CZoltMemory::kBlockSize - 1);
    const int64_t srcOffset = srcIndex & (CZoltMemory::kBlockSize - 1);
    if (destOffset + doubles > CZoltMemory::kBlockSize) return;
    if (srcOffset + doubles > CZoltMemory::kBlockSize) return;
    double* dest = ScriptBuffer(mem, destIndex, doubles);
    const double* src = ScriptBuffer(mem, srcIndex, doubles);
    ComplexMultiplyInPlace(dest, src, n);
}
