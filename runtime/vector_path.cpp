#include "runtime/vector_path.h"

namespace vector_path_detail {

std::atomic<int> state{-1};

namespace {
bool CheckProcessor() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    // This may run from a static constructor, before the compiler's own detection ran.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}
}  // namespace

int Detect() {
    int expected = -1;
    const int detected = VectorPathSupported() ? 1 : 0;
    // A path forced meanwhile stays as forced.
    state.compare_exchange_strong(expected, detected, std::memory_order_relaxed);
    return state.load(std::memory_order_relaxed);
}

}  // namespace vector_path_detail

bool VectorPathSupported() {
    static const bool supported = vector_path_detail::CheckProcessor();
    return supported;
}

void ForceScalarPath(bool force) {
    vector_path_detail::state.store(!force && VectorPathSupported() ? 1 : 0,
                                    std::memory_order_relaxed);
}
