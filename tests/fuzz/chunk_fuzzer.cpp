// Any bytes as a state chunk: a restore never reads past them, and afterwards the instance
// saves a whole chunk, reads its parameters within 0..1 and processes.
#include "tests/fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Instance plugin;
    // An exact-size copy, so that any read past the chunk is a reported overflow.
    std::vector<uint8_t> chunk(data, data + size);
    plugin.Dispatch(effSetChunk, 0, static_cast<intptr_t>(size),
                    chunk.empty() ? nullptr : chunk.data());
    plugin.CheckParameters();
    void* saved = nullptr;
    const intptr_t savedSize = plugin.Dispatch(effGetChunk, 0, 0, &saved);
    if (savedSize != 260 || saved == nullptr) std::abort();
    // Every byte of the saved chunk is readable, and it begins with the marker.
    const std::vector<uint8_t> copy(static_cast<uint8_t*>(saved),
                                    static_cast<uint8_t*>(saved) + savedSize);
    float marker = 0.0f;
    std::memcpy(&marker, copy.data(), sizeof marker);
    if (marker != -1000.0f) std::abort();
    fuzz::Channels<float> block;
    plugin.effect()->processReplacing(plugin.effect(), block.inPtrs, block.outPtrs, block.kFrames);
    return 0;
}
