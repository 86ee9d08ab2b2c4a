// Program files as bytes: what is written, what is read back, and every way a file can be
// refused before anything reaches a plug-in.
#include "tools/vst2host/preset_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "tools/vst2host/command_error.h"

namespace vst2host {
namespace {

Preset ChunkPreset() {
    Preset p;
    p.kind = PresetKind::Chunk;
    p.uniqueId = 0;
    p.vendorVersion = 1000;
    p.numParams = 8;
    p.programName = "Kelvane_Lotta router";
    p.chunk = {0x00, 0x00, 0x7A, 0xC4, 0x01, 0x02, 0x03};
    return p;
}

Preset ParameterPreset() {
    Preset p;
    p.kind = PresetKind::Parameters;
    p.uniqueId = 0x44334551;  // 'D3EQ'
    p.vendorVersion = 65536;
    p.numParams = 3;
    p.programName = "three";
    p.parameters = {0.0f, 0.5f, 1.0f};
    return p;
}

uint32_t At(const std::vector<uint8_t>& bytes, std::size_t offset) {
    return (uint32_t{bytes[offset]} << 24) | (uint32_t{bytes[offset + 1]} << 16) |
           (uint32_t{bytes[offset + 2]} << 8) | bytes[offset + 3];
}

void Put(std::vector<uint8_t>& bytes, std::size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// The chunk layout is checked byte by byte on the router's saved file (vst2host_preset_test);
// the parameter list, which the router never writes, is checked here.
TEST(PresetFile, WritesAParameterListBigEndian) {
    const auto bytes = EncodePreset(ParameterPreset());
    ASSERT_EQ(bytes.size(), 56u + 12u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "CcnK");
    EXPECT_EQ(At(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "FxCk");
    EXPECT_EQ(At(bytes, 12), 1u);
    EXPECT_EQ(At(bytes, 16), 0x44334551u);
    EXPECT_EQ(At(bytes, 24), 3u);
    EXPECT_EQ(At(bytes, 56), 0x00000000u);
    EXPECT_EQ(At(bytes, 60), 0x3F000000u);  // 0.5f
    EXPECT_EQ(At(bytes, 64), 0x3F800000u);  // 1.0f
}

TEST(PresetFile, ReadsBackWhatItWrites) {
    Preset longName = ChunkPreset();
    longName.programName = std::string(40, 'n');
    Preset emptyChunk = ChunkPreset();
    emptyChunk.chunk.clear();
    Preset noParameters = ParameterPreset();
    noParameters.numParams = 0;
    noParameters.parameters.clear();
    for (const Preset& original :
         {ChunkPreset(), ParameterPreset(), longName, emptyChunk, noParameters}) {
        SCOPED_TRACE(original.programName + (original.kind == PresetKind::Chunk ? " chunk" : ""));
        const auto bytes = EncodePreset(original);
        const Preset back = DecodePreset(bytes, "p.fxp");
        EXPECT_EQ(back.kind, original.kind);
        EXPECT_EQ(back.uniqueId, original.uniqueId);
        EXPECT_EQ(back.vendorVersion, original.vendorVersion);
        EXPECT_EQ(back.numParams, original.numParams);
        // The name field keeps 27 characters and a terminator.
        EXPECT_EQ(back.programName, original.programName.substr(0, 27));
        EXPECT_EQ(back.chunk, original.chunk);
        EXPECT_EQ(back.parameters, original.parameters);
        EXPECT_EQ(EncodePreset(back), bytes);
    }
}

struct BadFile {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> spoil;
    const char* reason;  // expected in the message
};

// The commonest damage is also run through the binary (vst2host_preset_test).
TEST(PresetFile, RefusesDamagedFilesNamingTheProblem) {
    const BadFile cases[] = {
        {"cut inside the chunk", [](auto& b) { b.pop_back(); }, "truncated: the header counts"},
        {"wrong magic", [](auto& b) { b[0] = 'X'; }, "not a program file (magic 'XcnK'"},
        {"size field too large", [](auto& b) { Put(b, 4, At(b, 4) + 1); }, "truncated"},
        {"size field too small", [](auto& b) { Put(b, 4, At(b, 4) - 1); },
         "the size field says 58 bytes follow it, but the file has 59"},
        {"a bank", [](auto& b) { b[8] = 'F', b[9] = 'B', b[10] = 'C', b[11] = 'h'; },
         "unsupported content 'FBCh'"},
        {"another version", [](auto& b) { Put(b, 12, 2); }, "unsupported format version 2"},
        {"negative parameter count", [](auto& b) { Put(b, 24, 0xFFFFFFFF); },
         "negative parameter count"},
        {"chunk size beyond the file", [](auto& b) { Put(b, 56, 8); },
         "truncated: the chunk size says 8 bytes, the file holds 7"},
        {"chunk size short of the file", [](auto& b) { Put(b, 56, 6); },
         "the chunk size says 6 bytes"},
        {"parameter list cut short",
         [](auto& b) {
             b = EncodePreset(ParameterPreset());
             b.resize(b.size() - 4);
             Put(b, 4, static_cast<uint32_t>(b.size() - 8));
         },
         "truncated: 3 parameters need 12 bytes, the file holds 8"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = EncodePreset(ChunkPreset());
        c.spoil(bytes);
        try {
            DecodePreset(bytes, "bad.fxp");
            ADD_FAILURE() << "accepted";
        } catch (const CommandError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("bad.fxp: ", 0), 0u) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
}

struct FitCase {
    const char* what;
    Preset preset;
    int32_t uniqueId;
    int32_t numParams;
    bool takesChunks;
    const char* reason;  // empty: fits
};

TEST(PresetFile, FitsOnlyThePluginItWasMadeFor) {
    const FitCase cases[] = {
        {"chunk for its plug-in, id 0", ChunkPreset(), 0, 8, true, ""},
        {"chunk with another parameter count", ChunkPreset(), 0, 9, true, ""},
        {"parameters for a chunk plug-in", ParameterPreset(), 0x44334551, 3, true, ""},
        {"another plug-in's id", ChunkPreset(), 1, 8, true,
         "made for the plug-in with unique id 0"},
        {"parameter count differs", ParameterPreset(), 0x44334551, 4, false,
         "holds 3 parameters, the plug-in has 4"},
        {"chunk for a plug-in without chunks", ChunkPreset(), 0, 8, false,
         "the plug-in does not take chunks"},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string message;
        try {
            CheckPresetFits(c.preset, "p.fxp", c.uniqueId, c.numParams, c.takesChunks);
        } catch (const CommandError& e) {
            message = e.what();
        }
        if (*c.reason == '\0') {
            EXPECT_EQ(message, "");
        } else {
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
}

}  // namespace
}  // namespace vst2host
