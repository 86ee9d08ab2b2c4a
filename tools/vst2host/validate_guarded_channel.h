// One channel of host audio for the validator, ending right at an unreadable page: a plug-in
// that writes past the end of what it was given crashes inside the call that did it, instead
// of corrupting the heap for someone else to trip over later.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <new>

namespace vst2host {

template <typename Sample>
class GuardedChannel {
  public:
    explicit GuardedChannel(std::size_t size) : size_(size) {
        const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        const std::size_t bytes = (size * sizeof(Sample) + page - 1) / page * page;
        mapped_ = bytes + page;
        void* p =
            ::mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        base_ = static_cast<unsigned char*>(p);
        ::mprotect(base_ + bytes, page, PROT_NONE);
        // Sizes are whole multiples of 16 samples, so the data stays aligned for vectors.
        data_ = reinterpret_cast<Sample*>(base_ + bytes) - size;
        std::fill(data_, data_ + size_, Sample(0));
    }
    ~GuardedChannel() { ::munmap(base_, mapped_); }
    GuardedChannel(const GuardedChannel&) = delete;
    GuardedChannel& operator=(const GuardedChannel&) = delete;

    Sample* data() { return data_; }
    Sample* begin() { return data_; }
    Sample* end() { return data_ + size_; }
    Sample& operator[](std::size_t i) { return data_[i]; }
    const Sample& operator[](std::size_t i) const { return data_[i]; }
    std::size_t size() const { return size_; }

  private:
    std::size_t size_;
    std::size_t mapped_ = 0;
    unsigned char* base_ = nullptr;
    Sample* data_ = nullptr;
};

}  // namespace vst2host
