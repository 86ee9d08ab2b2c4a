// One instance's state and program-name calls, which hosts make from several threads at once
// (an autosave on one while a preset loads on another). They take turns on one lock; the
// audio thread never takes it.
#pragma once

#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

class StateCalls {
  public:
    // [any] Held for the whole of one state or program-name call.
    [[nodiscard]] std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mutex_); }

    // [any] With Lock() held: copies a finished chunk into the calling thread's own buffer and
    // answers it. The bytes stay put until this thread asks again, or until kKeptBuffers other
    // threads have asked since; so another thread's getChunk never rewrites a chunk being copied.
    void* Publish(const std::vector<float>& chunk);

    static constexpr std::size_t kKeptBuffers = 16;

  private:
    struct Published {
        std::thread::id thread;
        std::vector<float> bytes;
    };

    // Recursive: a state load asks the host for the tempo, and a host may answer that by
    // asking for the chunk or the program name on the same thread.
    std::recursive_mutex mutex_;
    std::vector<Published> published_;  // most recently used last
};
