// The call texts of crash reports are made without printf, which a signal handler may not use:
// they must read exactly as printf writes them, which is what every other verdict shows.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tools/vst2host/validate_call_text.h"

namespace {

using vst2host::PluginCall;
using Kind = PluginCall::Kind;

// The texts as printf makes them, from the opcode names it is given.
std::string Model(const PluginCall& c, const char* opcodeName) {
    char out[400];
    switch (c.kind) {
        case Kind::kNone:
            return "no plug-in call";
        case Kind::kEntry:
            std::snprintf(out, sizeof out, "%s(host callback)",
                          c.entry != nullptr ? c.entry : "entry");
            break;
        case Kind::kDispatch: {
            char unknown[24];
            std::snprintf(unknown, sizeof unknown, "opcode %d", static_cast<int>(c.opcode));
            std::snprintf(out, sizeof out, "dispatcher(%s, index %d, value %lld, opt %g)",
                          opcodeName != nullptr ? opcodeName : unknown, static_cast<int>(c.index),
                          static_cast<long long>(c.value), static_cast<double>(c.opt));
            break;
        }
        case Kind::kSetParameter:
            std::snprintf(out, sizeof out, "setParameter(%d, %g)", static_cast<int>(c.opcode),
                          static_cast<double>(c.opt));
            break;
        case Kind::kGetParameter:
            std::snprintf(out, sizeof out, "getParameter(%d)", static_cast<int>(c.opcode));
            break;
        case Kind::kProcess:
            std::snprintf(out, sizeof out, "%s(%d frame%s)",
                          c.doubles ? "processDoubleReplacing" : "processReplacing",
                          static_cast<int>(c.frames), c.frames == 1 ? "" : "s");
            break;
    }
    return out;
}

TEST(ValidateCallText, ReadsAsPrintfWritesIt) {
    std::vector<float> values = {0.0f,
                                 -0.0f,
                                 1.0f,
                                 0.25f,
                                 0.1f,
                                 1e-7f,
                                 1e-5f,
                                 0.0001f,
                                 99999.5f,
                                 999999.5f,
                                 123456789.0f,
                                 3.4e38f,
                                 std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN(),
                                 -std::numeric_limits<float>::quiet_NaN()};
    std::mt19937 random(20240611);
    for (int i = 0; i < 20000; ++i)
        values.push_back(std::bit_cast<float>(static_cast<uint32_t>(random())));
    for (int i = 0; i < 2000; ++i) {
        values.push_back(std::uniform_real_distribution<float>(0.0f, 1.0f)(random));
    }
    const std::vector<intptr_t> numbers = {0,         1,         -1,         512,
                                           INT32_MIN, INT32_MAX, INTPTR_MIN, INTPTR_MAX};

    int compared = 0;
    auto expectSame = [&](const PluginCall& call, const char* opcodeName) {
        ASSERT_EQ(vst2host::Describe(call), Model(call, opcodeName)) << compared;
        ++compared;
    };
    for (const float v : values) {
        PluginCall set{.kind = Kind::kSetParameter, .opcode = 3, .opt = v};
        expectSame(set, nullptr);
        PluginCall dispatch{
            .kind = Kind::kDispatch, .opcode = 25, .index = 7, .value = 1, .opt = v};
        expectSame(dispatch, "effProcessEvents");
    }
    for (const intptr_t n : numbers) {
        const auto n32 = static_cast<int32_t>(n);
        expectSame({.kind = Kind::kDispatch, .opcode = 0, .index = n32, .value = n}, "effOpen");
        expectSame({.kind = Kind::kDispatch, .opcode = 79, .value = n},
                   "effGetNumMidiOutputChannels");
        expectSame({.kind = Kind::kDispatch, .opcode = 80, .index = n32}, nullptr);
        expectSame({.kind = Kind::kDispatch, .opcode = n32}, n32 == 0   ? "effOpen"
                                                             : n32 == 1 ? "effClose"
                                                                        : nullptr);
        expectSame({.kind = Kind::kGetParameter, .opcode = n32}, nullptr);
        expectSame({.kind = Kind::kProcess, .frames = n32}, nullptr);
        expectSame({.kind = Kind::kProcess, .frames = n32, .doubles = true}, nullptr);
    }
    expectSame({.kind = Kind::kEntry, .entry = "VSTPluginMain"}, nullptr);
    expectSame({.kind = Kind::kEntry}, nullptr);
    expectSame({}, nullptr);
    EXPECT_GT(compared, 44000);
}

// Cut to fit and terminated, as snprintf cuts.
TEST(ValidateCallText, CutsToTheBufferAsSnprintfDoes) {
    const PluginCall call{.kind = Kind::kSetParameter, .opcode = 12, .opt = 0.123456f};
    const std::string whole = Model(call, nullptr);
    for (std::size_t size = 1; size <= whole.size() + 2; ++size) {
        std::vector<char> buffer(size, 'x');
        vst2host::FixedText text(buffer.data(), size);
        vst2host::DescribeInto(text, call);
        std::vector<char> expected(size, 'x');
        std::snprintf(expected.data(), size, "%s", whole.c_str());
        EXPECT_EQ(std::string(buffer.data()), std::string(expected.data())) << size;
        EXPECT_EQ(text.length(), std::string(expected.data()).size()) << size;
    }
}

}  // namespace
