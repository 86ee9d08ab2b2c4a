// A plug-in without inputs that plays back what the host's time record says, one value per
// output, so a test can read the transport the host reported for every frame: the sample
// position (scaled by 2^-20, exact for any position below 2^24), the musical position, the
// tempo, the sample rate, and whether the transport plays. Replacing only, no 64-bit path.
// When closed it prints the host's calls in order on stdout, e.g.
// "time probe: open rate=8000 block=100 mains=1 process*11 mains=0 close".
#include <cmath>
#include <cstdio>
#include <string>

#include "plugin/vst2_abi.h"

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kOutputs = 5;

struct Probe {
    AEffect effect;
    audioMasterCallback host;
    std::string calls;
    int processRun = 0;  // process calls since the last other call
};

void Log(Probe& p, const std::string& call) {
    if (p.processRun > 0) p.calls += " process*" + std::to_string(p.processRun);
    p.processRun = 0;
    p.calls += " " + call;
}

intptr_t VSTCALLBACK Dispatch(AEffect* e, int32_t opcode, int32_t, intptr_t value, void*,
                              float opt) {
    auto* p = static_cast<Probe*>(e->object);
    switch (opcode) {
        case effOpen:
            Log(*p, "open");
            break;
        case effSetSampleRate:
            Log(*p, "rate=" + std::to_string(static_cast<int>(opt)));
            break;
        case effSetBlockSize:
            Log(*p, "block=" + std::to_string(value));
            break;
        case effMainsChanged:
            Log(*p, "mains=" + std::to_string(value));
            break;
        case effClose:
            Log(*p, "close");
            std::printf("time probe:%s\n", p->calls.c_str());
            delete p;
            break;
        default:
            break;
    }
    return 0;
}

void VSTCALLBACK ProcessReplacing(AEffect* e, float**, float** outputs, int32_t frames) {
    auto* probe = static_cast<Probe*>(e->object);
    ++probe->processRun;
    const auto* time = reinterpret_cast<const VstTimeInfo*>(
        probe->host(e, audioMasterGetTime, 0, kVstPpqPosValid | kVstTempoValid, nullptr, 0.0f));
    for (int32_t i = 0; i < frames; ++i) {
        if (time == nullptr) {
            for (int32_t o = 0; o < kOutputs; ++o) outputs[o][i] = -1.0f;
            continue;
        }
        outputs[0][i] = static_cast<float>(std::ldexp(time->samplePos + i, -20));
        outputs[1][i] = static_cast<float>(std::ldexp(time->ppqPos, -10));
        outputs[2][i] = static_cast<float>(time->tempo / 1000.0);
        outputs[3][i] = static_cast<float>(std::ldexp(time->sampleRate, -20));
        outputs[4][i] = (time->flags & kVstTransportPlaying) != 0 ? 1.0f : 0.0f;
    }
}

}  // namespace

TEST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) {
    auto* probe = new Probe{};
    probe->host = host;
    AEffect& e = probe->effect;
    e.magic = kEffectMagic;
    e.dispatcher = &Dispatch;
    e.processReplacing = &ProcessReplacing;
    e.numOutputs = kOutputs;
    e.flags = effFlagsCanReplacing;
    e.object = probe;
    e.uniqueID = FourCharCode('T', 'i', 'm', 'e');
    return &e;
}
