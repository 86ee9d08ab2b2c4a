// Whether the transform, complex-multiply and block-copy code takes its AVX2 path. The
// plug-in must run on any x86 processor, so the choice is made at run time; the plain C++
// path is always there and gives the same results (within rounding for the transforms).
#pragma once

#include <atomic>

namespace vector_path_detail {
// -1 until the processor has been checked, then 1 for the vector path, 0 for the plain one.
extern std::atomic<int> state;
int Detect();
}  // namespace vector_path_detail

// The processor (and operating system) can run the vector path.
bool VectorPathSupported();

// The vector path is supported and not switched off. Inline: every transform asks.
inline bool VectorPathActive() {
    const int state = vector_path_detail::state.load(std::memory_order_relaxed);
    return (state < 0 ? vector_path_detail::Detect() : state) > 0;
}

// Switches the vector path off (true) or back on, so that tests can run both paths on the
// same machine. Only call it while no transform runs.
void ForceScalarPath(bool force);
