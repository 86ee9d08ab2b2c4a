#include "tools/vst2host/render_command.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <iostream>
#include <type_traits>

#include "tools/plugin_loader/plugin_host.h"
#include "tools/vst2host/audio_file.h"
#include "tools/vst2host/channel_options.h"
#include "tools/vst2host/command_error.h"
#include "tools/vst2host/level_report.h"
#include "tools/vst2host/plugin_state.h"
#include "tools/vst2host/progress.h"

namespace vst2host {
namespace {

constexpr int32_t kDefaultBlockSize = 512;
constexpr int32_t kMaxBlockSize = 65536;
constexpr double kMaxTailSeconds = 3600.0;
// No real plug-in has more; a record claiming more is not allocated for.
constexpr int32_t kMaxPluginChannels = 4096;

int32_t ParseBlockSize(const std::optional<std::string>& text) {
    if (!text) return kDefaultBlockSize;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (text->empty() || error != std::errc() || end != text->data() + text->size() || value < 1 ||
        value > kMaxBlockSize) {
        throw CommandError("--block: '" + *text + "' is not a block size from 1 to " +
                           std::to_string(kMaxBlockSize));
    }
    return value;
}

double ParseTailSeconds(const std::optional<std::string>& text) {
    if (!text) return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (text->empty() || error != std::errc() || end != text->data() + text->size() ||
        !(value >= 0.0 && value <= kMaxTailSeconds)) {
        throw CommandError("--tail: '" + *text + "' is not a number of seconds from 0 to " +
                           std::to_string(static_cast<int>(kMaxTailSeconds)));
    }
    return value;
}

std::optional<SampleFormat> ParseFormat(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    const auto format = ParseSampleFormat(*text);
    if (!format) throw CommandError("--format: '" + *text + "' is not pcm16, pcm24 or float");
    return format;
}

void Note(const std::string& text) {
    std::cerr << "vst2host: note: " << text << '\n';
}

// effMainsChanged 1 for the lifetime of this object; 0 again however the render ends.
class Activation {
  public:
    explicit Activation(const LoadedPlugin& plugin) : plugin_(plugin) {
        plugin_.dispatch(effMainsChanged, 0, 1);
    }
    ~Activation() { plugin_.dispatch(effMainsChanged, 0, 0); }
    Activation(const Activation&) = delete;
    Activation& operator=(const Activation&) = delete;

