// Sequences of dispatcher and parameter calls with fuzzed opcodes, indexes, values and
// texts. Text opcodes write into 512-byte buffers whose canary bytes beyond 64 must survive.
#include <algorithm>

#include "tests/fuzz/fuzz_host.h"

namespace {

constexpr size_t kBuffer = 512;
constexpr size_t kTextLimit = 64;  // no text of this plug-in is longer
constexpr uint8_t kCanary = 0xA5;

bool WritesText(int32_t opcode) {
    switch (opcode) {
        case effGetProgramName:
        case effGetParamLabel:
        case effGetParamDisplay:
        case effGetParamName:
        case effGetProgramNameIndexed:
        case effGetEffectName:
        case effGetErrorText:
        case effGetVendorString:
        case effGetProductString:
        case effShellGetNextPlugin:
            return true;
        default:
            return false;
    }
}

// Opcodes whose pointer must be a window, an editor or a record of the offline interface:
// no host passes fuzz there.
bool Skipped(int32_t opcode) {
    return opcode == effClose || (opcode >= effEditGetRect && opcode <= effEditSleep) ||
           (opcode >= effOfflineNotify && opcode <= effSetSpeakerArrangement) ||
           opcode == effGetSpeakerArrangement || opcode == effProcessEvents ||
           opcode == effEditKeyDown || opcode == effEditKeyUp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Instance plugin;
    AEffect* e = plugin.effect();
    fuzz::Bytes in(data, size);
    alignas(16) uint8_t buffer[kBuffer];
    for (int call = 0; call < 64 && in.left() > 0; ++call) {
        const auto kind = in.Take<uint8_t>();
        const auto opcode = static_cast<int32_t>(in.Take<uint8_t>() % 82);
        const auto index = in.Take<int32_t>();
        const auto value = in.Take<int32_t>();
        const auto opt = in.Take<float>();
        if (kind % 4 == 0) {
            e->setParameter(e, index % 10, opt);
            continue;
        }
        if (kind % 4 == 1) {
            e->getParameter(e, index);
            continue;
        }
        if (Skipped(opcode)) continue;
        std::memset(buffer, kCanary, sizeof buffer);
        if (opcode == effSetProgramName || opcode == effCanDo || opcode == effString2Parameter) {
            // A text of the host's, terminated or not within the 24 bytes hosts use.
            const size_t n = in.left() < 24 ? in.left() : 24;
            std::memcpy(buffer, in.rest(), n);
            for (size_t i = 0; i < n; ++i) in.Take<uint8_t>();
            buffer[kBuffer - 1] = 0;
        }
        if (opcode == effGetChunk) {
            void* chunk = nullptr;
            plugin.Dispatch(opcode, index, value, &chunk);
            continue;
        }
        if (opcode == effSetChunk) {
            plugin.Dispatch(opcode, index, value & 0x1FF, buffer);
            continue;
        }
        plugin.Dispatch(opcode, index, value, buffer, opt);
        // An opcode the plug-in does not answer leaves the buffer as it was.
        const bool untouched =
            std::all_of(buffer, buffer + kBuffer, [](uint8_t b) { return b == kCanary; });
        if (WritesText(opcode) && !untouched) {
            if (!std::memchr(buffer, 0, kTextLimit)) std::abort();
            for (size_t i = kTextLimit; i < kBuffer; ++i) {
                if (buffer[i] != kCanary) std::abort();
            }
        }
    }
    plugin.CheckParameters();
    return 0;
}
