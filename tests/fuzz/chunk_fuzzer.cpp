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
    volatile uint8_t sum = 0;
    for (intptr_t i = 0; i < savedSize; ++i) sum += static_cast<uint8_t*>(saved)[i];
    fuzz::Channels<float> block;
    plugin.effect()->processReplacing(plugin.effect(), block.inPtrs, block.outPtrs, block.kFrames);
    return 0;
}
