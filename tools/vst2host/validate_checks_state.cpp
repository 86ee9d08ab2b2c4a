// State: what a plug-in saves, it restores, in the same instance after a change and in a
// second instance. Chunk plug-ins are compared byte for byte, the others by their parameters.
// A plug-in may apply a restored state at its next process call, as hosts see it: each
// instance processes a few blocks before it is read back. A chunk that comes back in other
// bytes but with every parameter the same, and comes back unchanged from then on, is the
// same state written differently.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/vst2host/text_format.h"
#include "tools/vst2host/validate_audio.h"
#include "tools/vst2host/validate_checks.h"
#include "tools/vst2host/validate_state_compare.h"

namespace vst2host {
namespace {

using Bytes = std::vector<unsigned char>;

bool UsesChunks(const ValidatedPlugin& plugin) {
    return (plugin.effect().flags & effFlagsProgramChunks) != 0;
}

// The saved state: the chunk, or every parameter's value as bytes.
Bytes Save(const ValidatedPlugin& plugin) {
    if (UsesChunks(plugin)) {
        void* data = nullptr;
        const intptr_t size = plugin.dispatch(effGetChunk, 0, 0, &data);
        if (size <= 0 || data == nullptr) return {};
        return Bytes(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    }
    Bytes bytes;
    for (int32_t i = 0; i < plugin.effect().numParams; ++i) {
        const float v = plugin.getParameter(i);
        const auto* p = reinterpret_cast<const unsigned char*>(&v);
        bytes.insert(bytes.end(), p, p + sizeof v);
    }
    return bytes;
}

void Restore(const ValidatedPlugin& plugin, const Bytes& state) {
    if (UsesChunks(plugin)) {
        Bytes copy = state;  // the plug-in may keep or change what it is given
        plugin.dispatch(effSetChunk, 0, static_cast<intptr_t>(copy.size()), copy.data());
        return;
    }
    for (std::size_t i = 0; i + sizeof(float) <= state.size(); i += sizeof(float)) {
        float v = 0.0f;
        std::memcpy(&v, &state[i], sizeof v);
        plugin.setParameter(static_cast<int32_t>(i / sizeof(float)), v);
    }
}

// Moves every parameter somewhere else: a host's automation or a user between save and load.
void Change(const ValidatedPlugin& plugin, uint32_t seed) {
    for (int32_t i = 0; i < plugin.effect().numParams; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const float v = plugin.getParameter(i);
        const float moved = v < 0.5f ? 1.0f : 0.0f;
        plugin.setParameter(
            i, (seed >> 31) != 0 ? moved : static_cast<float>(seed >> 8) / 16777216.0f);
    }
}

Snapshot Parameters(const ValidatedPlugin& plugin) {
    Snapshot s;
    for (int32_t i = 0; i < plugin.effect().numParams; ++i) {
        s.values.push_back(plugin.getParameter(i));
        s.displays.push_back(plugin.dispatchText(effGetParamDisplay, i));
    }
    return s;
}

// What a host does between loading a state and showing it: a few blocks of processing and
// an idle call.
void Settle(const ValidatedPlugin& plugin) {
    constexpr int32_t kFrames = 256;
    NoiseBlock<float> block(plugin.effect().numInputs, plugin.effect().numOutputs, kFrames);
    StartProcessing(plugin, 48000.0, kFrames);
    for (int i = 0; i < 4 && plugin.effect().processReplacing != nullptr; ++i) {
        block.Refill(kFrames);
        ProcessBlock(plugin, block, kFrames);
    }
    plugin.dispatch(effIdle);
    StopProcessing(plugin);
}

std::vector<float> Values(const ValidatedPlugin& plugin) {
    std::vector<float> values;
    for (int32_t i = 0; i < plugin.effect().numParams; ++i) {
        values.push_back(plugin.getParameter(i));
    }
    return values;
}

std::string FirstDifference(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size()) {
        return std::to_string(a.size()) + " bytes saved, " + std::to_string(b.size()) +
               " after the restore";
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return "byte " + std::to_string(i) + " differs after the restore";
    }
    return "";
}

std::string What(const ValidatedPlugin& plugin) {
    return UsesChunks(plugin) ? "chunk" : "parameter values";
}

// Restores `saved` (taken when the parameters read `params`) into `plugin` and reads it back:
// "" when it is the same state, else how it differs. `setByTest`: the parameters were last
// set by the check, not the plug-in's own. `note` tells of a state that came back in other
// bytes or values but as the same state.
std::string RestoreAndCompare(const ValidatedPlugin& plugin, const Bytes& saved,
                              const Snapshot& params, bool setByTest, std::string& note) {
    const std::vector<float> before = Values(plugin);
    Restore(plugin, saved);
    Settle(plugin);
    const Bytes again = Save(plugin);
    int sameShown = 0;
    const std::string values =
        ParameterDifference(params, Parameters(plugin), before, setByTest, sameShown);
    if (sameShown > 0 && note.empty()) {
        note = "; " + std::to_string(sameShown) +
               " parameter(s) came back within a float step or as another value shown as the "
               "same text";
    }
    if (!UsesChunks(plugin)) return values;
    const std::string bytes = FirstDifference(saved, again);
    if (!values.empty()) return bytes.empty() ? values : bytes + "; " + values;
    if (bytes.empty()) return "";
    // The same parameters in other bytes: the same state only if it is now written stably.
    Restore(plugin, again);
    Settle(plugin);
    const Bytes third = Save(plugin);
    if (third != again) {
        return bytes + ", and " + std::to_string(third.size()) + " after restoring that";
    }
    note = "; the chunk came back in other bytes (" + bytes +
           ") with the same parameters, unchanged from then on";
    return "";
}

}  // namespace

void RunStateChecks(const CheckContext& context) {
    context.Run("state round trip", [&] {
        ValidatedPlugin plugin(context.pluginPath);
        plugin.dispatch(effMainsChanged, 0, 1);
        const int rounds = context.Scaled(4);
        std::string note;
        for (int round = 0; round < rounds; ++round) {
            // From defaults first, then from states the changes left.
            if (round > 0) Change(plugin, static_cast<uint32_t>(round) * 7919u);
            Settle(plugin);
            const Snapshot params = Parameters(plugin);
            const Bytes saved = Save(plugin);
            Change(plugin, static_cast<uint32_t>(round) + 1u);
            const std::string fault = RestoreAndCompare(plugin, saved, params, true, note);
            if (!fault.empty()) {
                return CheckOutcome::Fail(What(plugin) + ", round " + std::to_string(round + 1) +
                                          ": " + fault);
            }
        }
        return CheckOutcome::Pass(What(plugin) + ", " + std::to_string(rounds) + " rounds" + note);
    });

    context.Run("state into second instance", [&] {
        ValidatedPlugin first(context.pluginPath);
        Change(first, 12345u);
        Settle(first);
        const Snapshot params = Parameters(first);
        const Bytes saved = Save(first);
        ValidatedPlugin second(context.pluginPath);
        std::string note;
        const std::string fault = RestoreAndCompare(second, saved, params, false, note);
        if (!fault.empty()) {
            return CheckOutcome::Fail(What(first) + ": " + fault + " (second instance)");
        }
        return CheckOutcome::Pass(What(first) + " of " + std::to_string(saved.size()) + " bytes" +
                                  note);
    });
}

}  // namespace vst2host
