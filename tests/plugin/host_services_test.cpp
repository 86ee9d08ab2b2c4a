// The adapter and its host services, without a runtime behind them: the MIDI ring, the time
// queries, outgoing MIDI and the answers of an adapter whose table is empty.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "plugin/host_services.h"
#include "plugin/orbel.h"

namespace {

struct Request {
    int32_t opcode;
    int32_t index;
    intptr_t value;
};

// One host for the whole file; each test resets it.
struct FakeHost {
    intptr_t version = 2400;
    intptr_t processEventsAnswer = 1;
    bool giveTime = true;
    VstTimeInfo time{};
    std::vector<Request> requests;
    VstMidiEvent lastMidi{};
    VstMidiSysexEvent lastSysex{};
} gHost;

intptr_t VSTCALLBACK HostCallback(AEffect*, int32_t opcode, int32_t index, intptr_t value,
                                  void* ptr, float) {
    gHost.requests.push_back({opcode, index, value});
    switch (opcode) {
        case audioMasterVersion:
            return gHost.version;
        case audioMasterGetTime:
            return gHost.giveTime ? reinterpret_cast<intptr_t>(&gHost.time) : 0;
        case audioMasterProcessEvents: {
            const auto* list = static_cast<VstEvents*>(ptr);
            if (list->numEvents != 1 || list->events[1] != nullptr) return 0;
            if (list->events[0]->type == kVstMidiType) {
                std::memcpy(&gHost.lastMidi, list->events[0], sizeof gHost.lastMidi);
            } else {
                std::memcpy(&gHost.lastSysex, list->events[0], sizeof gHost.lastSysex);
            }
            return gHost.processEventsAnswer;
        }
        default:
            return 0;
    }
}

// Slot 21 records what the adapter forwards; every other entry stays empty.
struct SetParameterCall {
    COrbel* adapter = nullptr;
    int32_t index = -1;
    double value = -1.0;
} gSetParameter;

void RecordSetParameter(COrbel* adapter, int32_t index, double value) {
    gSetParameter = {adapter, index, value};
}

class HostServices : public ::testing::Test {
  protected:
    void SetUp() override {
        gHost = FakeHost{};
        OrbelCallbacks table{};
        table.setParameter = RecordSetParameter;
        adapter.reset(createAdapter(nullptr, table, HostCallback, 1, 8));
        ASSERT_NE(adapter, nullptr);
        gHost.requests.clear();
    }

    // Sends MIDI notes numbered first .. first + count - 1 (note number in data 1, its low
    // byte in the delta frames) as one host list, with a system-exclusive event in between.
    void SendNotes(int first, int count) {
        std::vector<VstMidiEvent> notes(static_cast<size_t>(count));
        VstMidiSysexEvent sysex{};
        sysex.type = kVstSysExType;
        std::vector<VstEvent*> pointers;
        for (int i = 0; i < count; ++i) {
            VstMidiEvent& e = notes[static_cast<size_t>(i)];
            e.type = kVstMidiType;
            e.byteSize = sizeof e;
            e.deltaFrames = first + i;
            e.midiData[0] = static_cast<char>(0x90);
            e.midiData[1] = static_cast<char>((first + i) & 0x7F);
            e.midiData[2] = 100;
            pointers.push_back(reinterpret_cast<VstEvent*>(&e));
            if (i == 0) pointers.push_back(reinterpret_cast<VstEvent*>(&sysex));
        }
        // The host's list: a count, a reserved word, then as many pointers as it holds.
        std::vector<unsigned char> list(offsetof(VstEvents, events) +
                                        sizeof(VstEvent*) * std::max<size_t>(2, pointers.size()));
        auto* events = reinterpret_cast<VstEvents*>(list.data());
        events->numEvents = static_cast<int32_t>(pointers.size());
        std::memcpy(list.data() + offsetof(VstEvents, events), pointers.data(),
                    sizeof(VstEvent*) * pointers.size());
        EXPECT_EQ(adapter->dispatcher(effProcessEvents, 0, 0, events, 0.0f), 1);
    }

