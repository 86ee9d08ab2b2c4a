// cos and sin of whole fractions of a turn, the same to the last bit on every x86 processor
// and emulator, 32-bit or 64-bit: transform tables built from them make the transforms give
// identical results in every build.
#pragma once

#include <cstdint>

// cos and sin of 2π p / q (q > 0, any p), in extended precision: the angle is reduced with
// integer arithmetic to the first octant and evaluated there by series, so no library or
// processor cos/sin is involved.
void UnitCircle(int64_t p, int64_t q, long double& cosine, long double& sine);
