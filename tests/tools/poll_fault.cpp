// Preloaded into vst2host by a test: poll fails, as the kernel fails it when short of memory,
// from the moment the file named in POLL_FAULT_AFTER exists, whenever nothing is ready: what
// was written before then is still read.
#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

bool Failing() {
    const char* trigger = std::getenv("POLL_FAULT_AFTER");
    return trigger != nullptr && ::access(trigger, F_OK) == 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int poll(pollfd* fds, nfds_t count, int timeout) {
    static const auto next =
        reinterpret_cast<int (*)(pollfd*, nfds_t, int)>(::dlsym(RTLD_NEXT, "poll"));
    if (next == nullptr) {
        errno = ENOMEM;
        return -1;
    }
    if (!Failing()) return next(fds, count, timeout);
    if (const int ready = next(fds, count, 0); ready != 0) return ready;
    errno = ENOMEM;
    return -1;
}
