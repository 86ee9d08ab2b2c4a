// The bus gather against a plain per-channel model: every effect width up to past the
// unrolled one, buses switched off, missing, narrow or without pointers, in both precisions
// and directions, with the silence flags each direction must end with.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "product/vst3/vst3_buses.h"
#include "tests/product/vst3/vst3_host.h"

namespace {

using namespace vst3test;

template <BusDirection kDirection, typename Sample>
void Compare(std::mt19937& rng) {
    const size_t size = rng() % 72;  // odd widths too, and past 32 buses
    const auto busCount = static_cast<int32_t>(size / 2 + rng() % 4);
    // Half the calls usual; the others with one thing a host may do: leave out trailing
    // buses, switch one off, give one fewer or more channels or no pointers, or pass none.
    enum Kind { kUsual, kFewer, kOff, kNarrow, kNoPointers, kNoBuses };
    const Kind kind = rng() % 2 ? kUsual : static_cast<Kind>(1 + rng() % 5);
    const auto odd = static_cast<int32_t>(rng() % static_cast<uint32_t>(busCount + 1));
    const int32_t count = kind == kFewer ? odd - 1 : busCount;
    const uint32_t active = kind == kOff ? ~(1u << (odd % 32)) : ~0u;
    std::vector<Sample> samples(2 * size + 8);
    Sample past = 0;   // one pointer more than a bus's count: never to be taken
    Sample stale = 0;  // what the effect's array held before
    std::vector<std::vector<Sample*>> pointers(static_cast<size_t>(busCount));
    std::vector<AudioBusBuffers> buses(static_cast<size_t>(busCount));
    for (int32_t b = 0; b < busCount; ++b) {
        AudioBusBuffers& bus = buses[static_cast<size_t>(b)];
        bus.numChannels = kind == kNarrow && b == odd ? static_cast<int32_t>(rng() % 5) - 1 : 2;
        bus.silenceFlags = rng();
        auto& list = pointers[static_cast<size_t>(b)];
        for (int32_t c = 0; c < bus.numChannels; ++c)
            list.push_back(samples.data() + rng() % samples.size());
        list.push_back(&past);
        BusChannels<Sample>(bus) = kind == kNoPointers && b == odd ? nullptr : list.data();
    }
    const std::vector<AudioBusBuffers> before = buses;
    AudioBusBuffers* given = kind == kNoBuses ? nullptr : buses.data();

    // The model: channel c from bus c / 2 where the bus is there, switched on and wide enough.
    std::vector<Sample*> expected(size, nullptr);
    for (size_t c = 0; c < size && given; ++c) {
        const auto b = static_cast<int32_t>(c / 2);
        const auto channel = static_cast<int32_t>(c % 2);
        if (b >= count || b >= 32 || !(active >> b & 1u)) continue;
        Sample** list = BusChannels<Sample>(before[static_cast<size_t>(b)]);
        if (list && channel < before[static_cast<size_t>(b)].numChannels)
            expected[c] = list[channel];
    }
    std::vector<Sample*> got(size, &stale);
    GatherChannels<kDirection>(given, count, active, got.data(), size);

    SCOPED_TRACE(testing::Message() << "width " << size << ", " << count << " of " << busCount
                                    << " buses, active " << std::hex << active);
    EXPECT_EQ(got, expected);
    for (int32_t b = 0; b < busCount; ++b) {
        const uint64_t flags = buses[static_cast<size_t>(b)].silenceFlags;
        const bool cleared = kDirection == kOutput && given && b < count;
        EXPECT_EQ(flags, cleared ? 0u : before[static_cast<size_t>(b)].silenceFlags) << "bus " << b;
    }
}

TEST(Vst3Buses, GatherMatchesThePerChannelRule) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 3000 && !HasFailure(); ++trial) {
        Compare<kInput, float>(rng);
        Compare<kOutput, float>(rng);
        Compare<kInput, double>(rng);
        Compare<kOutput, double>(rng);
    }
}

}  // namespace
