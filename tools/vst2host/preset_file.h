// Program files (.fxp) as VST 2 hosts exchange them, as bytes: everything big-endian, a
// 'CcnK' header, then either the plug-in's opaque state chunk ('FPCh') or one float per
// parameter ('FxCk'). Pure functions: no file and no plug-in is touched here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vst2host {

enum class PresetKind {
    Chunk,       // 'FPCh': the plug-in's own state, opaque to the host
    Parameters,  // 'FxCk': the normalised value of each parameter
};

struct Preset {
    PresetKind kind = PresetKind::Chunk;
    int32_t uniqueId = 0;
    int32_t vendorVersion = 0;
    int32_t numParams = 0;
    std::string programName;        // at most kProgramNameLength characters
    std::vector<uint8_t> chunk;     // kind Chunk
    std::vector<float> parameters;  // kind Parameters; numParams of them
};

// The program name field holds 28 bytes: up to 27 characters and a terminating zero.
constexpr std::size_t kProgramNameField = 28;
constexpr std::size_t kProgramNameLength = kProgramNameField - 1;
// Magic, byte size, kind, version, id, vendor version, parameter count, name.
constexpr std::size_t kPresetHeaderSize = 4 * 7 + kProgramNameField;

// The file's bytes. A longer program name is cut to kProgramNameLength characters. Throws
// std::length_error when the content does not fit the format's 32-bit sizes.
std::vector<uint8_t> EncodePreset(const Preset& preset);

// Reads a whole file's bytes. Throws CommandError, its message "SOURCE: reason" naming the
// first problem: truncated, wrong magic, a size field that disagrees with the file, an unknown
// kind or version.
Preset DecodePreset(std::span<const uint8_t> bytes, const std::string& source);

// Checks that a decoded preset belongs to this plug-in before anything is handed to it: the
// same unique id, for 'FxCk' the same number of parameters, for 'FPCh' a plug-in that takes
// state chunks. Throws CommandError ("SOURCE: reason").
void CheckPresetFits(const Preset& preset, const std::string& source, int32_t uniqueId,
                     int32_t numParams, bool takesChunks);

}  // namespace vst2host