  private:
    const LoadedPlugin& plugin_;
};

// Planar buffers of one block per plug-in channel, allocated once. A plug-in without inputs
// still gets a valid array: some read the first pointer regardless.
template <typename T>
struct ChannelBuffers {
    ChannelBuffers(int32_t channels, int32_t blockSize)
        : samples(static_cast<std::size_t>(std::max(channels, 1)) * blockSize),
          pointers(static_cast<std::size_t>(std::max(channels, 1))) {
        for (std::size_t c = 0; c < pointers.size(); ++c) {
            pointers[c] = samples.data() + c * static_cast<std::size_t>(blockSize);
        }
    }
    std::vector<T> samples;
    std::vector<T*> pointers;
};

struct Levels {
    std::vector<InputLevel> inputs;
    std::vector<OutputLevel> outputs;
};

struct RenderJob {
    const LoadedPlugin& plugin;
    AudioReader& reader;
    AudioWriter& writer;
    const ChannelPlan& plan;
    int32_t blockSize;
    int64_t tailFrames;
    Levels* levels;  // null: not measured
};

// Reads, feeds, processes and writes block by block until the input and then the tail of
// silence are used up. Returns the frames written.
template <typename T>
int64_t RenderBlocks(const RenderJob& job, ProgressBar& progress) {
    AEffect& effect = job.plugin.effect();
    const auto numInputs = static_cast<std::size_t>(effect.numInputs);
    const auto numOutputs = static_cast<std::size_t>(effect.numOutputs);
    const auto fileChannels = static_cast<std::size_t>(job.reader.channels());
    const auto kept = job.plan.outputs.size();
    const auto block = static_cast<std::size_t>(job.blockSize);

    std::vector<T> fileBlock(block * fileChannels);
    std::vector<T> outBlock(block * kept);
    ChannelBuffers<T> inputs(effect.numInputs, job.blockSize);
    ChannelBuffers<T> outputs(effect.numOutputs, job.blockSize);

    int64_t position = 0;
    int64_t tailLeft = job.tailFrames;
    bool inputDone = false;
    while (true) {
        int64_t n = inputDone ? 0 : job.reader.read(fileBlock.data(), job.blockSize);
        const bool fromFile = n > 0;
        if (n == 0) {
            inputDone = true;
            if (tailLeft == 0) break;
            n = std::min<int64_t>(job.blockSize, tailLeft);
            tailLeft -= n;
        }
        const auto frames = static_cast<std::size_t>(n);
        for (std::size_t i = 0; i < numInputs; ++i) {
            T* in = inputs.pointers[i];
            const int source = job.plan.inputSource[i];
            if (!fromFile || source == 0) {
                std::fill(in, in + frames, T{0});
                continue;
            }
            const T* from = fileBlock.data() + (source - 1);
            for (std::size_t f = 0; f < frames; ++f) in[f] = from[f * fileChannels];
        }
        if (job.levels != nullptr) {
            for (std::size_t i = 0; i < numInputs; ++i) {
                job.levels->inputs[i].meter.add(inputs.pointers[i], frames);
            }
        }
        // Outputs start silent: a plug-in that leaves a channel alone must not leak the last
        // block into it.
        std::fill(outputs.samples.begin(), outputs.samples.end(), T{0});

        SetPlayPosition(job.plugin.hostState(), static_cast<double>(position));
        if constexpr (std::is_same_v<T, float>) {
            effect.processReplacing(&effect, inputs.pointers.data(), outputs.pointers.data(),
                                    static_cast<int32_t>(n));
        } else {
            effect.processDoubleReplacing(&effect, inputs.pointers.data(), outputs.pointers.data(),
                                          static_cast<int32_t>(n));
        }

        if (job.levels != nullptr) {
            for (std::size_t o = 0; o < numOutputs; ++o) {
                job.levels->outputs[o].meter.add(outputs.pointers[o], frames);
            }
        }
        for (std::size_t k = 0; k < kept; ++k) {
            const T* out = outputs.pointers[static_cast<std::size_t>(job.plan.outputs[k] - 1)];
            for (std::size_t f = 0; f < frames; ++f) outBlock[f * kept + k] = out[f];
        }
        job.writer.write(outBlock.data(), n);
        position += n;
        progress.update(position);
    }
    return position;
}

Levels MakeLevels(const ChannelPlan& plan, int32_t numOutputs) {
    Levels levels;
    for (const int source : plan.inputSource) levels.inputs.push_back({source, {}});
    levels.outputs.resize(static_cast<std::size_t>(numOutputs));
    for (std::size_t k = 0; k < plan.outputs.size(); ++k) {
        levels.outputs[static_cast<std::size_t>(plan.outputs[k] - 1)].fileChannels.push_back(
            static_cast<int>(k + 1));
    }
    return levels;
}

void CheckPlugin(const AEffect& effect, bool useDouble) {
    if ((effect.flags & effFlagsCanReplacing) == 0 || effect.processReplacing == nullptr) {
        throw CommandError(
            "the plug-in cannot process with replacing (flag 0x10 missing); vst2host does not "
            "render through the old accumulating process");
    }
    if (useDouble && ((effect.flags & effFlagsCanDoubleReplacing) == 0 ||
                      effect.processDoubleReplacing == nullptr)) {
        throw CommandError(
            "--double: the plug-in cannot process 64-bit samples (flag 0x1000 missing)");
    }
    if (effect.numInputs < 0 || effect.numInputs > kMaxPluginChannels || effect.numOutputs < 0 ||
        effect.numOutputs > kMaxPluginChannels) {
        throw CommandError("the plug-in reports " + std::to_string(effect.numInputs) +
                           " inputs and " + std::to_string(effect.numOutputs) + " outputs");
    }
}

}  // namespace

int RunRenderCommand(const RenderRequest& request) {
    // Everything that needs neither the file nor the plug-in is checked first.
    const int32_t blockSize = ParseBlockSize(request.blockSize);
    const double tailSeconds = ParseTailSeconds(request.tailSeconds);
    const auto format = ParseFormat(request.format);
    std::optional<std::vector<int>> inputMap;
    std::optional<std::vector<int>> outputList;
    if (request.inputMap) inputMap = ParseInputMap(*request.inputMap);
    if (request.outputList) outputList = ParseOutputList(*request.outputList);
    const StateRequest state = PrepareState(request.presetPath, request.settings);

    AudioReader reader(request.inputPath);
    const auto tailFrames = static_cast<int64_t>(std::llround(tailSeconds * reader.sampleRate()));

    std::optional<AudioWriter> writer;
    std::optional<Levels> levels;
    int64_t frames = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        // Whatever the plug-in prints goes to stderr: stdout carries only the report.
        StdoutDiversion diversion;
        HostSettings settings;
        settings.sampleRate = reader.sampleRate();
        settings.blockSize = blockSize;
        LoadedPlugin plugin(request.pluginPath, settings);
        const AEffect& effect = plugin.effect();
        CheckPlugin(effect, request.useDouble);
        const ChannelPlan plan = PlanChannels(inputMap, outputList, reader.channels(),
                                              effect.numInputs, effect.numOutputs);
        const OutputFormat output = ChooseOutputFormat(
            reader.format(), static_cast<int>(plan.outputs.size()), reader.sampleRate(), format);
        if (!output.note.empty()) Note(output.note);
        const std::string nameNote = ContainerMismatchNote(request.outputPath, output.format);
        if (!nameNote.empty()) Note(nameNote);
        writer.emplace(request.outputPath, output.format, static_cast<int>(plan.outputs.size()),
                       reader.sampleRate());
        if (request.report) levels = MakeLevels(plan, effect.numOutputs);

        Activation active(plugin);
        ApplyState(plugin, state);
        ProgressBar progress(std::cerr, StderrIsTerminal(),
                             reader.frames() > 0 ? reader.frames() + tailFrames : 0,
                             reader.sampleRate());
        const RenderJob job{
            plugin, reader, *writer, plan, blockSize, tailFrames, levels ? &*levels : nullptr};
        frames = request.useDouble ? RenderBlocks<double>(job, progress)
                                   : RenderBlocks<float>(job, progress);
        progress.finish();
    }
    writer->commit();
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;

    if (writer->clippedSamples() > 0) {
        Note(std::to_string(writer->clippedSamples()) +
             " samples beyond full scale were clipped to fit the output's integer encoding");
    }
    std::cerr << "vst2host: " << RenderSummary(frames, reader.sampleRate(), wall.count())
              << " into " << request.outputPath << '\n';
    if (levels) {
        std::cout << FormatLevelReport(levels->inputs, levels->outputs, frames);
        std::cout.flush();
        if (!std::cout) return 1;
    }
    return 0;
}

}  // namespace vst2host
