#include "tests/runtime/transform_reference.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <set>

#include "runtime/unit_circle.h"
#include "runtime/vector_path.h"

namespace {
constexpr long double kPi = std::numbers::pi_v<long double>;
}

std::vector<double> RandomValues(size_t count, uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> values(count);
    for (double& v : values) v = uniform(generator);
    return values;
}

double MaxAbs(const std::vector<double>& values) {
    double largest = 0.0;
    for (double v : values) largest = std::max(largest, std::fabs(v));
    return largest;
}

double TransformErrorBound(int32_t n, double maxInput, double scale) {
    return std::numeric_limits<double>::epsilon() * std::sqrt(n) * std::log2(n) * maxInput * scale;
}

ReferenceDft::ReferenceDft(int32_t n)
    : n_(n), cos_(static_cast<size_t>(n)), sin_(static_cast<size_t>(n)) {
    // The library's own exact cos and sin (checked against the C library's in the table
    // tests): the reference then means the same on emulators whose x87 cos is inexact.
    for (int32_t j = 0; j < n; ++j) {
        UnitCircle(j, n, cos_[static_cast<size_t>(j)], sin_[static_cast<size_t>(j)]);
    }
}

Bin ReferenceDft::At(const double* x, int32_t f, int sign) const {
    Bin sum;
    int64_t phase = 0;
    for (int32_t j = 0; j < n_; ++j, phase = (phase + f) % n_) {
        const long double c = cos_[static_cast<size_t>(phase)];
        const long double s = sign * sin_[static_cast<size_t>(phase)];
        sum.re += x[2 * j] * c - x[2 * j + 1] * s;
        sum.im += x[2 * j] * s + x[2 * j + 1] * c;
    }
    return sum;
}

std::vector<int32_t> IndexesToCheck(int32_t n, uint32_t seed) {
    std::vector<int32_t> indexes;
    if (n <= 4096) {
        for (int32_t i = 0; i < n; ++i) indexes.push_back(i);
        return indexes;
    }
    std::set<int32_t> chosen = {0, 1, n - 1};
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int32_t> any(0, n - 1);
    while (chosen.size() < 64) chosen.insert(any(generator));
    return {chosen.begin(), chosen.end()};
}

namespace {

// cos(2π p / (4n)) for every p: the MDCT phase (2j + 1 + n/2)(2k + 1) / (4n) is a whole
// number of those steps, so the O(n²) sums only look values up.
std::vector<long double> MdctCosines(int32_t n) {
    std::vector<long double> table(4 * static_cast<size_t>(n));
    long double unused = 0.0L;
    for (size_t p = 0; p < table.size(); ++p) {
        UnitCircle(static_cast<int64_t>(p), 4 * int64_t{n}, table[p], unused);
    }
    return table;
}

long double MdctCosine(const std::vector<long double>& table, int32_t n, int32_t j, int32_t k) {
    const int64_t phase = (int64_t{2} * j + 1 + n / 2) * (int64_t{2} * k + 1) % (4 * n);
    return table[static_cast<size_t>(phase)];
}

}  // namespace

long double MdctWindow(int32_t n, int32_t j) {
    const int32_t m = j < n / 2 ? j : n - 1 - j;
    return std::sin(kPi / n * (m + 0.5L));
}

std::vector<long double> ReferenceMdct(const std::vector<double>& samples, int32_t n) {
    const std::vector<long double> table = MdctCosines(n);
    const long double scale = n == 32 ? 1.0L : 4.0L / n;
    std::vector<long double> t(static_cast<size_t>(n));
    for (int32_t j = 0; j < n; ++j)
        t[static_cast<size_t>(j)] = samples[static_cast<size_t>(j)] * MdctWindow(n, j);
    std::vector<long double> y(static_cast<size_t>(n / 2));
    for (int32_t k = 0; k < n / 2; ++k) {
        long double sum = 0;
        for (int32_t j = 0; j < n; ++j)
            sum += t[static_cast<size_t>(j)] * MdctCosine(table, n, j, k);
        y[static_cast<size_t>(k)] = scale * sum;
    }
    return y;
}

std::vector<long double> ReferenceImdct(const std::vector<double>& coefficients, int32_t n) {
    const std::vector<long double> table = MdctCosines(n);
    const long double scale = n == 32 ? 4.0L / n : 1.0L;
    std::vector<long double> t(static_cast<size_t>(n));
    for (int32_t j = 0; j < n; ++j) {
        long double sum = 0;
        for (int32_t k = 0; k < n / 2; ++k) {
            sum += coefficients[static_cast<size_t>(k)] * MdctCosine(table, n, j, k);
        }
        t[static_cast<size_t>(j)] = scale * sum * MdctWindow(n, j);
    }
    return t;
}

void BothPaths::SetUp() {
    if (GetParam() == Path::kVector && !VectorPathSupported()) {
        GTEST_SKIP() << "this processor has no AVX2 and FMA";
    }
    ForceScalarPath(GetParam() == Path::kScalar);
}

void BothPaths::TearDown() {
    ForceScalarPath(false);
}

std::string PathName(const testing::TestParamInfo<Path>& info) {
    return info.param == Path::kScalar ? "Scalar" : "Vector";
}
