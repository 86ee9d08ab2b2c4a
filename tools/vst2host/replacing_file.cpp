#include "tools/vst2host/replacing_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <random>

#include "tools/vst2host/command_error.h"

namespace vst2host {
namespace {

constexpr int kNameAttempts = 100;

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The temporary file being written, for the signal handler: interrupting a long render must
// not leave it behind. One at a time; the tool never writes two files at once.
char gPendingPath[PATH_MAX];
volatile std::sig_atomic_t gPending = 0;

extern "C" void RemovePendingAndStop(int signal) {
    if (gPending != 0) unlink(gPendingPath);
    // Then die of the same signal, as the caller expects.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void InstallInterruptHandlers() {
    static const bool installed = [] {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction old {};
            sigaction(signal, nullptr, &old);
            if (old.sa_handler == SIG_IGN) continue;  // e.g. under nohup: stay ignored
            struct sigaction action {};
            action.sa_handler = RemovePendingAndStop;
            sigemptyset(&action.sa_mask);
            sigaction(signal, &action, nullptr);
        }
        return true;
    }();
    (void)installed;
}

// Holds the interrupting signals back while a temporary file comes into being and is
// registered for removal: one that arrived in between would leave the file behind.
class InterruptsHeld {
  public:
    InterruptsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~InterruptsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

  private:
    sigset_t previous_{};
};

void WatchForInterrupts(const std::string& path) {
    gPending = 0;
    if (path.size() >= sizeof gPendingPath) return;
    std::memcpy(gPendingPath, path.c_str(), path.size() + 1);
    gPending = 1;
}

}  // namespace

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {
    struct stat st {};
    // Checked now, not at the rename: a long render must not end in this error.
    if (target_.empty() || target_.back() == '/' ||
        (stat(target_.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
        fail(EISDIR);
    }
    const std::string prefix = DirectoryOf(target_) + "/." + BaseNameOf(target_) + ".tmp";
    std::random_device seed;
    std::mt19937 random(seed());
    InstallInterruptHandlers();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        tempPath_ = prefix + std::to_string(random() % 1000000);
        InterruptsHeld held;
        // 0666 and the umask, as for any new file; O_EXCL never reuses someone else's file.
        fd_ = open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            WatchForInterrupts(tempPath_);
            return;
        }
        if (errno != EEXIST) break;
    }
    const int error = errno;
    tempPath_.clear();
    fail(error);
}

ReplacingFile::~ReplacingFile() {
    discard();
}

void ReplacingFile::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(n < 0 ? errno : ENOSPC);
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
}

void ReplacingFile::commit() {
    if (fsync(fd_) != 0) fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) fail(errno);
    if (rename(tempPath_.c_str(), target_.c_str()) != 0) fail(errno);
    gPending = 0;
    tempPath_.clear();
}

void ReplacingFile::fail(int error) const {
    const std::string reason = std::strerror(error);
    // The destructor removes the temporary file while the exception unwinds.
    throw CommandError("cannot write " + target_ + ": " + reason);
}

void ReplacingFile::discard() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    gPending = 0;
    if (!tempPath_.empty()) unlink(tempPath_.c_str());
    tempPath_.clear();
}

}  // namespace vst2host
