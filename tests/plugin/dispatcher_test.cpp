// What the dispatcher answers to the opcodes a host sends while it probes and runs the
// plug-in.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "tests/plugin/scripted_host.h"

namespace {

class Dispatcher : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.valid());
        plugin.Start();
    }

    ScriptedHost host;
    HostedEffect plugin{host};
};

struct OpcodeCase {
    const char* what;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    intptr_t expected;
};

TEST_F(Dispatcher, AnswersPlainOpcodes) {
    const OpcodeCase cases[] = {
        {"identify", effIdentify, 0, 0, 0x4E764566},
        {"VST version", effGetVstVersion, 0, 0, 2400},
        {"vendor version", effGetVendorVersion, 0, 0, 1000},
        {"plug category: effect, not synth", effGetPlugCategory, 0, 0, 0},
        {"current MIDI program: none", effGetCurrentMidiProgram, 0, 0, -1},
        {"total samples to process", effSetTotalSampleToProcess, 0, 512, 512},
        {"current program", effGetProgram, 0, 0, 0},
        {"unknown opcode 80", 80, 0, 0, 0},
        {"unknown opcode 200", 200, 0, 0, 0},
        {"unknown opcode -1", -1, 0, 0, 0},
        {"unknown opcode INT32_MIN", INT32_MIN, 0, 0, 0},
        {"unknown opcode INT32_MAX", INT32_MAX, 0, 0, 0},
    };
    for (const OpcodeCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(plugin.Dispatch(c.opcode, c.index, c.value), c.expected);
    }
}

TEST_F(Dispatcher, EveryParameterCanBeAutomated) {
    for (int32_t i = 0; i < plugin.effect()->numParams; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(plugin.Dispatch(effCanBeAutomated, i), 1);
    }
}

TEST_F(Dispatcher, HasNoEditor) {
    EXPECT_EQ(plugin.effect()->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    char fakeWindow[16] = {};
    const OpcodeCase cases[] = {
        {"get rect", effEditGetRect, 0, 0, 0},      {"open", effEditOpen, 0, 0, 0},
        {"close", effEditClose, 0, 0, 0},           {"idle", effEditIdle, 0, 0, 0},
        {"key down", effEditKeyDown, 'a', 0, 0},    {"key up", effEditKeyUp, 'a', 0, 0},
        {"knob mode", effSetEditKnobMode, 0, 2, 0},
    };
    for (const OpcodeCase& c : cases) {
        SCOPED_TRACE(c.what);
        void* ptr =
            c.opcode == effEditGetRect ? static_cast<void*>(&rect) : static_cast<void*>(fakeWindow);
        EXPECT_EQ(plugin.Dispatch(c.opcode, c.index, c.value, ptr), c.expected);
    }
    EXPECT_EQ(rect, nullptr);
}

TEST_F(Dispatcher, AnswersIdentityTexts) {
    struct TextCase {
        const char* what;
        int32_t opcode;
        const char* text;
        intptr_t answer;
    };
    const TextCase cases[] = {
        {"effect name", effGetEffectName, "Kelvane_Lotta router", 1},
        {"product", effGetProductString, "Kelvane_Lotta router", 1},
        {"vendor", effGetVendorString, "Kelvane", 1},
        {"program name", effGetProgramName, "Kelvane_Lotta router", 0},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.what);
        char buffer[HostedEffect::kTextBufferSize] = {};
        EXPECT_EQ(plugin.Dispatch(c.opcode, 0, 0, buffer), c.answer);
        EXPECT_STREQ(buffer, c.text);
    }
}

TEST_F(Dispatcher, HasOneProgramOnly) {
    for (intptr_t program : {intptr_t{1}, intptr_t{-1}, intptr_t{1000}, intptr_t{0}}) {
        SCOPED_TRACE(program);
        plugin.Dispatch(effSetProgram, 0, program);
        EXPECT_EQ(plugin.Dispatch(effGetProgram), 0);
    }
}

TEST_F(Dispatcher, SpeakerArrangementQueryClearsBothOutPointers) {
    // Both out-pointers hold something, as a host's uninitialised locals might.
    int dummy = 0;
    auto* input = reinterpret_cast<VstSpeakerArrangement*>(&dummy);
    auto* output = reinterpret_cast<VstSpeakerArrangement*>(&dummy);
    EXPECT_EQ(
        plugin.Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output),
        0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(Dispatcher, CanDoAnswersOnlyReceivingMidiAndKeepsTheFlags) {
    struct CanDoCase {
        const char* text;
        intptr_t answer;
    };
    const CanDoCase cases[] = {
        {"receiveVstMidiEvent", 1},   {"receiveVstEvents", -1},
        {"sendVstMidiEvent", -1},     {"sendVstEvents", -1},
        {"receiveVstTimeInfo", -1},   {"bypass", -1},
        {"receiveVstMidiEventX", -1},  // the whole text must match, not a prefix
        {"receiveVstMidi", -1},       {"", -1},
    };
    const int32_t flags = plugin.effect()->flags;
    for (const CanDoCase& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        EXPECT_EQ(plugin.Dispatch(effCanDo, 0, 0, text.data()), c.answer);
        EXPECT_EQ(plugin.effect()->flags, flags);
    }
}

TEST_F(Dispatcher, CloseAnswersOne) {
    EXPECT_EQ(plugin.Close(), 1);
}

}  // namespace
