// The VST 3 bundle's audio path against the VST 2 build, bit for bit: the same random blocks
// and switches, the VST 3 points at their sample offsets and the VST 2 build given the same
// values by setParameter at the same frames (its block split there), with buffers separate or
// in place, in both precisions, with buses switched off or left out by the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "product/vst3/vst3_buses.h"
#include "tests/plugin/scripted_host.h"
#include "tests/product/vst3/vst3_host.h"

namespace {

using namespace vst3test;

template <typename Sample>
Sample RandomSample(std::mt19937& rng) {
    using Limits = std::numeric_limits<Sample>;
    const Sample kSpecial[] = {Limits::quiet_NaN(), Limits::signaling_NaN(), -Limits::infinity(),
                               Limits::denorm_min() * 77, Sample(-0.0)};
    const uint32_t bits = rng();
    if (bits % 16 < std::size(kSpecial)) return kSpecial[bits % 16];
    return static_cast<Sample>(static_cast<int32_t>(bits)) / Sample(2147483648.0);
}

struct Variation {
    const char* what;
    bool inPlace;
    int32_t sampleSize;
    uint32_t inputsOff;  // buses the host switches off, one bit each
    uint32_t outputsOff;
    int32_t maxBlock;
};

constexpr Variation kVariations[] = {
    {"separate, 32-bit", false, kSample32, 0, 0, 512},
    {"in place, 32-bit", true, kSample32, 0, 0, 512},
    {"separate, 64-bit", false, kSample64, 0, 0, 512},
    {"in place, 64-bit", true, kSample64, 0, 0, 512},
    {"inputs 3/4, 9/10 and outputs 1, 6 off, 32-bit", false, kSample32, 0b10010, 0b100001, 512},
    {"inputs 1/2 and outputs 2, 8 off, 64-bit in place", true, kSample64, 0b1, 0b10000010, 512},
    {"largest block 64, 32-bit in place", true, kSample32, 0, 0, 64},
};

// What the host does to the buses in one block, beyond what the variation switched off
// (kExtraOutputs: two output buses more than the plug-in has, flagged silent).
enum class Omission { kNone, kTrailingBuses, kNoChannels, kNullPointers, kFlush, kExtraOutputs };

struct Change {
    int32_t offset;
    ParamID id;
    double value;
};

constexpr double kValues[] = {
    0.0, 1.0, 0.25, 0.75, 0.5, 0.49, std::numeric_limits<double>::quiet_NaN()};

std::vector<Change> RandomChanges(std::mt19937& rng, int32_t frames) {
    std::vector<Change> changes;
    const int parameters = static_cast<int>(rng() % 4);
    for (int p = 0; p < parameters; ++p) {
        const auto id = static_cast<ParamID>(rng() % 8);
        std::vector<int32_t> offsets(1 + rng() % 3);
        for (int32_t& offset : offsets) {
            // Mostly inside the block; now and then at its start, or (a careless host) outside.
            const uint32_t kind = rng() % 10;
            offset = kind == 0   ? 0
                     : kind == 1 ? -3
                     : kind == 2 ? frames + 5
                                 : static_cast<int32_t>(rng() % static_cast<uint32_t>(frames + 1));
        }
        std::sort(offsets.begin(), offsets.end());
        for (int32_t offset : offsets) {
            // One queue per parameter: a second draw of the same parameter adds to its queue
            // only past its last point.
            const bool later = std::none_of(changes.begin(), changes.end(), [&](const Change& c) {
                return c.id == id && c.offset > offset;
            });
            if (later) changes.push_back({offset, id, kValues[rng() % std::size(kValues)]});
        }
    }
    return changes;
}

void Vst2Process(HostedEffect& vst2, float** in, float** out, int32_t frames) {
    vst2.effect()->processReplacing(vst2.effect(), in, out, frames);
}
void Vst2Process(HostedEffect& vst2, double** in, double** out, int32_t frames) {
    vst2.effect()->processDoubleReplacing(vst2.effect(), in, out, frames);
}

// The VST 2 build as the reference: each change given by setParameter at its frame (before
// the first frame when earlier, after the last when later), the block processed in between.
template <typename Sample>
void Vst2Block(HostedEffect& vst2, Sample* const* in, Sample* const* out, int32_t frames,
               std::vector<Change> changes) {
    std::stable_sort(changes.begin(), changes.end(),
                     [](const Change& a, const Change& b) { return a.offset < b.offset; });
    size_t next = 0;
    Sample* pieceIn[16];
    Sample* pieceOut[16];
    for (int32_t done = 0;;) {
        while (next < changes.size() && (changes[next].offset <= done || done >= frames)) {
            vst2.SetParameter(static_cast<int32_t>(changes[next].id),
                              static_cast<float>(changes[next].value));
            ++next;
        }
        if (done >= frames) break;
        const int32_t end = next < changes.size() ? std::min(frames, changes[next].offset) : frames;
        for (int c = 0; c < 16; ++c) {
            pieceIn[c] = in[c] ? in[c] + done : nullptr;
            pieceOut[c] = out[c] ? out[c] + done : nullptr;
        }
        Vst2Process(vst2, pieceIn, pieceOut, end - done);
        done = end;
    }
}

template <typename Sample>
void RunVariation(const Variation& v) {
    ScriptedHost host;
    HostedEffect vst2(host);
    ASSERT_TRUE(vst2.valid());
    vst2.Start();
    Instance vst3(Module::Router(), v.maxBlock, v.sampleSize);
    ASSERT_TRUE(vst3.Valid());
    for (int32_t bus = 0; bus < 8; ++bus) {
        if (v.inputsOff >> bus & 1) vst3.component->activateBus(kAudio, kInput, bus, 0);
        if (v.outputsOff >> bus & 1) vst3.component->activateBus(kAudio, kOutput, bus, 0);
    }
    const auto length = static_cast<size_t>(v.maxBlock);
    std::vector<std::vector<Sample>> pool3(32, std::vector<Sample>(length));
    auto pool2 = pool3;
    auto poolIndex = [&](int dir, int channel) {
        return dir == 0 || v.inPlace ? channel : 16 + channel;
    };

    std::mt19937 rng(20240611);
    ParameterChanges changes;
    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid;
    context.sampleRate = 44100.0;
    context.tempo = 120.0;
    for (int block = 0; block < 300; ++block) {
        SCOPED_TRACE("block " + std::to_string(block));
        const auto omission = static_cast<Omission>(block < 5 ? 0 : rng() % 6);
        const int32_t frames = omission == Omission::kFlush ? 0
                               : block == 1                 ? v.maxBlock
                               : block == 2                 ? 1
                                            : static_cast<int32_t>(rng() % (length + 1));
        for (size_t b = 0; b < pool3.size(); ++b) {
            for (Sample& x : pool3[b]) x = RandomSample<Sample>(rng);
            pool2[b] = pool3[b];
        }
        // The buses as the host passes them.
        Sample* channels3[2][8][2];
        AudioBusBuffers buses[2][10] = {};
        int32_t count[2] = {8, 8};
        for (int dir = 0; dir < 2; ++dir) {
            for (int bus = 0; bus < 8; ++bus) {
                for (int c = 0; c < 2; ++c)
                    channels3[dir][bus][c] = pool3[poolIndex(dir, 2 * bus + c)].data();
                buses[dir][bus].numChannels = 2;
                buses[dir][bus].silenceFlags = dir == 0 ? rng() % 4 : ~0ull;
                BusChannels<Sample>(buses[dir][bus]) = channels3[dir][bus];
            }
        }
        uint64_t inputFlags[8];
        for (int b = 0; b < 8; ++b) inputFlags[b] = buses[0][b].silenceFlags;
        const int dir = static_cast<int>(rng() % 2);
        const int bus = static_cast<int>(rng() % 8);
        if (omission == Omission::kTrailingBuses) count[dir] = bus;
        if (omission == Omission::kNoChannels) buses[dir][bus].numChannels = 0;
        if (omission == Omission::kNullPointers) BusChannels<Sample>(buses[dir][bus]) = nullptr;
        if (omission == Omission::kExtraOutputs) {
            count[1] = 10;
            buses[1][8].silenceFlags = buses[1][9].silenceFlags = ~0ull;
        }
        // The same channels for the VST 2 build: null where the VST 3 one must not touch.
        Sample* channels2[2][16];
        for (int d = 0; d < 2; ++d) {
            const uint32_t off = d == 0 ? v.inputsOff : v.outputsOff;
            for (int c = 0; c < 16; ++c) {
                const int b = c / 2;
                const bool given = omission != Omission::kFlush && b < count[d] &&
                                   !(off >> b & 1) && buses[d][b].numChannels == 2 &&
                                   BusChannels<Sample>(buses[d][b]) != nullptr;
                channels2[d][c] = given ? pool2[poolIndex(d, c)].data() : nullptr;
            }
        }

        const std::vector<Change> drawn = RandomChanges(rng, frames);
        changes.Clear();
        for (const Change& c : drawn) changes.Add(c.id, c.offset, c.value);
        ProcessData data{};
        data.processMode = kRealtime;
        data.symbolicSampleSize = v.sampleSize;
        data.numSamples = frames;
        if (omission != Omission::kFlush) {
            data.numInputs = count[0];
            data.numOutputs = count[1];
            data.inputs = buses[0];
            data.outputs = buses[1];
        }
        data.inputParameterChanges = &changes;
        data.processContext = rng() % 2 ? &context : nullptr;
        ASSERT_EQ(vst3.processor->process(&data), kResultOk);
        Vst2Block<Sample>(vst2, channels2[0], channels2[1], frames, drawn);

        for (size_t b = 0; b < pool3.size(); ++b) {
            ASSERT_EQ(0, std::memcmp(pool3[b].data(), pool2[b].data(), sizeof(Sample) * length))
                << "buffer " << b << " after " << frames << " frames, omission "
                << static_cast<int>(omission) << ", " << drawn.size() << " changes";
        }
        // Output flags cleared, the host's input flags left as they were.
        for (int32_t b = 0; b < data.numOutputs; ++b)
            EXPECT_EQ(buses[1][b].silenceFlags, 0u) << "output bus " << b;
        for (int b = 0; b < 8; ++b)
            EXPECT_EQ(buses[0][b].silenceFlags, inputFlags[b]) << "input bus " << b;
        for (ParamID id = 0; id < 8; ++id) {
            ASSERT_EQ(vst3.controller->getParamNormalized(id),
                      vst2.GetParameter(static_cast<int32_t>(id)))
                << "parameter " << id;
        }
        if (block % 25 == 0) {
            ASSERT_EQ(vst3.State(), vst2.GetChunk());
        }
        EXPECT_EQ(changes.references, 1u);
    }
}

TEST(Vst3Processing, BitForBitTheVst2BuildWithSwitchesAtTheirOffsets) {
    for (const Variation& v : kVariations) {
        SCOPED_TRACE(v.what);
        if (v.sampleSize == kSample64) {
            RunVariation<double>(v);
        } else {
            RunVariation<float>(v);
        }
        if (HasFatalFailure()) return;
    }
}

}  // namespace
