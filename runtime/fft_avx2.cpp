// The AVX2/FMA transform. Each 256-bit register holds two complex values, real part first.
// From 32 points up it runs the same split-radix recursion as the plain path, depth first,
// two butterflies per step. The 16- and 8-point leaves compute their DFT as 4 x 4 (2 x 4)
// points, which keeps both halves of every register busy, and write the bins straight into
// their slots; no pass reorders anything.
#include "runtime/fft_kernels.h"
#include "runtime/fft_tables.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

#include <immintrin.h>

// Everything below runs only after the processor check, so it may use AVX2 and FMA. The
// library headers stay above this line: none of their code is built for AVX2.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif

namespace {

using V = __m256d;

inline V Load(const double* p) {
    return _mm256_loadu_pd(p);
}
inline void Store(double* p, V v) {
    _mm256_storeu_pd(p, v);
}
inline V Add(V a, V b) {
    return _mm256_add_pd(a, b);
}
inline V Sub(V a, V b) {
    return _mm256_sub_pd(a, b);
}
inline V Swap(V v) {
    return _mm256_permute_pd(v, 0x5);
}
inline V PlusI(V u, V v) {  // u + iv
    return _mm256_addsub_pd(u, Swap(v));
}
inline V MinusI(V u, V v) {  // u - iv; the product with 1 is exact
    return _mm256_fmsubadd_pd(u, _mm256_set1_pd(1.0), Swap(v));
}
inline V Low(V a, V b) {  // [a0, b0]
    return _mm256_permute2f128_pd(a, b, 0x20);
}
inline V High(V a, V b) {  // [a1, b1]
    return _mm256_permute2f128_pd(a, b, 0x31);
}
template <int kSelect>  // any two halves: 0x30 [a0, b1], 0x21 [a1, b0]
inline V Halves(V a, V b) {
    return _mm256_permute2f128_pd(a, b, kSelect);
}
// A twiddle pair as the products need it: real parts and imaginary parts duplicated.
struct Twiddle {
    V re;
    V im;
};
// From the (cos, sin) table at entry k: the twiddles of k and k + 1.
inline Twiddle LoadTwiddle(const double* t) {
    return {_mm256_movedup_pd(_mm256_loadu_pd(t)), _mm256_movedup_pd(_mm256_loadu_pd(t + 1))};
}
inline Twiddle ConstTwiddle(double r0, double i0, double r1, double i1) {
    return {_mm256_setr_pd(r0, r0, r1, r1), _mm256_setr_pd(i0, i0, i1, i1)};
}
inline V Mul(V z, Twiddle w) {  // z w
    return _mm256_fmaddsub_pd(z, w.re, _mm256_mul_pd(Swap(z), w.im));
}
inline V MulConj(V z, Twiddle w) {  // z conj(w)
    return _mm256_fmsubadd_pd(z, w.re, _mm256_mul_pd(Swap(z), w.im));
}

// Four-point DFT with the positive exponent, lane by lane.
inline void Dft4(V& a, V& b, V& c, V& d) {
    const V s = Add(a, c), t = Add(b, d), u = Sub(a, c), v = Sub(b, d);
    a = Add(s, t);
    c = Sub(s, t);
    b = PlusI(u, v);
    d = MinusI(u, v);
}

constexpr double kSqrtHalf = 0.70710678118654752440;
constexpr double kCos1 = 0.92387953251128675613;  // cos(π/8)
constexpr double kSin1 = 0.38268343236508977173;  // sin(π/8)

// 16-point DFT, positive exponent. r0 ... r7 hold points 2j and 2j + 1 on entry, bins 2j
// and 2j + 1 on return. Points n = 4 n1 + n2, bins k = k1 + 4 k2. Named registers, not an
// array: GCC copies a local array of vectors through the stack.
inline void Dft16(V& r0, V& r1, V& r2, V& r3, V& r4, V& r5, V& r6, V& r7) {
    // Over n1 for n2 = 0, 1 (even registers) and n2 = 2, 3 (odd registers).
    Dft4(r0, r2, r4, r6);
    Dft4(r1, r3, r5, r7);
    // Times w^(n2 k1), w = e^(2πi/16); register 2 k1 holds n2 = 0, 1 and 2 k1 + 1 n2 = 2, 3.
    r2 = Mul(r2, ConstTwiddle(1, 0, kCos1, kSin1));
    r3 = Mul(r3, ConstTwiddle(kSqrtHalf, kSqrtHalf, kSin1, kCos1));
    r4 = Mul(r4, ConstTwiddle(1, 0, kSqrtHalf, kSqrtHalf));
    r5 = Mul(r5, ConstTwiddle(0, 1, -kSqrtHalf, kSqrtHalf));
    r6 = Mul(r6, ConstTwiddle(1, 0, kSin1, kCos1));
    r7 = Mul(r7, ConstTwiddle(-kSqrtHalf, kSqrtHalf, -kCos1, -kSin1));
    // Regroup so that each register holds two k1 of one n2, then over n2.
    V a0 = Low(r0, r2), a1 = High(r0, r2), a2 = Low(r1, r3), a3 = High(r1, r3);
    V b0 = Low(r4, r6), b1 = High(r4, r6), b2 = Low(r5, r7), b3 = High(r5, r7);
    Dft4(a0, a1, a2, a3);
    Dft4(b0, b1, b2, b3);
    r0 = a0;
    r1 = b0;
    r2 = a1;
    r3 = b1;
    r4 = a2;
    r5 = b2;
    r6 = a3;
    r7 = b3;
}

// 8-point DFT, positive exponent, same layout. Points n = 4 n1 + n2, bins k = k1 + 2 k2.
inline void Dft8(V& r0, V& r1, V& r2, V& r3) {
    const V y0 = Add(r0, r2), y1 = Sub(r0, r2);
    const V z0 = Add(r1, r3), z1 = Sub(r1, r3);
    const V t1 = Mul(y1, ConstTwiddle(1, 0, kSqrtHalf, kSqrtHalf));
    const V u1 = Mul(z1, ConstTwiddle(0, 1, -kSqrtHalf, kSqrtHalf));
    r0 = Low(y0, t1);
    r1 = High(y0, t1);
    r2 = Low(z0, u1);
    r3 = High(z0, u1);
    Dft4(r0, r1, r2, r3);
}

// Leaves: natural order in, own order out (forward), and the reverse for the inverse. Each
// pair of neighbouring slots holds bins k and k + n/2 (forward order; the inverse order
// holds their negatives, also n/2 apart), so a leaf moves whole registers and only regroups
// their halves. The tests check every slot against the DFT.

// Slots 0 ... 15 hold bins 0 8 4 12 2 10 14 6 1 9 5 13 15 7 3 11.
inline void Forward16(double* x) {
    V r0 = Load(x), r1 = Load(x + 4), r2 = Load(x + 8), r3 = Load(x + 12);
    V r4 = Load(x + 16), r5 = Load(x + 20), r6 = Load(x + 24), r7 = Load(x + 28);
    Dft16(r0, r1, r2, r3, r4, r5, r6, r7);
    Store(x, Low(r0, r4));        // 0 8
    Store(x + 4, Low(r2, r6));    // 4 12
    Store(x + 8, Low(r1, r5));    // 2 10
    Store(x + 12, Low(r7, r3));   // 14 6
    Store(x + 16, High(r0, r4));  // 1 9
    Store(x + 20, High(r2, r6));  // 5 13
    Store(x + 24, High(r7, r3));  // 15 7
    Store(x + 28, High(r1, r5));  // 3 11
}

// Slots 0 ... 15 hold bins 0 8 12 4 14 6 2 10 15 7 11 3 1 9 13 5.
inline void Inverse16(double* x) {
    const V s0 = Load(x), s1 = Load(x + 4), s2 = Load(x + 8), s3 = Load(x + 12);
    const V s4 = Load(x + 16), s5 = Load(x + 20), s6 = Load(x + 24), s7 = Load(x + 28);
    V r0 = Low(s0, s6), r4 = High(s0, s6);                   // 0 1, 8 9
    V r1 = Halves<0x30>(s3, s5), r5 = Halves<0x21>(s3, s5);  // 2 3, 10 11
    V r2 = High(s1, s7), r6 = Low(s1, s7);                   // 4 5, 12 13
    V r3 = High(s2, s4), r7 = Low(s2, s4);                   // 6 7, 14 15
    Dft16(r0, r1, r2, r3, r4, r5, r6, r7);
    Store(x, r0);
    Store(x + 4, r1);
    Store(x + 8, r2);
    Store(x + 12, r3);
    Store(x + 16, r4);
    Store(x + 20, r5);
    Store(x + 24, r6);
    Store(x + 28, r7);
}

// Slots 0 ... 7 hold bins 0 4 2 6 1 5 7 3.
inline void Forward8(double* x) {
    V r0 = Load(x), r1 = Load(x + 4), r2 = Load(x + 8), r3 = Load(x + 12);
    Dft8(r0, r1, r2, r3);
    Store(x, Low(r0, r2));        // 0 4
    Store(x + 4, Low(r1, r3));    // 2 6
    Store(x + 8, High(r0, r2));   // 1 5
    Store(x + 12, High(r3, r1));  // 7 3
}

// Slots 0 ... 7 hold bins 0 4 6 2 7 3 1 5.
inline void Inverse8(double* x) {
    const V s0 = Load(x), s1 = Load(x + 4), s2 = Load(x + 8), s3 = Load(x + 12);
    V r0 = Low(s0, s3), r2 = High(s0, s3);  // 0 1, 4 5
    V r1 = High(s1, s2), r3 = Low(s1, s2);  // 2 3, 6 7
    Dft8(r0, r1, r2, r3);
    Store(x, r0);
    Store(x + 4, r1);
    Store(x + 8, r2);
    Store(x + 12, r3);
}

// The butterfly passes of an n-point block (n >= 32); q is a quarter of it in doubles.
inline void ForwardButterflies(double* x, int32_t n, const double* w) {
    const int32_t q = n / 2;
    double* a = x;
    double* b = x + q;
    double* c = x + 2 * q;
    double* d = x + 3 * q;
    for (int32_t j = 0; j < q; j += 4) {
        const V va = Load(a + j), vb = Load(b + j), vc = Load(c + j), vd = Load(d + j);
        Store(a + j, Add(va, vc));
        Store(b + j, Add(vb, vd));
        const V u = Sub(va, vc), v = Sub(vb, vd);
        const Twiddle t = LoadTwiddle(w + j);
        Store(c + j, Mul(PlusI(u, v), t));
        Store(d + j, MulConj(MinusI(u, v), t));
    }
}

inline void InverseButterflies(double* x, int32_t n, const double* w) {
    const int32_t q = n / 2;
    double* a = x;
    double* b = x + q;
    double* c = x + 2 * q;
    double* d = x + 3 * q;
    for (int32_t j = 0; j < q; j += 4) {
        const Twiddle t = LoadTwiddle(w + j);
        const V va = Load(a + j), vb = Load(b + j);
        const V vc = MulConj(Load(c + j), t), vd = Mul(Load(d + j), t);
        const V s = Add(vc, vd), u = Sub(vc, vd);
        Store(a + j, Add(va, s));
        Store(c + j, Sub(va, s));
        Store(b + j, MinusI(vb, u));
        Store(d + j, PlusI(vb, u));
    }
}

inline void Forward32(double* x, const double* w32) {
    ForwardButterflies(x, 32, w32);
    Forward16(x);
    Forward8(x + 32);
    Forward8(x + 48);
}

inline void Inverse32(double* x, const double* w32) {
    Inverse16(x);
    Inverse8(x + 32);
    Inverse8(x + 48);
    InverseButterflies(x, 32, w32);
}

// twiddles[s] is the table of size 32 << s.
void Forward(double* x, int32_t n, const double* const* twiddles, int32_t s) {
    if (n == 32) return Forward32(x, twiddles[0]);
    if (n == 16) return Forward16(x);
    ForwardButterflies(x, n, twiddles[s]);
    Forward(x, n / 2, twiddles, s - 1);
    Forward(x + n, n / 4, twiddles, s - 2);
    Forward(x + n + n / 2, n / 4, twiddles, s - 2);
}

void Inverse(double* x, int32_t n, const double* const* twiddles, int32_t s) {
    if (n == 32) return Inverse32(x, twiddles[0]);
    if (n == 16) return Inverse16(x);
    Inverse(x, n / 2, twiddles, s - 1);
    Inverse(x + n, n / 4, twiddles, s - 2);
    Inverse(x + n + n / 2, n / 4, twiddles, s - 2);
    InverseButterflies(x, n, twiddles[s]);
}

int32_t SizeStep(int32_t n) {
    int32_t s = 0;
    while ((kFftSmallestTwiddleSize << s) < n) ++s;
    return s;
}

}  // namespace

void FftForwardVector(double* x, int32_t n) {
    if (n == 16) return Forward16(x);
    if (n < 16) return FftForwardScalar(x, n);
    Forward(x, n, FftTwiddleTables(), SizeStep(n));
}

void FftInverseVector(double* x, int32_t n) {
    if (n == 16) return Inverse16(x);
    if (n < 16) return FftInverseScalar(x, n);
    Inverse(x, n, FftTwiddleTables(), SizeStep(n));
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#else

void FftForwardVector(double* x, int32_t n) {
    FftForwardScalar(x, n);
}

void FftInverseVector(double* x, int32_t n) {
    FftInverseScalar(x, n);
}

#endif
