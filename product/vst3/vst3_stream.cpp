#include "product/vst3/vst3_stream.h"

#include <algorithm>
#include <climits>

namespace vst3 {

namespace {

int32_t Piece(size_t left) {
    return static_cast<int32_t>(std::min<size_t>(left, INT32_MAX));
}

}  // namespace

bool WriteAll(IBStream* stream, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        int32_t written = 0;
        if (stream->write(const_cast<uint8_t*>(data + done), Piece(size - done), &written) !=
                kResultOk ||
            written <= 0) {
            return false;
        }
        done += std::min(static_cast<size_t>(written), size - done);
    }
    return true;
}

size_t ReadUpTo(IBStream* stream, uint8_t* data, size_t limit) {
    size_t done = 0;
    while (done < limit) {
        int32_t read = 0;
        if (stream->read(data + done, Piece(limit - done), &read) != kResultOk || read <= 0) break;
        done += std::min(static_cast<size_t>(read), limit - done);
    }
    return done;
}

}  // namespace vst3
