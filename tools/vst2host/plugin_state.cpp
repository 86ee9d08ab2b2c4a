#include "tools/vst2host/plugin_state.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/command_error.h"
#ifndef VST2HOST_INFO_ONLY
#include "tools/vst2host/replacing_file.h"
#endif

namespace vst2host {
namespace {

// No program file comes near this; a larger file is not one, and is not read into memory.
constexpr std::uintmax_t kMaxPresetBytes = std::uintmax_t{256} << 20;
// Hosts' program-name buffers hold 24 bytes, terminator included.
constexpr std::size_t kSetProgramNameCapacity = 24;

#ifdef _WIN32
constexpr int kReadFlags = O_RDONLY | O_BINARY;
#else
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC;
#endif

struct FileCloser {
    int fd;
    ~FileCloser() { close(fd); }
};

void LoadPreset(const LoadedPlugin& plugin, const Preset& preset) {
    if (preset.kind == PresetKind::Chunk) {
        // The plug-in may keep the pointer only for the call; a copy it may also write to.
        std::vector<uint8_t> chunk = preset.chunk;
        plugin.dispatch(effSetChunk, 1, static_cast<intptr_t>(chunk.size()),
                        chunk.empty() ? nullptr : chunk.data());
    } else {
        for (std::size_t i = 0; i < preset.parameters.size(); ++i) {
            plugin.setParameter(static_cast<int32_t>(i), preset.parameters[i]);
        }
    }
    char name[kSetProgramNameCapacity] = {};
    std::memcpy(name, preset.programName.data(),
                std::min(preset.programName.size(), kSetProgramNameCapacity - 1));
    plugin.dispatch(effSetProgramName, 0, 0, name);
}

}  // namespace

StateRequest PrepareState(const std::optional<std::string>& presetPath,
                          const std::vector<std::string>& settings) {
    StateRequest request;
    for (const std::string& text : settings) {
        request.settings.push_back(ParseParameterSetting(text));
    }
    if (presetPath) {
        request.presetPath = *presetPath;
        request.preset = DecodePreset(ReadPresetBytes(*presetPath), *presetPath);
    }
    return request;
}

void ApplyState(const LoadedPlugin& plugin, const StateRequest& request) {
    if (request.preset) {
        const AEffect& effect = plugin.effect();
        CheckPresetFits(*request.preset, request.presetPath, effect.uniqueID, effect.numParams,
                        (effect.flags & effFlagsProgramChunks) != 0);
        LoadPreset(plugin, *request.preset);
    }
    ApplyParameterSettings(plugin, request.settings);
}

Preset CapturePreset(const LoadedPlugin& plugin) {
    const AEffect& effect = plugin.effect();
    Preset preset;
    preset.uniqueId = effect.uniqueID;
    preset.vendorVersion = static_cast<int32_t>(plugin.dispatch(effGetVendorVersion));
    preset.numParams = effect.numParams;
    // Some plug-ins index their program list without checking: ask only when there is one.
    if (effect.numPrograms > 0) {
        preset.programName = plugin.dispatchText(effGetProgramName).substr(0, kProgramNameLength);
    }
    if ((effect.flags & effFlagsProgramChunks) != 0) {
        preset.kind = PresetKind::Chunk;
        void* data = nullptr;
        const intptr_t size = plugin.dispatch(effGetChunk, 1, 0, &data);
        if (size <= 0 || data == nullptr) {
            throw CommandError("the plug-in keeps programs as chunks but handed over none");
        }
        // Copied at once: the bytes belong to the plug-in and change with its next call.
        const auto* bytes = static_cast<const uint8_t*>(data);
        preset.chunk.assign(bytes, bytes + size);
    } else {
        preset.kind = PresetKind::Parameters;
        for (int32_t i = 0; i < effect.numParams; ++i) {
            preset.parameters.push_back(plugin.getParameter(i));
        }
    }
    return preset;
}

std::vector<uint8_t> ReadPresetBytes(const std::string& path) {
    const auto fail = [&path](const std::string& why) {
        return CommandError("cannot read " + path + ": " + why);
    };
    const int fd = open(path.c_str(), kReadFlags);
    if (fd < 0) throw fail(std::strerror(errno));
    const FileCloser closer{fd};
    struct stat st {};
    if (fstat(fd, &st) != 0) throw fail(std::strerror(errno));
    if (!S_ISREG(st.st_mode)) throw fail("not a regular file");
    const auto size = static_cast<std::uintmax_t>(st.st_size);
    if (size > kMaxPresetBytes) {
        throw fail("too large for a program file (" + std::to_string(size) + " bytes)");
    }
    std::vector<uint8_t> bytes(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw fail(std::strerror(errno));
        if (n == 0) break;  // shrank while read: what is there is checked like any file
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

#ifndef VST2HOST_INFO_ONLY
void WritePresetFile(const std::string& path, const Preset& preset) {
    const std::vector<uint8_t> bytes = EncodePreset(preset);
    ReplacingFile file(path);
    file.write(bytes.data(), bytes.size());
    file.commit();
}
#endif

}  // namespace vst2host
