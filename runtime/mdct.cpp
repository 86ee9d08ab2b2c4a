// Above 32 points the MDCT folds the windowed samples into a DCT-IV of N/2 points, and the
// DCT-IV runs as an N/4-point complex FFT between two twiddle passes. The inverse is the
// transpose: the same DCT-IV (it is its own transpose), then the unfolding.
#include "runtime/mdct.h"

#include <array>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <numbers>
#include <vector>

#include "runtime/fft.h"
#include "runtime/fft_buffer.h"
#include "runtime/fft_tables.h"
#include "runtime/unit_circle.h"

namespace {

constexpr int32_t kSetupCount = 8;  // 32 ... 4096

struct MdctSetup {
    explicit MdctSetup(int32_t log2Size);

    int32_t n;
    int32_t log2n;
    double scale;                 // 4/N
    std::vector<double> window;   // N/2 entries
    std::vector<double> cosines;  // N = 32 only: c(j, k) at j * N/2 + k
    // N > 32: e^(-iπ(m + 1/8)/(N/2)) for m < N/4, as (re, im); the twiddles before and
    // after the FFT are the same.
    std::vector<double> twiddles;
};

MdctSetup::MdctSetup(int32_t log2Size)
    : n(1 << log2Size), log2n(log2Size), scale(4.0 / n), window(static_cast<size_t>(n / 2)) {
    long double c = 0.0L;
    long double s = 0.0L;
    // sin(π (j + 1/2) / n)
    for (int32_t j = 0; j < n / 2; ++j) {
        UnitCircle(2 * j + 1, 4 * n, c, s);
        window[static_cast<size_t>(j)] = static_cast<double>(s);
    }
    if (n == kMdctSmallestSize) {
        cosines.resize(static_cast<size_t>(n * n / 2));
        for (int32_t j = 0; j < n; ++j) {
            for (int32_t k = 0; k < n / 2; ++k) {
                // cos(2π (j + 1/2 + n/4)(k + 1/2) / n)
                UnitCircle(int64_t{2 * j + 1 + n / 2} * (2 * k + 1), 4 * n, c, s);
                cosines[static_cast<size_t>(j * n / 2 + k)] = static_cast<double>(c);
            }
        }
        return;
    }
    const int32_t quarter = n / 4;
    twiddles.resize(2 * static_cast<size_t>(quarter));
    for (int32_t m = 0; m < quarter; ++m) {
        // e^(-iπ(m + 1/8)/(n/2))
        UnitCircle(-(8 * m + 1), 8 * n, c, s);
        twiddles[2 * static_cast<size_t>(m)] = static_cast<double>(c);
        twiddles[2 * static_cast<size_t>(m) + 1] = static_cast<double>(s);
    }
}

// Created on first use of each size, then kept; concurrent first uses build it once. The
// first use may come from the audio thread: if memory runs out there the transform does
// nothing rather than throw, and a later call tries again.
const MdctSetup* SetupFor(int32_t log2n) {
    static std::array<std::once_flag, kSetupCount> once;
    static std::array<std::unique_ptr<const MdctSetup>, kSetupCount> setups;
    const auto slot = static_cast<size_t>(log2n - 5);
    try {
        std::call_once(once[slot], [&] { setups[slot] = std::make_unique<MdctSetup>(log2n); });
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return setups[slot].get();
}

int32_t MdctLog2(int32_t n) {
    if (n < kMdctSmallestSize || n > kMdctLargestSize || (n & (n - 1)) != 0) return 0;
    int32_t bits = 0;
    while ((1 << bits) < n) ++bits;
    return bits;
}

// t[j] = x[j] w[j] in the first half, x[j] w[N - 1 - j] in the second.
inline double Windowed(const double* x, const double* w, int32_t n, int32_t j) {
    return x[j] * (j < n / 2 ? w[j] : w[n - 1 - j]);
}

void ForwardDirect(const MdctSetup& setup, double* x) {
    const int32_t n = setup.n;
    double t[kMdctSmallestSize];
    for (int32_t j = 0; j < n; ++j) t[j] = Windowed(x, setup.window.data(), n, j);
    for (int32_t k = 0; k < n / 2; ++k) {
        double sum = 0.0;
        for (int32_t j = 0; j < n; ++j)
            sum += t[j] * setup.cosines[static_cast<size_t>(j * n / 2 + k)];
        x[k] = sum;
    }
}

void InverseDirect(const MdctSetup& setup, double* x) {
    const int32_t n = setup.n;
    double y[kMdctSmallestSize / 2];
    for (int32_t k = 0; k < n / 2; ++k) y[k] = x[k];
    const double* w = setup.window.data();
    for (int32_t j = 0; j < n; ++j) {
        double sum = 0.0;
        const double* row = setup.cosines.data() + j * n / 2;
        for (int32_t k = 0; k < n / 2; ++k) sum += y[k] * row[k];
        x[j] = setup.scale * sum * (j < n / 2 ? w[j] : w[n - 1 - j]);
    }
}

inline void Rotate(double* z, double re, double im, const double* twiddle) {
    z[0] = re * twiddle[0] - im * twiddle[1];
    z[1] = re * twiddle[1] + im * twiddle[0];
}

// The DCT-IV core: z holds (u[2m], u[M - 1 - 2m]) for m < M/2 (M = N/2, already rotated by
// the twiddles); on return out[2k] and out[M - 1 - 2k] hold the DCT-IV of u times `scale`.
void FinishDct4(const MdctSetup& setup, double* z, double* out, double scale) {
    const int32_t quarter = setup.n / 4;
    const int32_t half = setup.n / 2;
    FftForward(z, quarter);
    const int32_t* perm = PermutationTable(quarter);  // slot of natural bin k, exponent -
    const double* tw = setup.twiddles.data();
    for (int32_t k = 0; k < quarter; ++k) {
        const double* slot = z + 2 * perm[k];
        double r[2];
        Rotate(r, slot[0], slot[1], tw + 2 * k);
        out[2 * k] = scale * r[0];
        out[half - 1 - 2 * k] = -scale * r[1];
    }
}

void ForwardFast(const MdctSetup& setup, double* x) {
    const int32_t h = setup.n / 4;  // a quarter of the samples
    const double* w = setup.window.data();
    const double* tw = setup.twiddles.data();
    alignas(32) double z[kMdctLargestSize / 2];
    // The fold into u (N/2 values), read two at a time as (u[2m], u[N/2 - 1 - 2m]), with the
    // window applied on the way: t[j] = x[j] w[j] below N/2 and x[j] w[N - 1 - j] above.
    for (int32_t m = 0; m < h / 2; ++m) {
        const double re =
            -x[3 * h - 1 - 2 * m] * w[h + 2 * m] - x[3 * h + 2 * m] * w[h - 1 - 2 * m];
        const double im = x[h - 1 - 2 * m] * w[h - 1 - 2 * m] - x[h + 2 * m] * w[h + 2 * m];
        Rotate(z + 2 * m, re, im, tw + 2 * m);
    }
    for (int32_t m = h / 2; m < h; ++m) {
        const double re = x[2 * m - h] * w[2 * m - h] - x[3 * h - 1 - 2 * m] * w[3 * h - 1 - 2 * m];
        const double im =
            -x[h + 2 * m] * w[3 * h - 1 - 2 * m] - x[5 * h - 1 - 2 * m] * w[2 * m - h];
        Rotate(z + 2 * m, re, im, tw + 2 * m);
    }
    FinishDct4(setup, z, x, setup.scale);
}

void InverseFast(const MdctSetup& setup, double* x) {
    const int32_t n = setup.n;
    const int32_t half = n / 2;
    const int32_t quarter = n / 4;
    const double* tw = setup.twiddles.data();
    alignas(32) double z[kMdctLargestSize / 2];
    alignas(32) double u[kMdctLargestSize / 2];
    for (int32_t m = 0; m < quarter; ++m)
        Rotate(z + 2 * m, x[2 * m], x[half - 1 - 2 * m], tw + 2 * m);
    FinishDct4(setup, z, u, 1.0);
    // Unfold (the transpose of the fold), then window.
    const double* w = setup.window.data();
    for (int32_t j = 0; j < half / 2; ++j) {
        const double a = u[half / 2 + j];
        const double b = u[j];
        x[j] = a * w[j];
        x[half - 1 - j] = -a * w[half - 1 - j];
        x[3 * half / 2 - 1 - j] = -b * w[j + half / 2];
        x[3 * half / 2 + j] = -b * w[half / 2 - 1 - j];
    }
}

}  // namespace

void MdctForward(double* data, int32_t n) {
    const int32_t log2n = MdctLog2(n);
    if (!log2n) return;
    const MdctSetup* setup = SetupFor(log2n);
    if (!setup) return;
    if (n == kMdctSmallestSize) return ForwardDirect(*setup, data);
    ForwardFast(*setup, data);
}

void MdctInverse(double* data, int32_t n) {
    const int32_t log2n = MdctLog2(n);
    if (!log2n) return;
    const MdctSetup* setup = SetupFor(log2n);
    if (!setup) return;
    if (n == kMdctSmallestSize) return InverseDirect(*setup, data);
    InverseFast(*setup, data);
}

void MdctTransform(CZoltMemory& mem, int32_t bufferIndex, int32_t size, bool inverse) {
    const int32_t n = FftRoundDown(size);
    if (n < kMdctSmallestSize || n > kMdctLargestSize) return;
    double* data = ScriptBuffer(mem, bufferIndex, n);
    if (!data) return;
    if (inverse) {
        MdctInverse(data, n);
    } else {
        MdctForward(data, n);
    }
}
