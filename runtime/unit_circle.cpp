#include "runtime/unit_circle.h"

#include <numbers>

#if defined(_WIN32) && defined(__i386__)
#include <float.h>
#endif

namespace {

#if defined(_WIN32) && defined(__i386__)
// 32-bit Windows hosts usually run with the x87 unit rounding to 53 bits, which would make
// the extended-precision sums below no better than double.
class ExtendedPrecision {
  public:
    ExtendedPrecision() : saved_(_controlfp(0, 0)) { _controlfp(_PC_64, _MCW_PC); }
    ~ExtendedPrecision() { _controlfp(saved_, _MCW_PC); }
    ExtendedPrecision(const ExtendedPrecision&) = delete;
    ExtendedPrecision& operator=(const ExtendedPrecision&) = delete;

  private:
    unsigned int saved_;
};
#else
struct ExtendedPrecision {};
#endif

// cos and sin of 0 <= x <= pi/4 by their series, with the four basic operations only.
void FirstOctant(long double x, long double& c, long double& s) {
    const long double x2 = x * x;
    long double cosTerm = 1.0L;
    long double sinTerm = x;
    c = cosTerm;
    s = sinTerm;
    // 13 terms each reach x^27 / 27!, far below the last bit of a long double for x <= pi/4.
    for (int i = 1; i <= 13; ++i) {
        cosTerm *= -x2 / static_cast<long double>((2 * i - 1) * (2 * i));
        sinTerm *= -x2 / static_cast<long double>((2 * i) * (2 * i + 1));
        c += cosTerm;
        s += sinTerm;
    }
}

}  // namespace

void UnitCircle(int64_t p, int64_t q, long double& cosine, long double& sine) {
    [[maybe_unused]] const ExtendedPrecision precision;
    int64_t r = p % q;
    if (r < 0) r += q;
    // The angle is (octant + f / q) eighths of a turn, 0 <= f < q.
    const int64_t octant = 8 * r / q;
    const int64_t f = 8 * r - octant * q;
    // Odd octants count back from the octant's end, so the series always sees [0, pi/4].
    const bool odd = (octant & 1) != 0;
    const long double x = std::numbers::pi_v<long double> / 4 *
                          static_cast<long double>(odd ? q - f : f) / static_cast<long double>(q);
    long double c = 0.0L;
    long double s = 0.0L;
    FirstOctant(x, c, s);
    switch (octant) {
        case 0:
            cosine = c, sine = s;
            break;
        case 1:
            cosine = s, sine = c;
            break;
        case 2:
            cosine = -s, sine = c;
            break;
        case 3:
            cosine = -c, sine = s;
            break;
        case 4:
            cosine = -c, sine = -s;
            break;
        case 5:
            cosine = -s, sine = -c;
            break;
        case 6:
            cosine = s, sine = -c;
            break;
        default:
            cosine = c, sine = -s;
            break;
    }
}
