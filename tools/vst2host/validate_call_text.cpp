#include "tools/vst2host/validate_call_text.h"

#include <charconv>
#include <iterator>

namespace vst2host {
namespace {

// The opcodes' names, by number, as plug-in sources spell them.
constexpr const char* kOpcodeNames[] = {"effOpen",
                                        "effClose",
                                        "effSetProgram",
                                        "effGetProgram",
                                        "effSetProgramName",
                                        "effGetProgramName",
                                        "effGetParamLabel",
                                        "effGetParamDisplay",
                                        "effGetParamName",
                                        "effGetVu",
                                        "effSetSampleRate",
                                        "effSetBlockSize",
                                        "effMainsChanged",
                                        "effEditGetRect",
                                        "effEditOpen",
                                        "effEditClose",
                                        "effEditDraw",
                                        "effEditMouse",
                                        "effEditKey",
                                        "effEditIdle",
                                        "effEditTop",
                                        "effEditSleep",
                                        "effIdentify",
                                        "effGetChunk",
                                        "effSetChunk",
                                        "effProcessEvents",
                                        "effCanBeAutomated",
                                        "effString2Parameter",
                                        "effGetNumProgramCategories",
                                        "effGetProgramNameIndexed",
                                        "effCopyProgram",
                                        "effConnectInput",
                                        "effConnectOutput",
                                        "effGetInputProperties",
                                        "effGetOutputProperties",
                                        "effGetPlugCategory",
                                        "effGetCurrentPosition",
                                        "effGetDestinationBuffer",
                                        "effOfflineNotify",
                                        "effOfflinePrepare",
                                        "effOfflineRun",
                                        "effProcessVarIo",
                                        "effSetSpeakerArrangement",
                                        "effSetBlockSizeAndSampleRate",
                                        "effSetBypass",
                                        "effGetEffectName",
                                        "effGetErrorText",
                                        "effGetVendorString",
                                        "effGetProductString",
                                        "effGetVendorVersion",
                                        "effVendorSpecific",
                                        "effCanDo",
                                        "effGetTailSize",
                                        "effIdle",
                                        "effGetIcon",
                                        "effSetViewPosition",
                                        "effGetParameterProperties",
                                        "effKeysRequired",
                                        "effGetVstVersion",
                                        "effEditKeyDown",
                                        "effEditKeyUp",
                                        "effSetEditKnobMode",
                                        "effGetMidiProgramName",
                                        "effGetCurrentMidiProgram",
                                        "effGetMidiProgramCategory",
                                        "effHasMidiProgramsChanged",
                                        "effGetMidiKeyName",
                                        "effBeginSetProgram",
                                        "effEndSetProgram",
                                        "effGetSpeakerArrangement",
                                        "effShellGetNextPlugin",
                                        "effStartProcess",
                                        "effStopProcess",
                                        "effSetTotalSampleToProcess",
                                        "effSetPanLaw",
                                        "effBeginLoadBank",
                                        "effBeginLoadProgram",
                                        "effSetProcessPrecision",
                                        "effGetNumMidiInputChannels",
                                        "effGetNumMidiOutputChannels"};

}  // namespace

FixedText::FixedText(char* buffer, std::size_t size) noexcept : buffer_(buffer), size_(size) {
    buffer_[0] = '\0';
}

FixedText& FixedText::Text(const char* text) noexcept {
    for (; *text != '\0' && used_ + 1 < size_; ++text) buffer_[used_++] = *text;
    buffer_[used_] = '\0';
    return *this;
}

FixedText& FixedText::Integer(long long value) noexcept {
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits - 1, value);
    *end = '\0';
    return Text(error == std::errc() ? digits : "?");
}

FixedText& FixedText::Float(double value) noexcept {
    // std::to_chars in the general format with a precision is printf's "%g" in the C locale,
    // and works in the buffer it is given: nothing a signal handler may not do.
    char digits[32];
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof digits - 1, value, std::chars_format::general, 6);
    *end = '\0';
    return Text(error == std::errc() ? digits : "?");
}

void DescribeInto(FixedText& out, const PluginCall& c) noexcept {
    using Kind = PluginCall::Kind;
    switch (c.kind) {
        case Kind::kNone:
            out.Text("no plug-in call");
            return;
        case Kind::kEntry:
            out.Text(c.entry != nullptr ? c.entry : "entry").Text("(host callback)");
            return;
        case Kind::kDispatch:
            out.Text("dispatcher(");
            if (c.opcode >= 0 && c.opcode < static_cast<int32_t>(std::size(kOpcodeNames))) {
                out.Text(kOpcodeNames[c.opcode]);
            } else {
                out.Text("opcode ").Integer(c.opcode);
            }
            out.Text(", index ").Integer(c.index).Text(", value ").Integer(c.value);
            out.Text(", opt ").Float(c.opt).Text(")");
            return;
        case Kind::kSetParameter:
            out.Text("setParameter(").Integer(c.opcode).Text(", ").Float(c.opt).Text(")");
            return;
        case Kind::kGetParameter:
            out.Text("getParameter(").Integer(c.opcode).Text(")");
            return;
        case Kind::kProcess:
            out.Text(c.doubles ? "processDoubleReplacing(" : "processReplacing(")
                .Integer(c.frames)
                .Text(c.frames == 1 ? " frame)" : " frames)");
            return;
    }
}

std::string Describe(const PluginCall& call) {
    char text[400];
    FixedText out(text, sizeof text);
    DescribeInto(out, call);
    return std::string(text, out.length());
}

}  // namespace vst2host
