// Number rules shared by every piece of translated section code.
#pragma once

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>

// A script number as an integer: nudged away from zero by 0.0001, then truncated, so that
// values a hair below a whole number still reach it.
inline int32_t ToIndex(double x) {
    double nudged = x >= 0.0 ? x + 0.0001 : x - 0.0001;
    // Out-of-range and NaN values map to the integer-indefinite value, as the hardware
    // conversion does, instead of being undefined behaviour.
    if (!(nudged > -2147483649.0 && nudged < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(nudged);
}

// Section code treats magnitudes below 0.00001 as zero; NaN counts as non-zero.
inline bool IsNonZero(double x) {
    return !(x > -0.00001 && x < 0.00001);
}

// Every assignment made by section code: NaN and infinities become 0.0.
inline void GuardedStore(double& target, double value) {
    target = std::isfinite(value) ? value : 0.0;
}

// Doubles shared between threads must be aligned for atomic access; a 32-bit target aligns
// plain doubles inside objects to 4 bytes only.
constexpr size_t kSharedAlignment = std::atomic_ref<double>::required_alignment;

// Values that one host thread writes while the audio thread reads them (slider values).
// Relaxed atomics: each double is read whole, and nothing else is ordered by them.
inline double LoadShared(double& value) {
    return std::atomic_ref<double>(value).load(std::memory_order_relaxed);
}
inline void StoreShared(double& value, double newValue) {
    std::atomic_ref<double>(value).store(newValue, std::memory_order_relaxed);
}
// GuardedStore for a variable that sections on two threads share.
inline void GuardedStoreShared(double& target, double value) {
    StoreShared(target, std::isfinite(value) ? value : 0.0);
}
