// A small foreign plug-in, unlike the project's own in every way a host must cope with: only the
// old MAIN entry, a printable unique id, editor and synth flags plus a bit no name exists for,
// no chunks, three programs, text with quotes, backslashes, a tab, Latin-1 and UTF-8, and a
// product string that reports what the host callback answered. Like careless plug-ins, it
// prints on stdout when it is closed.
#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/vst2_abi.h"

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kUnnamedFlag = 1 << 15;

struct OddPlugin {
    AEffect effect;
    audioMasterCallback host;
    std::string hostReport;
    float sampleRateSet = 0.0f;
    intptr_t blockSizeSet = 0;
};

void Copy(void* ptr, const std::string& text) {
    std::memcpy(ptr, text.c_str(), text.size() + 1);
}

std::string Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

// What the host answers to the requests plug-ins commonly make when they are opened.
std::string AskHost(OddPlugin& p) {
    AEffect* e = &p.effect;
    char vendor[64] = {};
    char product[64] = {};
    p.host(e, audioMasterGetVendorString, 0, 0, vendor, 0.0f);
    p.host(e, audioMasterGetProductString, 0, 0, product, 0.0f);
    std::string report = std::string("host=") + vendor + "/" + product;
    report += " version=" + std::to_string(p.host(e, audioMasterVersion, 0, 0, nullptr, 0.0f));
    report += " rate=" + std::to_string(p.host(e, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f));
    report += " block=" + std::to_string(p.host(e, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f));
    const auto* time = reinterpret_cast<const VstTimeInfo*>(
        p.host(e, audioMasterGetTime, 0, kVstTempoValid | kVstTimeSigValid, nullptr, 0.0f));
    if (time == nullptr) {
        report += " time=none";
    } else {
        report += " time=" + Number(time->sampleRate) + "Hz," + Number(time->tempo) + "bpm," +
                  std::to_string(time->timeSigNumerator) + "/" +
                  std::to_string(time->timeSigDenominator) + "," +
                  ((time->flags & kVstTransportPlaying) != 0 ? "playing" : "stopped");
    }
    char canDo[] = "sendVstEvents";
    report += " cando=" + std::to_string(p.host(e, audioMasterCanDo, 0, 0, canDo, 0.0f));
    return report;
}

intptr_t VSTCALLBACK Dispatch(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                              float opt) {
    auto* p = static_cast<OddPlugin*>(e->object);
    switch (opcode) {
        case effOpen:
            p->hostReport = AskHost(*p);
            return 0;
        case effSetSampleRate:
            p->sampleRateSet = opt;
            return 0;
        case effSetBlockSize:
            p->blockSizeSet = value;
            return 0;
        case effClose:
            std::printf("odd plugin: closed\n");
            delete p;
            return 1;
        case effGetEffectName:
            Copy(ptr, "Odd \"quoted\" back\\slash\ttab");
            return 1;
        case effGetVendorString:
            Copy(ptr, "Caf\xe9 Audio");
            return 1;
        case effGetProductString:
            Copy(ptr, p->hostReport + " set=" + Number(p->sampleRateSet) + "/" +
                          std::to_string(p->blockSizeSet));
            return 1;
        case effGetVendorVersion:
            return 7;
        case effGetVstVersion:
            return 2400;
        case effGetPlugCategory:
            return 2;
        case effGetProgram:
            return 2;
        case effGetProgramName:
            Copy(ptr, "third \xe2\x9c\x93");
            return 0;
        case effGetParamName:
            Copy(ptr, index == 0 ? "gain" : "mix");
            return 0;
        case effGetParamLabel:
            Copy(ptr, index == 0 ? "dB" : "%");
            return 0;
        case effGetParamDisplay:
            Copy(ptr, index == 0 ? "-6.0" : "50");
            return 0;
        case effGetChunk:
            // Not chunk based: a host that asks anyway gets a size it must not report.
            return 999;
        default:
            return 0;
    }
}

float VSTCALLBACK GetParameter(AEffect*, int32_t index) {
    return index == 0 ? 0.25f : 0.5f;
}

}  // namespace

TEST_EXPORT AEffect* VSTCALLBACK MAIN(audioMasterCallback host) {
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* p = new OddPlugin{};
    p->host = host;
    AEffect& e = p->effect;
    e.magic = kEffectMagic;
    e.dispatcher = &Dispatch;
    e.getParameter = &GetParameter;  // setParameter left empty on purpose
    e.numPrograms = 3;
    e.numParams = 2;
    e.numInputs = 2;
    e.numOutputs = 6;
    e.flags = effFlagsHasEditor | effFlagsCanReplacing | effFlagsIsSynth | kUnnamedFlag;
    e.initialDelay = 64;
    e.object = p;
    e.uniqueID = FourCharCode('A', 'b', 'C', 'd');
    e.version = 3;
    return &e;
}
