#include "product/clap/clap_streams.h"

bool ClapWriteAll(const clap_ostream& stream, const uint8_t* data, size_t size) {
    if (!stream.write) return false;
    size_t done = 0;
    while (done < size) {
        const uint64_t left = size - done;
        const int64_t wrote = stream.write(&stream, data + done, left);
        // Nothing written would loop for ever, and more than asked is a broken stream.
        if (wrote <= 0 || static_cast<uint64_t>(wrote) > left) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

int64_t ClapReadAtMost(const clap_istream& stream, uint8_t* data, size_t capacity) {
    if (!stream.read) return -1;
    size_t done = 0;
    while (done < capacity) {
        const uint64_t left = capacity - done;
        const int64_t got = stream.read(&stream, data + done, left);
        if (got == 0) break;
        if (got < 0 || static_cast<uint64_t>(got) > left) return -1;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}
