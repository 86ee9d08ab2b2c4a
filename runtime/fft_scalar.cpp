// The plain C++ split-radix transform. The forward pass is decimation in frequency: one
// butterfly pass over the whole block, then the first half and the two last quarters are
// transformed on their own, which leaves the bins in the transform's own slot order. The
// inverse is its transpose: the parts first, then the butterflies.
#include "runtime/fft_kernels.h"
#include "runtime/fft_tables.h"

namespace {

constexpr double kSqrtHalf = 0.70710678118654752440;
constexpr double kCosEighthPi = 0.92387953251128675613;
constexpr double kSinEighthPi = 0.38268343236508977173;

// One forward butterfly on the complex values at a, b, c, d (a quarter apart), twiddle w.
inline void ForwardButterfly(double* a, double* b, double* c, double* d, double wr, double wi) {
    const double ar = a[0], ai = a[1], br = b[0], bi = b[1];
    const double cr = c[0], ci = c[1], dr = d[0], di = d[1];
    a[0] = ar + cr;
    a[1] = ai + ci;
    b[0] = br + dr;
    b[1] = bi + di;
    const double ur = ar - cr, ui = ai - ci, vr = br - dr, vi = bi - di;
    const double pr = ur - vi, pi = ui + vr;  // (a - c) + i(b - d), times w
    c[0] = pr * wr - pi * wi;
    c[1] = pr * wi + pi * wr;
    const double mr = ur + vi, mi = ui - vr;  // (a - c) - i(b - d), times conj(w)
    d[0] = mr * wr + mi * wi;
    d[1] = mi * wr - mr * wi;
}

// The same with w = 1.
inline void ForwardButterflyUnit(double* a, double* b, double* c, double* d) {
    const double ar = a[0], ai = a[1], br = b[0], bi = b[1];
    const double cr = c[0], ci = c[1], dr = d[0], di = d[1];
    a[0] = ar + cr;
    a[1] = ai + ci;
    b[0] = br + dr;
    b[1] = bi + di;
    const double ur = ar - cr, ui = ai - ci, vr = br - dr, vi = bi - di;
    c[0] = ur - vi;
    c[1] = ui + vr;
    d[0] = ur + vi;
    d[1] = ui - vr;
}

inline void InverseButterfly(double* a, double* b, double* c, double* d, double wr, double wi) {
    const double ar = a[0], ai = a[1], br = b[0], bi = b[1];
    const double cr = c[0] * wr + c[1] * wi, ci = c[1] * wr - c[0] * wi;  // c conj(w)
    const double dr = d[0] * wr - d[1] * wi, di = d[0] * wi + d[1] * wr;  // d w
    const double sr = cr + dr, si = ci + di, tr = cr - dr, ti = ci - di;
    a[0] = ar + sr;
    a[1] = ai + si;
    c[0] = ar - sr;
    c[1] = ai - si;
    b[0] = br + ti;  // b - i(c - d)
    b[1] = bi - tr;
    d[0] = br - ti;  // b + i(c - d)
    d[1] = bi + tr;
}

inline void InverseButterflyUnit(double* a, double* b, double* c, double* d) {
    const double ar = a[0], ai = a[1], br = b[0], bi = b[1];
    const double sr = c[0] + d[0], si = c[1] + d[1], tr = c[0] - d[0], ti = c[1] - d[1];
    a[0] = ar + sr;
    a[1] = ai + si;
    c[0] = ar - sr;
    c[1] = ai - si;
    b[0] = br + ti;
    b[1] = bi - tr;
    d[0] = br - ti;
    d[1] = bi + tr;
}

// Two points: the same both ways.
inline void Transform2(double* x) {
    const double ar = x[0], ai = x[1], br = x[2], bi = x[3];
    x[0] = ar + br;
    x[1] = ai + bi;
    x[2] = ar - br;
    x[3] = ai - bi;
}

inline void Forward4(double* x) {
    ForwardButterflyUnit(x, x + 2, x + 4, x + 6);
    Transform2(x);
}

inline void Forward8(double* x) {
    ForwardButterflyUnit(x, x + 4, x + 8, x + 12);
    ForwardButterfly(x + 2, x + 6, x + 10, x + 14, kSqrtHalf, kSqrtHalf);
    Forward4(x);
    Transform2(x + 8);
    Transform2(x + 12);
}

inline void Forward16(double* x) {
    ForwardButterflyUnit(x, x + 8, x + 16, x + 24);
    ForwardButterfly(x + 2, x + 10, x + 18, x + 26, kCosEighthPi, kSinEighthPi);
    ForwardButterfly(x + 4, x + 12, x + 20, x + 28, kSqrtHalf, kSqrtHalf);
    ForwardButterfly(x + 6, x + 14, x + 22, x + 30, kSinEighthPi, kCosEighthPi);
    Forward8(x);
    Forward4(x + 16);
    Forward4(x + 24);
}

inline void Inverse4(double* x) {
    Transform2(x);
    InverseButterflyUnit(x, x + 2, x + 4, x + 6);
}

inline void Inverse8(double* x) {
    Inverse4(x);
    Transform2(x + 8);
    Transform2(x + 12);
    InverseButterflyUnit(x, x + 4, x + 8, x + 12);
    InverseButterfly(x + 2, x + 6, x + 10, x + 14, kSqrtHalf, kSqrtHalf);
}

inline void Inverse16(double* x) {
    Inverse8(x);
    Inverse4(x + 16);
    Inverse4(x + 24);
    InverseButterflyUnit(x, x + 8, x + 16, x + 24);
    InverseButterfly(x + 2, x + 10, x + 18, x + 26, kCosEighthPi, kSinEighthPi);
    InverseButterfly(x + 4, x + 12, x + 20, x + 28, kSqrtHalf, kSqrtHalf);
    InverseButterfly(x + 6, x + 14, x + 22, x + 30, kSinEighthPi, kCosEighthPi);
}

// x holds n complex values; q is a quarter of them, in doubles n / 2. twiddles[s] is the
// table of size 32 << s.
void Forward(double* x, int32_t n, const double* const* twiddles, int32_t s) {
    switch (n) {
        case 1:
            return;
        case 2:
            return Transform2(x);
        case 4:
            return Forward4(x);
        case 8:
            return Forward8(x);
        case 16:
            return Forward16(x);
        default:
            break;
    }
    const double* w = twiddles[s];
    const int32_t q = n / 2;
    ForwardButterflyUnit(x, x + q, x + 2 * q, x + 3 * q);
    for (int32_t j = 2; j < q; j += 2) {
        ForwardButterfly(x + j, x + q + j, x + 2 * q + j, x + 3 * q + j, w[j], w[j + 1]);
    }
    Forward(x, n / 2, twiddles, s - 1);
    Forward(x + 2 * q, n / 4, twiddles, s - 2);
    Forward(x + 3 * q, n / 4, twiddles, s - 2);
}

void Inverse(double* x, int32_t n, const double* const* twiddles, int32_t s) {
    switch (n) {
        case 1:
            return;
        case 2:
            return Transform2(x);
        case 4:
            return Inverse4(x);
        case 8:
            return Inverse8(x);
        case 16:
            return Inverse16(x);
        default:
            break;
    }
    const int32_t q = n / 2;
    Inverse(x, n / 2, twiddles, s - 1);
    Inverse(x + 2 * q, n / 4, twiddles, s - 2);
    Inverse(x + 3 * q, n / 4, twiddles, s - 2);
    const double* w = twiddles[s];
    InverseButterflyUnit(x, x + q, x + 2 * q, x + 3 * q);
    for (int32_t j = 2; j < q; j += 2) {
        InverseButterfly(x + j, x + q + j, x + 2 * q + j, x + 3 * q + j, w[j], w[j + 1]);
    }
}

// The table step of size n (only used from 32 on).
int32_t SizeStep(int32_t n) {
    int32_t s = 0;
    while ((kFftSmallestTwiddleSize << s) < n) ++s;
    return s;
}

}  // namespace

void FftForwardScalar(double* x, int32_t n) {
    Forward(x, n, FftTwiddleTables(), SizeStep(n));
}

void FftInverseScalar(double* x, int32_t n) {
    Inverse(x, n, FftTwiddleTables(), SizeStep(n));
}
