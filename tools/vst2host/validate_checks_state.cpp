// State: what a plug-in saves, it restores, in the same instance after a change and in a
// second instance. Chunk plug-ins are compared byte for byte, the others by their parameters.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tools/vst2host/validate_checks.h"

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

}  // namespace

void RunStateChecks(const CheckContext& context) {
    context.Run("state round trip", [&] {
        ValidatedPlugin plugin(context.pluginPath);
        plugin.dispatch(effMainsChanged, 0, 1);
        const int rounds = context.Scaled(4);
        for (int round = 0; round < rounds; ++round) {
            // From defaults first, then from states the changes left.
            if (round > 0) Change(plugin, static_cast<uint32_t>(round) * 7919u);
            const Bytes saved = Save(plugin);
            Change(plugin, static_cast<uint32_t>(round) + 1u);
            Restore(plugin, saved);
            const std::string fault = FirstDifference(saved, Save(plugin));
            if (!fault.empty()) {
                return CheckOutcome::Fail(What(plugin) + ", round " + std::to_string(round + 1) +
                                          ": " + fault);
            }
        }
        return CheckOutcome::Pass(What(plugin) + ", " + std::to_string(rounds) + " rounds");
    });

    context.Run("state into second instance", [&] {
        ValidatedPlugin first(context.pluginPath);
        Change(first, 12345u);
        const Bytes saved = Save(first);
        ValidatedPlugin second(context.pluginPath);
        Restore(second, saved);
        const std::string fault = FirstDifference(saved, Save(second));
        if (!fault.empty()) return CheckOutcome::Fail(What(first) + ": " + fault);
        for (int32_t i = 0; i < first.effect().numParams; ++i) {
            if (first.getParameter(i) != second.getParameter(i)) {
                return CheckOutcome::Fail("parameter " + std::to_string(i) + " reads " +
                                          std::to_string(second.getParameter(i)) +
                                          " in the second instance, " +
                                          std::to_string(first.getParameter(i)) + " in the first");
            }
        }
        return CheckOutcome::Pass(What(first) + " of " + std::to_string(saved.size()) + " bytes");
    });
}

}  // namespace vst2host
