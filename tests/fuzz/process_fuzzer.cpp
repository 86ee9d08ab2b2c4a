// Process calls whose channel pointers alias each other (in-place, one buffer for several
// outputs, an output that is another channel's input), with any samples, frame counts and
// switches, in both precisions.
#include <cmath>

#include "tests/fuzz/fuzz_host.h"

namespace {

constexpr int kPool = 6;
constexpr int kMaxFrames = 64;

template <typename Sample>
void Run(fuzz::Instance& plugin, fuzz::Bytes& in) {
    std::vector<std::vector<Sample>> pool(kPool, std::vector<Sample>(kMaxFrames));
    for (auto& buffer : pool) {
        for (auto& s : buffer) s = in.Take<Sample>();
    }
    Sample* inputs[16];
    Sample* outputs[16];
    for (auto& p : inputs) p = pool[in.Take<uint8_t>() % kPool].data();
    for (auto& p : outputs) p = pool[in.Take<uint8_t>() % kPool].data();
    const int32_t frames = in.Take<uint8_t>() % (kMaxFrames + 1);
    AEffect* e = plugin.effect();
    if constexpr (sizeof(Sample) == 4) {
        e->processReplacing(e, inputs, outputs, frames);
    } else {
        e->processDoubleReplacing(e, inputs, outputs, frames);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Instance plugin;
    AEffect* e = plugin.effect();
    fuzz::Bytes in(data, size);
    const auto switches = in.Take<uint8_t>();
    for (int32_t bus = 0; bus < 8; ++bus)
        e->setParameter(e, bus, (switches >> bus) & 1 ? 1.0f : 0.0f);
    const auto precision = in.Take<uint8_t>();
    if (precision & 1) {
        Run<double>(plugin, in);
    } else {
        Run<float>(plugin, in);
    }
    return 0;
}
