// Whole reads and writes on a host's IBStream, which may move fewer bytes per call than asked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "product/vst3/vst3_base.h"

namespace vst3 {

// [main] Writes all size bytes; false when the stream stops taking them.
bool WriteAll(IBStream* stream, const uint8_t* data, size_t size);
// [main] Reads until limit bytes are in or the stream has no more; answers the count read.
size_t ReadUpTo(IBStream* stream, uint8_t* data, size_t limit);

}  // namespace vst3
