// Plain records and number rules shared by the drawing objects.
#pragma once

#include <cstdint>

// A colour as the drawing functions keep it: four bytes.
struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;

    bool operator==(const CColor&) const = default;
};

// Callers pass channels as ints and clamp them themselves: only the low byte counts.
inline CColor MakeColor(int red, int green, int blue, int alpha) {
    return {static_cast<uint8_t>(red & 0xFF), static_cast<uint8_t>(green & 0xFF),
            static_cast<uint8_t>(blue & 0xFF), static_cast<uint8_t>(alpha & 0xFF)};
}

inline uint32_t PackArgb(const CColor& c) {
    return static_cast<uint32_t>(c.alpha) << 24 | static_cast<uint32_t>(c.red) << 16 |
           static_cast<uint32_t>(c.green) << 8 | c.blue;
}

struct CRect {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;

    bool operator==(const CRect&) const = default;
};

// Truncation toward zero as the processor's conversion does it: NaN and values outside the
// 32-bit range give the integer-indefinite value instead of undefined behaviour.
inline int32_t TruncateToInt(double x) {
    if (!(x > -2147483649.0 && x < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(x);
}