    // Reads the ring until it is empty; returns the delta frames of each event read.
    std::vector<int32_t> ReadAll() {
        std::vector<int32_t> read;
        int32_t delta = 0, status = 0, data1 = 0, data2 = 0;
        while (getMidiEvent(adapter.get(), &delta, &status, &data1, &data2) == 1) {
            EXPECT_EQ(status, -112);  // 0x90 arrives sign-extended
            EXPECT_EQ(data2, 100);
            read.push_back(delta);
            if (read.size() > 2000) break;
        }
        return read;
    }

    std::unique_ptr<COrbel> adapter;
};

std::vector<int32_t> Range(int first, int count) {
    std::vector<int32_t> values;
    for (int i = 0; i < count; ++i) values.push_back(first + i);
    return values;
}

TEST_F(HostServices, FreshRingIsEmptyAndClearsTheOutputs) {
    ASSERT_EQ(adapter->midiRing.size(), 1000u);
    const VstMidiEvent zero{};
    for (const VstMidiEvent& record : adapter->midiRing) {
        ASSERT_EQ(std::memcmp(&record, &zero, sizeof zero), 0);
    }
    int32_t delta = 7, status = 7, data1 = 7, data2 = 7;
    EXPECT_EQ(getMidiEvent(adapter.get(), &delta, &status, &data1, &data2), 0);
    EXPECT_EQ(delta, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(data1, 0);
    EXPECT_EQ(data2, 0);
    EXPECT_EQ(getMidiEvent(adapter.get(), nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(HostServices, NoteOnArrivesSignExtendedAndSysexIsSkipped) {
    SendNotes(60, 1);
    EXPECT_EQ(adapter->midiWriteIndex.load(), 1);
    int32_t delta = 0, status = 0, data1 = 0, data2 = 0;
    ASSERT_EQ(getMidiEvent(adapter.get(), &delta, &status, &data1, &data2), 1);
    EXPECT_EQ(delta, 60);
    EXPECT_EQ(status, -112);
    EXPECT_EQ(data1, 60);
    EXPECT_EQ(data2, 100);
    EXPECT_EQ(getMidiEvent(adapter.get(), &delta, &status, &data1, &data2), 0);
}

TEST_F(HostServices, AFullRingKeepsWhatItHoldsAndCountsWhatItDrops) {
    struct Case {
        const char* what;
        std::vector<int> batches;  // sizes of successive host lists, all unread
        std::vector<int32_t> expected;
        uint32_t dropped;
    };
    const Case cases[] = {
        {"999 unread events fill the ring", {999}, Range(0, 999), 0},
        {"the 1000th is dropped", {1000}, Range(0, 999), 1},
        {"the 1000th in a second list is dropped", {600, 400}, Range(0, 999), 1},
        {"1001: the last two are dropped", {1001}, Range(0, 999), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        int first = 0;
        for (int batch : c.batches) {
            SendNotes(first, batch);
            first += batch;
        }
        EXPECT_EQ(ReadAll(), c.expected);
        EXPECT_EQ(adapter->midiEventsDropped.load(), c.dropped);
        // Read empty, the ring takes events again.
        SendNotes(5000, 1);
        EXPECT_EQ(ReadAll(), Range(5000, 1));
    }
    {
        SCOPED_TRACE("events shorter than a ring record");
        SetUp();
        // Each exactly as long as it declares, so a copy of more would read past it (ASan).
        auto send = [&](int32_t declared) {
            auto bytes = std::make_unique<unsigned char[]>(static_cast<size_t>(declared));
            const int32_t header[] = {kVstMidiType, declared, 77, 0, 0, 0};
            const unsigned char midi[] = {0x90, 60, 100};
            std::memcpy(bytes.get(), header, std::min(sizeof header, size_t(declared)));
            if (declared > 24) std::memcpy(bytes.get() + 24, midi, size_t(declared) - 24);
            VstEvents list{1, 0, {reinterpret_cast<VstEvent*>(bytes.get()), nullptr}};
            EXPECT_EQ(adapter->dispatcher(effProcessEvents, 0, 0, &list, 0.0f), 1);
        };
        send(12);  // no MIDI bytes: dropped, not queued as a status-0 event
        send(27);  // status and two data bytes, nothing after them
        int32_t delta = 0, status = 0, data1 = 0, data2 = 0;
        ASSERT_EQ(getMidiEvent(adapter.get(), &delta, &status, &data1, &data2), 1);
        EXPECT_EQ(std::vector<int32_t>({delta, status, data1, data2}),
                  std::vector<int32_t>({77, static_cast<signed char>(0x90), 60, 100}));
        EXPECT_EQ(getMidiEvent(adapter.get(), &delta, &status, &data1, &data2), 0);
        EXPECT_EQ(adapter->midiEventsDropped.load(), 1u);
    }
}

TEST_F(HostServices, ReadingKeepsPaceAcrossTheWrap) {
    SendNotes(0, 600);
    EXPECT_EQ(ReadAll(), Range(0, 600));
    SendNotes(600, 600);  // writes records 600..999, then 0..199
    EXPECT_EQ(adapter->midiWriteIndex.load(), 200);
    EXPECT_EQ(ReadAll(), Range(600, 600));
    EXPECT_EQ(adapter->midiReadIndex.load(), 200);
}

TEST_F(HostServices, TimeQueriesAskWithTheirOwnFilters) {
    gHost.time.tempo = 93.5;
    gHost.time.ppqPos = 17.25;
    gHost.time.barStartPos = 16.0;
    gHost.time.timeSigNumerator = 7;
    gHost.time.timeSigDenominator = 8;
    gHost.time.flags = kVstTransportPlaying | kVstTransportRecording;
    EXPECT_EQ(getTempo(adapter.get()), 93.5);
    EXPECT_EQ(getPpqPos(adapter.get()), 17.25);
    EXPECT_EQ(getBarStartPos(adapter.get()), 16.0);
    EXPECT_EQ(isPlaying(adapter.get()), 1);
    EXPECT_EQ(isRecording(adapter.get()), 1);
    double tempo = 0, numerator = 0, denominator = 0;
    EXPECT_EQ(getTimeSignature(adapter.get(), &tempo, &numerator, &denominator), 1);
    EXPECT_EQ(tempo, 93.5);
    EXPECT_EQ(numerator, 7.0);
    EXPECT_EQ(denominator, 8.0);
    const std::vector<intptr_t> filters = {0x400, 0x200, 0x800, 2, 8, 0x2400};
    ASSERT_EQ(gHost.requests.size(), filters.size());
    for (size_t i = 0; i < filters.size(); ++i) {
        EXPECT_EQ(gHost.requests[i].opcode, audioMasterGetTime);
        EXPECT_EQ(gHost.requests[i].value, filters[i]);
    }

    // Only the outputs given are written.
    denominator = 0;
    EXPECT_EQ(getTimeSignature(adapter.get(), nullptr, nullptr, &denominator), 1);
    EXPECT_EQ(denominator, 8.0);

    gHost.time.flags = 0;
    EXPECT_EQ(isPlaying(adapter.get()), 0);
    EXPECT_EQ(isRecording(adapter.get()), 0);
}

// Every time query's answer as bits (NaN compares too): tempo, position, bar start, playing,
// recording, then the time signature's answer and its three outputs.
std::vector<uint64_t> AskEveryTimeQuery(COrbel* adapter) {
    double tempo = -1, numerator = -1, denominator = -1;
    const int32_t signature = getTimeSignature(adapter, &tempo, &numerator, &denominator);
    const auto bits = [](double x) { return std::bit_cast<uint64_t>(x); };
    return {bits(getTempo(adapter)),
            bits(getPpqPos(adapter)),
            bits(getBarStartPos(adapter)),
            static_cast<uint64_t>(isPlaying(adapter)),
            static_cast<uint64_t>(isRecording(adapter)),
            static_cast<uint64_t>(signature),
            bits(tempo),
            bits(numerator),
            bits(denominator)};
}

// What a process call saw: every query twice, the requests made by then, and the tempo another
// thread asked for meanwhile.
struct ProcessProbe {
    std::vector<uint64_t> first, second;
    size_t requestsByThen = 0;
    uint64_t otherThreadTempo = 0;
} gProbe;

void ProcessAskingTheTime(COrbel* adapter, float**, float**, int32_t) {
    gProbe.first = AskEveryTimeQuery(adapter);
    gProbe.second = AskEveryTimeQuery(adapter);
    gProbe.requestsByThen = gHost.requests.size();
    std::thread other(
        [&] { gProbe.otherThreadTempo = std::bit_cast<uint64_t>(getTempo(adapter)); });
    other.join();
}

// Within a process call the queries share one request, made with every query's filter, and
// answer what fresh requests answer; another thread, and every query outside a call, asks
// afresh; the next call asks again.
TEST_F(HostServices, AProcessCallAsksForTheTimeOnceForAllItsQueries) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        bool give;
        double tempo;
        int32_t flags;
    } cases[] = {
        {"playing and recording", true, 93.5, kVstTransportPlaying | kVstTransportRecording},
        {"stopped", true, 120.0, 0},
        {"NaN tempo, playing", true, nan, kVstTransportPlaying},
        {"no time record", false, 0.0, 0},
    };
    OrbelCallbacks table{};
    table.processReplacing = ProcessAskingTheTime;
    std::unique_ptr<COrbel> processing(createAdapter(nullptr, table, HostCallback, 1, 8));
    ASSERT_NE(processing, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gHost.giveTime = c.give;
        gHost.time = VstTimeInfo{};
        gHost.time.tempo = c.tempo;
        gHost.time.ppqPos = 17.25;
        gHost.time.barStartPos = 16.0;
        gHost.time.timeSigNumerator = 7;
        gHost.time.timeSigDenominator = 8;
        gHost.time.flags = c.flags;
        gHost.requests.clear();
        const std::vector<uint64_t> fresh = AskEveryTimeQuery(processing.get());
        EXPECT_EQ(gHost.requests.size(), 6u);

        gHost.requests.clear();
        processing->processReplacing(nullptr, nullptr, 32);
        EXPECT_EQ(gProbe.first, fresh);
        EXPECT_EQ(gProbe.second, fresh);
        EXPECT_EQ(gProbe.requestsByThen, 1u);
        ASSERT_EQ(gHost.requests.size(), 2u);
        EXPECT_EQ(gHost.requests[0].opcode, audioMasterGetTime);
        EXPECT_EQ(gHost.requests[0].value, COrbel::kBlockTimeFilter);
        EXPECT_EQ(gHost.requests[1].value, kVstTempoValid);  // the other thread's own
        EXPECT_EQ(gProbe.otherThreadTempo, fresh[0]);

        getPpqPos(processing.get());
        ASSERT_EQ(gHost.requests.size(), 3u);
        EXPECT_EQ(gHost.requests[2].value, kVstPpqPosValid);
        gHost.time.ppqPos = 18.5;
        processing->processReplacing(nullptr, nullptr, 32);
        EXPECT_EQ(gHost.requests.size(), 5u);
        EXPECT_EQ(gHost.requests[3].value, COrbel::kBlockTimeFilter);
        EXPECT_EQ(gProbe.first[1], c.give ? std::bit_cast<uint64_t>(18.5) : 0u);
    }
}

TEST_F(HostServices, WithoutATimeRecordEveryQueryAnswersZero) {
    gHost.giveTime = false;
    EXPECT_EQ(getTempo(adapter.get()), 0.0);
    EXPECT_EQ(getPpqPos(adapter.get()), 0.0);
    EXPECT_EQ(getBarStartPos(adapter.get()), 0.0);
    EXPECT_EQ(isPlaying(adapter.get()), 0);
    EXPECT_EQ(isRecording(adapter.get()), 0);
    double tempo = 5, numerator = 5, denominator = 5;
    EXPECT_EQ(getTimeSignature(adapter.get(), &tempo, &numerator, &denominator), 0);
    EXPECT_EQ(tempo + numerator + denominator, 15.0);
}

TEST_F(HostServices, OutgoingMidiIsOneEventAndSucceedsOnlyWhenTheHostSaysOne) {
    EXPECT_EQ(sendMidi(adapter.get(), 12, 0x1B0, 7, 300), 1);  // low bytes only
    EXPECT_EQ(gHost.lastMidi.type, kVstMidiType);
    EXPECT_EQ(gHost.lastMidi.byteSize, 32);
    EXPECT_EQ(gHost.lastMidi.deltaFrames, 12);
    EXPECT_EQ(static_cast<unsigned char>(gHost.lastMidi.midiData[0]), 0xB0);
    EXPECT_EQ(gHost.lastMidi.midiData[1], 7);
    EXPECT_EQ(static_cast<unsigned char>(gHost.lastMidi.midiData[2]), 300 & 0xFF);
    EXPECT_EQ(gHost.lastMidi.midiData[3], 0);

    char dump[] = {static_cast<char>(0xF0), 1, 2, static_cast<char>(0xF7)};
    EXPECT_EQ(sendSysex(adapter.get(), 3, dump, 4), 1);
    EXPECT_EQ(gHost.lastSysex.type, kVstSysExType);
    EXPECT_EQ(gHost.lastSysex.dumpBytes, 4);
    EXPECT_EQ(gHost.lastSysex.sysexDump, dump);  // the caller's bytes, not a copy
    EXPECT_EQ(gHost.lastSysex.deltaFrames, 3);

    for (intptr_t answer : {0, 2, -1}) {
        gHost.processEventsAnswer = answer;
        EXPECT_EQ(sendMidi(adapter.get(), 0, 0x90, 60, 1), 0);
        EXPECT_EQ(sendSysex(adapter.get(), 0, dump, 4), 0);
    }
}

TEST_F(HostServices, InitialDelayIsStoredWithoutAskingTheHost) {
    EXPECT_EQ(setInitialDelay(adapter.get(), 256), 1);
    EXPECT_EQ(adapter->getAeffect()->initialDelay, 256);
    EXPECT_TRUE(gHost.requests.empty());
}

TEST_F(HostServices, NullAdapterAnswersZeroAndLeavesOutputs) {
    double tempo = 3;
    int32_t delta = 3;
    char text[4] = "abc";
    EXPECT_EQ(getAEffect(nullptr), nullptr);
    EXPECT_EQ(getNumInputs(nullptr), 0);
    EXPECT_EQ(setNumInputs(nullptr, 4), 0);
    EXPECT_EQ(getSampleRate(nullptr), 0.0f);
    EXPECT_EQ(getTempo(nullptr), 0.0);
    EXPECT_EQ(getTimeSignature(nullptr, &tempo, nullptr, nullptr), 0);
    EXPECT_EQ(getMidiEvent(nullptr, &delta, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(sendMidi(nullptr, 0, 0x90, 1, 1), 0);
    EXPECT_EQ(getHostProductString(nullptr, text), 0);
    EXPECT_EQ(masterIdle(nullptr), 0);
    EXPECT_EQ(tempo, 3.0);
    EXPECT_EQ(delta, 3);
    EXPECT_STREQ(text, "abc");
}

TEST_F(HostServices, EmptyTableEntriesGiveTheDefaultAnswers) {
    EXPECT_EQ(adapter->getParameter(0), 0.0f);
    void* chunk = &gHost;
    EXPECT_EQ(adapter->dispatcher(effGetChunk, 0, 0, &chunk, 0.0f), 0);
    EXPECT_EQ(chunk, &gHost);
    char name[8] = "keep";
    EXPECT_EQ(adapter->dispatcher(effGetEffectName, 0, 0, name, 0.0f), 0);
    EXPECT_STREQ(name, "keep");
    EXPECT_EQ(adapter->dispatcher(effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
    // The filled slot receives the index and the value widened to 64 bits.
    adapter->getAeffect()->setParameter(adapter->getAeffect(), 3, 0.5f);
    EXPECT_EQ(gSetParameter.adapter, adapter.get());
    EXPECT_EQ(gSetParameter.index, 3);
    EXPECT_EQ(gSetParameter.value, 0.5);
}

TEST_F(HostServices, VersionQueryDecidesWhetherAnAdapterExists) {
    gHost.version = 0;
    OrbelCallbacks table{};
    EXPECT_EQ(createAdapter(nullptr, table, HostCallback, 1, 8), nullptr);
    ASSERT_EQ(gHost.requests.size(), 1u);
    EXPECT_EQ(gHost.requests[0].opcode, audioMasterVersion);
    EXPECT_EQ(createAdapter(nullptr, table, nullptr, 1, 8), nullptr);
    // An existing adapter still reports at least version 1.
    EXPECT_EQ(getMasterVersion(adapter.get()), 1);
    gHost.version = 2400;
    EXPECT_EQ(getMasterVersion(adapter.get()), 2400);
}

}  // namespace
