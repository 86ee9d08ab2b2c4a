#include "tools/vst2host/preset_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "plugin/vst2_abi.h"
#include "tools/vst2host/command_error.h"
#include "tools/vst2host/text_format.h"

namespace vst2host {
namespace {

constexpr int32_t kFileMagic = FourCharCode('C', 'c', 'n', 'K');
constexpr int32_t kChunkKind = FourCharCode('F', 'P', 'C', 'h');
constexpr int32_t kParametersKind = FourCharCode('F', 'x', 'C', 'k');
constexpr int32_t kFormatVersion = 1;
// Bytes before the byte-size field's count starts: the magic and the field itself.
constexpr std::size_t kCountedFrom = 8;

void PutInt(std::vector<uint8_t>& out, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(u >> shift));
}

int32_t GetInt(std::span<const uint8_t> bytes, std::size_t offset) {
    uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) u = (u << 8) | bytes[offset + i];
    return static_cast<int32_t>(u);
}

int32_t CheckedSize(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
        throw std::length_error("preset larger than a program file can hold");
    }
    return static_cast<int32_t>(size);
}

// A four-character code as text, or its number when it is not printable.
std::string CodeText(int32_t code) {
    const std::string text = FourCharText(code);
    return text.empty() ? Hex32(code) : "'" + text + "'";
}

std::string IdText(int32_t id) {
    const std::string text = FourCharText(id);
    return std::to_string(id) + (text.empty() ? "" : " '" + text + "'");
}

}  // namespace

std::vector<uint8_t> EncodePreset(const Preset& preset) {
    const bool chunk = preset.kind == PresetKind::Chunk;
    const std::size_t body = chunk ? 4 + preset.chunk.size() : 4 * preset.parameters.size();
    std::vector<uint8_t> out;
    out.reserve(kPresetHeaderSize + body);
    PutInt(out, kFileMagic);
    PutInt(out, CheckedSize(kPresetHeaderSize - kCountedFrom + body));
    PutInt(out, chunk ? kChunkKind : kParametersKind);
    PutInt(out, kFormatVersion);
    PutInt(out, preset.uniqueId);
    PutInt(out, preset.vendorVersion);
    PutInt(out, chunk ? preset.numParams : CheckedSize(preset.parameters.size()));
    std::array<uint8_t, kProgramNameField> name{};
    std::memcpy(name.data(), preset.programName.data(),
                std::min(preset.programName.size(), kProgramNameLength));
    out.insert(out.end(), name.begin(), name.end());
    if (chunk) {
        PutInt(out, CheckedSize(preset.chunk.size()));
        out.insert(out.end(), preset.chunk.begin(), preset.chunk.end());
    } else {
        for (const float value : preset.parameters) {
            PutInt(out, static_cast<int32_t>(std::bit_cast<uint32_t>(value)));
        }
    }
    return out;
}

Preset DecodePreset(std::span<const uint8_t> bytes, const std::string& source) {
    const auto fail = [&source](const std::string& why) -> CommandError {
        return CommandError(source + ": " + why);
    };
    const std::size_t size = bytes.size();
    if (size >= 4 && GetInt(bytes, 0) != kFileMagic) {
        throw fail("not a program file (magic " + CodeText(GetInt(bytes, 0)) +
                   ", expected 'CcnK')");
    }
    if (size < kPresetHeaderSize) {
        throw fail("truncated: " + std::to_string(size) + " bytes, shorter than the " +
                   std::to_string(kPresetHeaderSize) + "-byte header");
    }
    const int64_t counted = GetInt(bytes, 4);
    const auto present = static_cast<int64_t>(size - kCountedFrom);
    if (counted > present) {
        throw fail("truncated: the header counts " + std::to_string(counted) +
                   " bytes after its size field, the file has " + std::to_string(present));
    }
    if (counted < present) {
        throw fail("the size field says " + std::to_string(counted) +
                   " bytes follow it, but the file has " + std::to_string(present));
    }
    const int32_t kind = GetInt(bytes, 8);
    if (kind != kChunkKind && kind != kParametersKind) {
        throw fail("unsupported content " + CodeText(kind) +
                   " (a single program holds 'FPCh' or 'FxCk'; banks are not read)");
    }
    const int32_t version = GetInt(bytes, 12);
    if (version != kFormatVersion) {
        throw fail("unsupported format version " + std::to_string(version) + " (expected 1)");
    }

    Preset preset;
    preset.kind = kind == kChunkKind ? PresetKind::Chunk : PresetKind::Parameters;
    preset.uniqueId = GetInt(bytes, 16);
    preset.vendorVersion = GetInt(bytes, 20);
    preset.numParams = GetInt(bytes, 24);
    if (preset.numParams < 0) {
        throw fail("negative parameter count " + std::to_string(preset.numParams));
    }
    const auto name = bytes.subspan(28, kProgramNameField);
    const auto end = std::find(name.begin(), name.end(), uint8_t{0});
    preset.programName.assign(name.begin(), end);

    const auto body = bytes.subspan(kPresetHeaderSize);
    if (preset.kind == PresetKind::Parameters) {
        const int64_t expected = int64_t{4} * preset.numParams;
        if (static_cast<int64_t>(body.size()) != expected) {
            throw fail((static_cast<int64_t>(body.size()) < expected ? "truncated: " : "") +
                       std::to_string(preset.numParams) + " parameters need " +
                       std::to_string(expected) + " bytes, the file holds " +
                       std::to_string(body.size()));
        }
        for (int32_t i = 0; i < preset.numParams; ++i) {
            const auto bits = static_cast<uint32_t>(GetInt(body, 4 * static_cast<std::size_t>(i)));
            preset.parameters.push_back(std::bit_cast<float>(bits));
        }
        return preset;
    }
    if (body.size() < 4) throw fail("truncated: no chunk size");
    const int64_t chunkSize = GetInt(body, 0);
    const auto held = static_cast<int64_t>(body.size() - 4);
    if (chunkSize != held) {
        throw fail((chunkSize > held ? "truncated: " : "") + std::string("the chunk size says ") +
                   std::to_string(chunkSize) + " bytes, the file holds " + std::to_string(held));
    }
    preset.chunk.assign(body.begin() + 4, body.end());
    return preset;
}

void CheckPresetFits(const Preset& preset, const std::string& source, int32_t uniqueId,
                     int32_t numParams, bool takesChunks) {
    if (preset.uniqueId != uniqueId) {
        throw CommandError(source + ": made for the plug-in with unique id " +
                           IdText(preset.uniqueId) + ", not this one (" + IdText(uniqueId) + ")");
    }
    if (preset.kind == PresetKind::Parameters && preset.numParams != numParams) {
        throw CommandError(source + ": holds " + std::to_string(preset.numParams) +
                           " parameters, the plug-in has " + std::to_string(numParams));
    }
    if (preset.kind == PresetKind::Chunk && !takesChunks) {
        throw CommandError(source + ": holds a state chunk, but the plug-in does not take chunks");
    }
}

}  // namespace vst2host
