// Slow, plain reference sums for the transform tests, accumulated in long double, and the
// fixture that runs a test once on each code path.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

struct Bin {
    long double re = 0;
    long double im = 0;
};

// Reproducible values in [-1, 1).
std::vector<double> RandomValues(size_t count, uint32_t seed);
double MaxAbs(const std::vector<double>& values);

// sum x[j] e^(sign 2πi j f / n) over the n interleaved complex values x.
class ReferenceDft {
  public:
    explicit ReferenceDft(int32_t n);
    Bin At(const double* x, int32_t f, int sign) const;

  private:
    int32_t n_;
    std::vector<long double> cos_;
    std::vector<long double> sin_;
};

// The indexes a test of size n compares: all of them up to 4096, above that 64 chosen at
// random (always including 0, 1 and n - 1), which keeps each check O(n) per index.
std::vector<int32_t> IndexesToCheck(int32_t n, uint32_t seed);

// The MDCT sums straight from their definition, c(j, k) = cos(2π/n (j + 1/2 + n/4)(k + 1/2)),
// with the scale factors (1, 4/n) for n = 32 and (4/n, 1) above.
long double MdctWindow(int32_t n, int32_t j);  // w[j] for j < n/2, w[n - 1 - j] above
std::vector<long double> ReferenceMdct(const std::vector<double>& samples, int32_t n);
std::vector<long double> ReferenceImdct(const std::vector<double>& coefficients, int32_t n);

// The error bound of every transform check: eps sqrt(n) log2(n) max|input|, times the scale
// the output carries. Rounding in a careful double-precision transform grows like
// sqrt(log2 n) to log2 n times eps times the output's size, and the output of a sum of n
// values reaches sqrt(n) max|input|; on random input both paths stay under a quarter of it.
double TransformErrorBound(int32_t n, double maxInput, double scale = 1.0);

enum class Path { kScalar, kVector };

// Runs each test once with the plain path forced and once on the vector path; the second
// is skipped on a processor without AVX2 and FMA.
class BothPaths : public testing::TestWithParam<Path> {
  protected:
    void SetUp() override;
    void TearDown() override;
};

std::string PathName(const testing::TestParamInfo<Path>& info);
