#include "tools/vst2host/validate_checks.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <utility>

namespace vst2host {
namespace {

constexpr std::size_t kCanaryBufferSize = 512;
constexpr unsigned char kCanary = 0xA5;

}  // namespace

void CheckContext::Run(const std::string& check, const std::function<CheckOutcome()>& body) const {
    reporter->Begin(check);
    TakeCloseFault();  // an earlier check's
    CheckOutcome outcome;
    try {
        outcome = body();
    } catch (const PluginThrew& e) {
        outcome = CheckOutcome::Fail(e.what());
    } catch (const LoadError& e) {
        outcome = CheckOutcome::Fail(e.what());
    } catch (const std::exception& e) {
        // Not out of a plug-in call: the validator's own, though often over what a plug-in
        // answered (a chunk size no memory holds).
        outcome = CheckOutcome::Fail(std::string("the validator failed: ") + e.what() + " after " +
                                     Describe(CurrentCall()));
    } catch (...) {
        // Every plug-in call turns what it throws into PluginThrew: this one came from
        // somewhere else, and the last call is all there is to go on.
        outcome = CheckOutcome::Fail("an exception of unknown type escaped after " +
                                     Describe(CurrentCall()));
    }
    // An instance closed on the way out may have thrown where nothing could catch it.
    if (std::string closeFault = TakeCloseFault();
        !closeFault.empty() && outcome.verdict != Verdict::kFail) {
        outcome = CheckOutcome::Fail(std::move(closeFault));
    }
    reporter->Finish(check, outcome);
}

int CheckContext::Scaled(int atDefault) const {
    return std::max(1, atDefault * strictness / 5);
}

const std::vector<CheckGroup>& CheckGroups() {
    static const std::vector<CheckGroup> groups = {
        {"lifecycle", {"open-close cold", "open-close warm"}, RunLifecycleChecks},
        {"dispatcher", {"dispatcher opcodes", "text buffers"}, RunDispatcherChecks},
        {"parameters", {"parameter range", "parameter texts"}, RunParameterChecks},
        {"state", {"state round trip", "state into second instance"}, RunStateChecks},
        {"processing",
         {"process float", "process double", "automation while processing",
          "allocations while processing", "real-time factor"},
         RunProcessingChecks},
        {"threads", {"threads"}, RunThreadChecks},
    };
    return groups;
}

std::string CheckedText(const ValidatedPlugin& plugin, int32_t opcode, int32_t index, int limit,
                        bool nonEmpty, std::string* text) {
    unsigned char buffer[kCanaryBufferSize];
    std::memset(buffer, kCanary, sizeof buffer);
    plugin.dispatch(opcode, index, 0, buffer);
    const auto* end = static_cast<const unsigned char*>(std::memchr(buffer, 0, sizeof buffer));
    const std::size_t length = end ? static_cast<std::size_t>(end - buffer) : sizeof buffer;
    if (text)
        text->assign(reinterpret_cast<const char*>(buffer), std::min<std::size_t>(length, 64));
    const auto size = static_cast<std::size_t>(limit);
    // An opcode a plug-in does not answer leaves the buffer as it was; that is allowed for
    // every text a host may do without.
    const bool untouched =
        std::all_of(buffer, buffer + sizeof buffer, [](unsigned char b) { return b == kCanary; });
    if (untouched) {
        if (text) text->clear();
        return nonEmpty ? "not answered" : "";
    }
    for (std::size_t i = size; i < sizeof buffer; ++i) {
        if (buffer[i] != kCanary) {
            return "wrote byte " + std::to_string(i) + " of the buffer (limit " +
                   std::to_string(limit) + " bytes)";
        }
    }
    if (length >= size) return "no terminating zero within " + std::to_string(limit) + " bytes";
    if (nonEmpty && length == 0) return "empty text";
    return "";
}

int ParameterTextLimit(int32_t opcode, int strictness) {
    const bool strict = strictness >= 8;
    switch (opcode) {
        case effGetParamLabel:
        case effGetParamDisplay:
            return strict ? 8 : 64;
        case effGetParamName:
            return strict ? 32 : 64;
        case effGetProgramName:
        case effGetProgramNameIndexed:
            return strict ? 24 : 64;
        default:
            return 64;
    }
}

}  // namespace vst2host
