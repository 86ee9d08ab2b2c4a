// The one exception boundary: every function a host reaches through the effect record runs
// its work through Guarded, so nothing the adapter, the runtime, an effect's sections or the
// host's own callback throws unwinds into the host. The failed request answers the fallback
// (0); buffers and out-arguments keep whatever the work had written before it threw, and
// nothing is logged, since the caller may be the audio thread.
#pragma once

#include <type_traits>

// [any] Runs work() and answers its result, or fallback when it throws.
template <typename Work>
auto Guarded(Work&& work, std::invoke_result_t<Work> fallback) noexcept {
    try {
        return work();
    } catch (...) {
        return fallback;
    }
}

// [any] Runs work() for its effects only.
template <typename Work>
void Guarded(Work&& work) noexcept {
    try {
        work();
    } catch (...) {
    }
}
