// Times the runtime's FFT, permute passes and MDCT next to FFTW 3 (in-place, FFTW_MEASURE
// plans) in the same run. Each size runs ours and FFTW's back to back, so that load from
// other processes hits both alike. Ends with the forward-transform table: N, ours, FFTW,
// ours/FFTW, from the median of the repetitions when there are several. --scalar times the
// plain C++ path instead of the vector one.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "runtime/fft.h"
#include "runtime/fft_tables.h"
#include "runtime/mdct.h"
#include "runtime/vector_path.h"
#include "tests/bench/time_collector.h"

namespace {

constexpr int kSmallest = 16;
constexpr int kLargest = 32768;

// Aligned as FFTW allocates; values that stay finite for a while.
class Buffer {
  public:
    explicit Buffer(int doubles)
        : data_(static_cast<double*>(fftw_malloc(sizeof(double) * doubles))) {
        for (int j = 0; j < doubles; ++j) data_[j] = std::sin(0.37 * j) + 0.25 * std::cos(1.3 * j);
    }
    ~Buffer() { fftw_free(data_); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    double* get() const { return data_; }

  private:
    double* data_;
};

// Repeated in-place passes let the values grow until they overflow; vector arithmetic on
// infinities and NaNs runs at full speed (checked on this machine), and both libraries see
// the same. A script buffer is only 8-byte aligned for sure: `offset` doubles shift it.
void Ours(benchmark::State& state, void (*pass)(double*, int32_t), int n, int offset) {
    Buffer buffer(2 * n + offset);
    for (auto _ : state) {
        pass(buffer.get() + offset, n);
        benchmark::ClobberMemory();
    }
}

void Fftw(benchmark::State& state, int sign, int n) {
    Buffer buffer(2 * n);
    auto* data = reinterpret_cast<fftw_complex*>(buffer.get());
    fftw_plan plan = fftw_plan_dft_1d(n, data, data, sign, FFTW_MEASURE);
    Buffer fresh(2 * n);  // planning overwrote the buffer
    std::memcpy(buffer.get(), fresh.get(), sizeof(double) * 2 * n);
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
}

void Mdct(benchmark::State& state, bool inverse, int n) {
    Buffer buffer(n);
    for (auto _ : state) {
        if (inverse) {
            MdctInverse(buffer.get(), n);
        } else {
            MdctForward(buffer.get(), n);
        }
        benchmark::ClobberMemory();
    }
}

std::string Name(const char* what, const char* who, int n) {
    return std::string(what) + "/" + who + "/" + std::to_string(n);
}

void Register() {
    for (int n = kSmallest; n <= kLargest; n *= 2) {
        benchmark::RegisterBenchmark(Name("forward", "ours", n).c_str(), Ours, FftForward, n, 0);
        benchmark::RegisterBenchmark(Name("forward", "fftw", n).c_str(), Fftw, FFTW_FORWARD, n);
    }
    for (int n = kSmallest; n <= kLargest; n *= 2) {
        benchmark::RegisterBenchmark(Name("inverse", "ours", n).c_str(), Ours, FftInverse, n, 0);
        benchmark::RegisterBenchmark(Name("inverse", "fftw", n).c_str(), Fftw, FFTW_BACKWARD, n);
        benchmark::RegisterBenchmark(Name("permute", "ours", n).c_str(), Ours, FftPermute, n, 0);
        benchmark::RegisterBenchmark(Name("inverse_permute", "ours", n).c_str(), Ours,
                                     FftInversePermute, n, 0);
        benchmark::RegisterBenchmark(Name("forward", "ours_offset", n).c_str(), Ours, FftForward, n,
                                     1);
    }
    for (int n : {256, 1024, 4096}) {
        benchmark::RegisterBenchmark(Name("mdct_forward", "ours", n).c_str(), Mdct, false, n);
        benchmark::RegisterBenchmark(Name("mdct_inverse", "ours", n).c_str(), Mdct, true, n);
        benchmark::RegisterBenchmark(Name("forward", "ours", n / 4).c_str(), Ours, FftForward,
                                     n / 4, 0);
    }
}

// One row per size: ours, FFTW's, and ours/FFTW last.
void PrintTable(const Collector& c, const char* title, const char* what) {
    std::printf("\n%s (median real time, ns)\n", title);
    std::printf("%8s %12s %12s %10s\n", "N", "ours", "fftw", "ours/fftw");
    for (int n = kSmallest; n <= kLargest; n *= 2) {
        const double ours = c.Time(Name(what, "ours", n));
        const double fftw = c.Time(Name(what, "fftw", n));
        std::printf("%8d %12.1f %12.1f %10.3f\n", n, ours, fftw, ours / fftw);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // --scalar times the plain path that processors without AVX2 and FMA take.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scalar") == 0) {
            ForceScalarPath(true);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    EnsureTransformTables();
    Register();
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);

    PrintTable(collector, "Inverse transform, in place, complex double", "inverse");
    std::printf(
        "\nPermute passes and the forward transform on a buffer only 8-byte aligned "
        "(median real time, ns)\n");
    std::printf("%8s %12s %12s %12s %14s\n", "N", "permute", "inv.permute", "forward",
                "fwd 8B-aligned");
    for (int n = kSmallest; n <= kLargest; n *= 2) {
        std::printf("%8d %12.1f %12.1f %12.1f %14.1f\n", n,
                    collector.Time(Name("permute", "ours", n)),
                    collector.Time(Name("inverse_permute", "ours", n)),
                    collector.Time(Name("forward", "ours", n)),
                    collector.Time(Name("forward", "ours_offset", n)));
    }
    std::printf("\nMDCT, in place, against our complex FFT of N/4 points (median real time, ns)\n");
    std::printf("%8s %12s %12s %12s %10s %10s\n", "N", "forward", "inverse", "fft N/4", "fwd/fft",
                "inv/fft");
    for (int n : {256, 1024, 4096}) {
        const double f = collector.Time(Name("mdct_forward", "ours", n));
        const double i = collector.Time(Name("mdct_inverse", "ours", n));
        const double q = collector.Time(Name("forward", "ours", n / 4));
        std::printf("%8d %12.1f %12.1f %12.1f %10.2f %10.2f\n", n, f, i, q, f / q, i / q);
    }
    PrintTable(collector, "Forward transform, in place, complex double", "forward");
    benchmark::Shutdown();
    return 0;
}
