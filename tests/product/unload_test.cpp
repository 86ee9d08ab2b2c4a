// The built router as a host's plug-in scanner and render farm treat it: loaded, used and
// unloaded again and again, and called by a host whose own callback throws.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "plugin/vst2_abi.h"
#include "tools/plugin_loader/plugin_library.h"

namespace {

constexpr int kChannels = 16;
constexpr int kFrames = 64;
bool gThrowOnTimeRequest = false;

intptr_t VSTCALLBACK Host(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime && gThrowOnTimeRequest) {
        throw std::runtime_error("host failure");
    }
    return 0;
}

template <typename Sample>
struct Buffers {
    explicit Buffers(Sample fill) {
        for (int c = 0; c < kChannels; ++c) {
            in[c].assign(kFrames, static_cast<Sample>(c + 1));
            out[c].assign(kFrames, fill);
            inPtrs[c] = in[c].data();
            outPtrs[c] = out[c].data();
        }
    }
    std::array<std::vector<Sample>, kChannels> in, out;
    std::array<Sample*, kChannels> inPtrs{}, outPtrs{};
};

intptr_t Dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                  void* ptr = nullptr, float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

AEffect* OpenAndResume(vst2host::PluginEntry entry) {
    AEffect* effect = entry(Host);
    if (!effect) return nullptr;
    Dispatch(effect, effOpen);
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    Dispatch(effect, effSetBlockSize, 0, kFrames);
    Dispatch(effect, effMainsChanged, 0, 1);
    return effect;
}

void SuspendAndClose(AEffect* effect) {
    Dispatch(effect, effMainsChanged, 0, 0);
    Dispatch(effect, effClose);
}

// Nothing may keep the library mapped once the host lets go of it (a leak of what it held
// would show in the sanitizer build's leak check at exit).
TEST(Unload, HundredCyclesEachLeaveNothingMapped) {
    for (int cycle = 0; cycle < 100; ++cycle) {
        SCOPED_TRACE(cycle);
        {
            vst2host::PluginLibrary library(LOTTA_ROUTER_PATH);
            auto entry = library.entry("VSTPluginMain");
            ASSERT_NE(entry, nullptr);
            AEffect* effect = OpenAndResume(entry);
            ASSERT_NE(effect, nullptr);
            effect->setParameter(effect, 2, 1.0f);
            Buffers<float> block(0.0f);
            effect->processReplacing(effect, block.inPtrs.data(), block.outPtrs.data(), kFrames);
            EXPECT_EQ(block.out[4][7], 1.0f) << "bus 3 carries input 1";
            void* chunk = nullptr;
            EXPECT_EQ(Dispatch(effect, effGetChunk, 0, 0, &chunk), 260);
            SuspendAndClose(effect);
        }
        // A probe, not a load: RTLD_NOLOAD only finds a library that is still mapped.
        EXPECT_EQ(dlopen(LOTTA_ROUTER_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr)
            << "the library stayed mapped after dlclose";
    }
}

// A host whose time request throws: the process calls end quietly, the outputs keep what
// they held (the block section asks for the time before any frame), and the instance goes on
// working once the host recovers.
template <typename Sample, typename Process>
void ExpectHostFailureContained(AEffect* effect, Process process) {
    Buffers<Sample> block(Sample(-7));
    gThrowOnTimeRequest = true;
    process(effect, block.inPtrs.data(), block.outPtrs.data(), kFrames);
    gThrowOnTimeRequest = false;
    for (int c = 0; c < kChannels; ++c) EXPECT_EQ(block.out[c][0], Sample(-7)) << c;
    process(effect, block.inPtrs.data(), block.outPtrs.data(), kFrames);
    EXPECT_EQ(block.out[2][0], Sample(3)) << "bus 2, muted, passes its own input";
}

TEST(Unload, AnExceptionFromTheHostsCallbackStaysInsideTheProcessCalls) {
    vst2host::PluginLibrary library(LOTTA_ROUTER_PATH);
    AEffect* effect = OpenAndResume(library.entry("VSTPluginMain"));
    ASSERT_NE(effect, nullptr);
    ExpectHostFailureContained<float>(effect, effect->processReplacing);
    ExpectHostFailureContained<double>(effect, effect->processDoubleReplacing);
    SuspendAndClose(effect);
}

}  // namespace
