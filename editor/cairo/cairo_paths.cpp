#include "editor/cairo/cairo_paths.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// A quarter circle's Bezier handle length, as GDI+ uses for its ellipses.
constexpr double kKappa = 0.5522847498307936;

// The parametric angle of the ellipse point that lies on the ray at true angle theta. It
// differs from theta by less than a quarter turn, which fixes the branch.
double ParametricAngle(double theta, double rx, double ry) {
    const double p = std::atan2(rx * std::sin(theta), ry * std::cos(theta));
    return p + 2.0 * kPi * std::round((theta - p) / (2.0 * kPi));
}

}  // namespace

void AppendEllipse(cairo_t* cr, double x, double y, double width, double height) {
    const double rx = width / 2.0;
    const double ry = height / 2.0;
    const double cx = x + rx;
    const double cy = y + ry;
    const double kx = kKappa * rx;
    const double ky = kKappa * ry;
    cairo_move_to(cr, cx + rx, cy);
    cairo_curve_to(cr, cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
    cairo_curve_to(cr, cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
    cairo_curve_to(cr, cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
    cairo_curve_to(cr, cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
    cairo_close_path(cr);
}

void AppendArc(cairo_t* cr, double x, double y, double width, double height, double startAngle,
               double sweep) {
    const double rx = width / 2.0;
    const double ry = height / 2.0;
    const double cx = x + rx;
    const double cy = y + ry;
    sweep = std::min(sweep, 360.0);
    const double start = startAngle * kPi / 180.0;
    const double t0 = ParametricAngle(start, rx, ry);
    const double t1 =
        sweep >= 360.0 ? t0 + 2.0 * kPi : ParametricAngle(start + sweep * kPi / 180.0, rx, ry);
    const double total = t1 - t0;
    if (!(total > 0.0)) return;
    // Segments of at most a quarter turn keep the Bezier approximation within a pixel.
    const int segments = std::max(1, static_cast<int>(std::ceil(total / (kPi / 2.0) - 1e-9)));
    const double step = total / segments;
    const double handle = 4.0 / 3.0 * std::tan(step / 4.0);
    double t = t0;
    cairo_move_to(cr, cx + rx * std::cos(t), cy + ry * std::sin(t));
    for (int i = 0; i < segments; ++i) {
        const double u = t + step;
        const double c0 = std::cos(t), s0 = std::sin(t), c1 = std::cos(u), s1 = std::sin(u);
        cairo_curve_to(cr, cx + rx * (c0 - handle * s0), cy + ry * (s0 + handle * c0),
                       cx + rx * (c1 + handle * s1), cy + ry * (s1 - handle * c1), cx + rx * c1,
                       cy + ry * s1);
        t = u;
    }
}
