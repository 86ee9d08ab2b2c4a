// Crash reports describe the call without printf, which a signal handler may not use; the text
// must read exactly as printf writes it, as in every other verdict.
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

// printf's text for the calls the test makes.
std::string Model(const PluginCall& c, const char* opcodeName) {
    char out[400];
    if (c.kind == Kind::kSetParameter) {
        std::snprintf(out, sizeof out, "setParameter(%d, %g)", c.opcode, double{c.opt});
    } else if (c.kind == Kind::kProcess) {
        std::snprintf(out, sizeof out, "%s(%d frame%s)",
                      c.doubles ? "processDoubleReplacing" : "processReplacing", c.frames,
                      c.frames == 1 ? "" : "s");
    } else {
        char unknown[24];
        std::snprintf(unknown, sizeof unknown, "opcode %d", c.opcode);
        std::snprintf(out, sizeof out, "dispatcher(%s, index %d, value %lld, opt %g)",
                      opcodeName != nullptr ? opcodeName : unknown, c.index,
                      static_cast<long long>(c.value), double{c.opt});
    }
    return out;
}

TEST(ValidateCallText, ReadsAsPrintfWritesIt) {
    using Limits = std::numeric_limits<float>;
    std::vector<float> values = {0.0f,
                                 -0.0f,
                                 1.0f,
                                 0.1f,
                                 1e-7f,
                                 99999.5f,
                                 1e38f,
                                 999999.5f,
                                 Limits::denorm_min(),
                                 Limits::infinity(),
                                 -Limits::infinity(),
                                 Limits::quiet_NaN(),
                                 -Limits::quiet_NaN()};
    std::mt19937 random(20240611);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(std::bit_cast<float>(static_cast<uint32_t>(random())));
    }
    for (const float v : values) {
        const PluginCall set{.kind = Kind::kSetParameter, .opcode = 3, .opt = v};
        ASSERT_EQ(vst2host::Describe(set), Model(set, nullptr));
        const PluginCall dispatch{.kind = Kind::kDispatch, .opcode = 25, .index = 7, .opt = v};
        ASSERT_EQ(vst2host::Describe(dispatch), Model(dispatch, "effProcessEvents"));
    }
    for (const intptr_t n : {intptr_t{0}, intptr_t{1}, intptr_t{-1}, intptr_t{INT32_MIN},
                             intptr_t{INT32_MAX}, INTPTR_MIN, INTPTR_MAX}) {
        const auto n32 = static_cast<int32_t>(n);
        const PluginCall calls[] = {
            {.kind = Kind::kDispatch, .opcode = 79, .index = n32, .value = n},
            {.kind = Kind::kDispatch, .opcode = n32 < 0 ? n32 : 80 + (n32 & 0xffff)},
            {.kind = Kind::kProcess, .frames = n32},
            {.kind = Kind::kProcess, .frames = n32, .doubles = true}};
        for (const PluginCall& call : calls) {
            ASSERT_EQ(vst2host::Describe(call),
                      Model(call, call.opcode == 79 ? "effGetNumMidiOutputChannels" : nullptr));
        }
    }
}

}  // namespace
