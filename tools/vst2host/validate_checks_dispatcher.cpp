// Every dispatcher opcode with arguments a careful host would pass, and the texts a plug-in
// writes into host buffers.
#include <cstring>
#include <string>
#include <vector>

#include "tools/vst2host/validate_checks.h"

namespace vst2host {
namespace {

// Opcodes that need a window, a running editor or offline-processing records: no argument
// makes them harmless, so they are left out. That includes asking for the editor's size:
// hosts do that only to open the editor, and some plug-ins reach for a display there.
bool NeedsMoreThanHarmlessArguments(int32_t opcode) {
    switch (opcode) {
        case effClose:
        case effEditGetRect:
        case effEditOpen:
        case effEditClose:
        case effEditDraw:
        case effEditMouse:
        case effEditKey:
        case effEditIdle:
        case effEditTop:
        case effEditSleep:
        case effEditKeyDown:
        case effEditKeyUp:
        case effSetEditKnobMode:
        case effOfflineNotify:
        case effOfflinePrepare:
        case effOfflineRun:
        case effProcessVarIo:
            return true;
        default:
            return false;
    }
}

// Zeroed room for any record an opcode fills or reads; far larger than any of them.
struct Scratch {
    alignas(16) unsigned char bytes[8192];
    void* clear() {
        std::memset(bytes, 0, sizeof bytes);
        return bytes;
    }
};

// A speaker arrangement of `channels` unnamed speakers, user-defined type: 8 bytes of header
// then 112 bytes per speaker.
void* Arrangement(Scratch& s, int32_t channels) {
    void* p = s.clear();
    const int32_t type = -2;
    std::memcpy(s.bytes, &type, 4);
    std::memcpy(s.bytes + 4, &channels, 4);
    return p;
}

void CallWithHarmlessArguments(const ValidatedPlugin& plugin, int32_t opcode) {
    static Scratch a;
    static Scratch b;
    const AEffect& e = plugin.effect();
    char text[512] = {};
    switch (opcode) {
        case effSetSampleRate:
            plugin.dispatch(opcode, 0, 0, nullptr, 44100.0f);
            return;
        case effSetBlockSize:
            plugin.dispatch(opcode, 0, 512);
            return;
        case effMainsChanged:
            plugin.dispatch(opcode, 0, 1);
            plugin.dispatch(opcode, 0, 0);
            return;
        case effSetProgramName:
            std::strcpy(text, "validate");
            plugin.dispatch(opcode, 0, 0, text);
            return;
        case effGetChunk: {
            void* out = nullptr;
            const intptr_t size = plugin.dispatch(opcode, 0, 0, &out);
            if (size > 0 && out != nullptr) {
                // Hand the same state back, as hosts do when they reload what they saved.
                const std::vector<unsigned char> copy(static_cast<unsigned char*>(out),
                                                      static_cast<unsigned char*>(out) + size);
                plugin.dispatch(effSetChunk, 0, size, const_cast<unsigned char*>(copy.data()));
            }
            return;
        }
        case effSetChunk:
            return;  // done with the chunk effGetChunk gave
        case effProcessEvents: {
            auto* events = static_cast<VstEvents*>(a.clear());
            plugin.dispatch(opcode, 0, 0, events);
            return;
        }
        case effString2Parameter:
            if (e.numParams > 0) plugin.dispatch(opcode, 0, 0, nullptr);
            return;
        case effCanBeAutomated:
        case effGetParameterProperties:
            for (int32_t i = 0; i < e.numParams; ++i) plugin.dispatch(opcode, i, 0, a.clear());
            return;
        case effGetInputProperties:
        case effGetOutputProperties: {
            const int32_t n = opcode == effGetInputProperties ? e.numInputs : e.numOutputs;
            for (int32_t i = 0; i < n; ++i) plugin.dispatch(opcode, i, 0, a.clear());
            return;
        }
        case effSetSpeakerArrangement:
            plugin.dispatch(opcode, 0, reinterpret_cast<intptr_t>(Arrangement(a, e.numInputs)),
                            Arrangement(b, e.numOutputs));
            return;
        case effGetSpeakerArrangement: {
            void* in = nullptr;
            void* out = nullptr;
            plugin.dispatch(opcode, 0, reinterpret_cast<intptr_t>(&in), &out);
            return;
        }
        case effSetBlockSizeAndSampleRate:
            plugin.dispatch(opcode, 0, 512, nullptr, 44100.0f);
            return;
        case effCanDo:
            for (const char* what : {"receiveVstEvents", "receiveVstMidiEvent", "sendVstEvents",
                                     "bypass", "offline", "midiProgramNames", "no such thing"}) {
                std::strcpy(text, what);
                plugin.dispatch(opcode, 0, 0, text);
            }
            return;
        case effConnectInput:
        case effConnectOutput:
            plugin.dispatch(opcode, 0, 1);
            return;
        case effSetTotalSampleToProcess:
            plugin.dispatch(opcode, 0, 44100);
            return;
        case effSetPanLaw:
            plugin.dispatch(opcode, 0, 0, nullptr, 1.0f);
            return;
        case effStartProcess:
            plugin.dispatch(effStartProcess);
            plugin.dispatch(effStopProcess);
            return;
        default:
            // Pointer-taking opcodes get zeroed room, the rest zeros.
            plugin.dispatch(opcode, 0, 0, a.clear());
            return;
    }
}

}  // namespace

void RunDispatcherChecks(const CheckContext& context) {
    context.Run("dispatcher opcodes", [&] {
        ValidatedPlugin plugin(context.pluginPath);
        const int rounds = context.strictness >= 8 ? 3 : 1;
        int called = 0;
        for (int round = 0; round < rounds; ++round) {
            for (int32_t opcode = effOpen; opcode <= effGetNumMidiOutputChannels; ++opcode) {
                if (NeedsMoreThanHarmlessArguments(opcode)) continue;
                context.reporter->Note("opcode " + std::to_string(opcode));
                CallWithHarmlessArguments(plugin, opcode);
                ++called;
            }
            // Opcodes beyond the format's last must be ignored.
            for (int32_t opcode : {80, 200, 0x7fff}) plugin.dispatch(opcode);
        }
        return CheckOutcome::Pass(std::to_string(called) + " calls; editor and offline " +
                                  "opcodes left out");
    });

    context.Run("text buffers", [&] {
        ValidatedPlugin plugin(context.pluginPath);
        const AEffect& e = plugin.effect();
        struct Text {
            int32_t opcode;
            const char* what;
            int limit;
            int32_t index;
        };
        std::vector<Text> texts = {
            {effGetEffectName, "effect name", 32, 0},
            {effGetVendorString, "vendor", 64, 0},
            {effGetProductString, "product", 64, 0},
            {effGetErrorText, "error text", 256, 0},
            {effGetProgramName, "program name",
             ParameterTextLimit(effGetProgramName, context.strictness), 0},
        };
        for (int32_t p = 0; p < e.numPrograms && p < 128; ++p) {
            texts.push_back({effGetProgramNameIndexed, "indexed program name",
                             ParameterTextLimit(effGetProgramNameIndexed, context.strictness), p});
        }
        int checked = 0;
        for (const Text& t : texts) {
            const std::string fault = CheckedText(plugin, t.opcode, t.index, t.limit, false);
            if (!fault.empty()) {
                return CheckOutcome::Fail(std::string(t.what) + " " + std::to_string(t.index) +
                                          ": " + fault);
            }
            ++checked;
        }
        return CheckOutcome::Pass(std::to_string(checked) + " texts terminated within limits");
    });
}

}  // namespace vst2host
