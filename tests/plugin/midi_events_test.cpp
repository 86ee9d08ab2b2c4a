// MIDI event lists as hosts deliver them before each block. The router only stores them,
// so what a host can observe is the answer and that nothing breaks, however long or odd
// the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "tests/plugin/routing_model.h"
#include "tests/plugin/scripted_host.h"

namespace {

// A host's event list: the VstEvents head followed by as many event pointers as it holds,
// in one allocation of exactly that size.
class EventList {
  public:
    explicit EventList(const std::vector<VstEvent*>& events, int32_t numEvents)
        : size_(std::max(sizeof(VstEvents),
                         offsetof(VstEvents, events) + events.size() * sizeof(VstEvent*))),
          storage_(new std::byte[size_]()) {
        std::memcpy(storage_.get() + offsetof(VstEvents, numEvents), &numEvents, sizeof numEvents);
        if (!events.empty()) {
            std::memcpy(storage_.get() + offsetof(VstEvents, events), events.data(),
                        events.size() * sizeof(VstEvent*));
        }
    }
    explicit EventList(const std::vector<VstEvent*>& events)
        : EventList(events, static_cast<int32_t>(events.size())) {}

    VstEvents* get() { return reinterpret_cast<VstEvents*>(storage_.get()); }

  private:
    size_t size_;
    std::unique_ptr<std::byte[]> storage_;
};

// Owns the event records a list points at, each in its own allocation.
class EventPool {
  public:
    VstEvent* Midi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2) {
        auto event = std::make_unique<VstMidiEvent>();
        event->type = kVstMidiType;
        event->byteSize = sizeof(VstMidiEvent);
        event->deltaFrames = deltaFrames;
        event->midiData[0] = static_cast<char>(status);
        event->midiData[1] = static_cast<char>(data1);
        event->midiData[2] = static_cast<char>(data2);
        midi_.push_back(std::move(event));
        return reinterpret_cast<VstEvent*>(midi_.back().get());
    }
    VstEvent* Sysex(int32_t deltaFrames) {
        auto event = std::make_unique<VstMidiSysexEvent>();
        event->type = kVstSysExType;
        event->byteSize = sizeof(VstMidiSysexEvent);
        event->deltaFrames = deltaFrames;
        event->dumpBytes = sizeof dump_;
        event->sysexDump = dump_;
        sysex_.push_back(std::move(event));
        return reinterpret_cast<VstEvent*>(sysex_.back().get());
    }
    VstEvent* OfType(int32_t type) {
        auto event = std::make_unique<VstEvent>();
        event->type = type;
        event->byteSize = sizeof(VstEvent);
        other_.push_back(std::move(event));
        return other_.back().get();
    }

  private:
    char dump_[6] = {char(0xF0), 0x7E, 0x7F, 0x09, 0x01, char(0xF7)};
    std::vector<std::unique_ptr<VstMidiEvent>> midi_;
    std::vector<std::unique_ptr<VstMidiSysexEvent>> sysex_;
    std::vector<std::unique_ptr<VstEvent>> other_;
};

TEST(MidiEvents, EveryListIsAcceptedAndTheInstanceKeepsRouting) {
    ScriptedHost host;
    HostedEffect plugin(host);
    ASSERT_TRUE(plugin.valid());
    plugin.Start();
    plugin.SetBuses({1, 6});

    EventPool pool;
    std::vector<VstEvent*> many;  // more than the plug-in keeps: it must wrap, not overrun
    for (int i = 0; i < 2500; ++i) {
        many.push_back(i % 7 == 3 ? pool.Sysex(i % 512)
                                  : pool.Midi(i % 512, 0x90, static_cast<uint8_t>(i % 128), 100));
    }
    std::vector<VstEvent*> withHoles;
    for (int i = 0; i < 40; ++i) withHoles.push_back(i % 2 ? nullptr : pool.Midi(i, 0x80, 60, 0));
    std::vector<VstEvent*> otherTypes;
    for (int32_t type : {0, 2, 3, 4, 5, 7, -1}) otherTypes.push_back(pool.OfType(type));
    std::vector<VstEvent*> one = {pool.Midi(0, 0xB0, 7, 127)};

    struct ListCase {
        const char* what;
        VstEvents* list;
    };
    EventList manyList(many);
    EventList holesList(withHoles);
    EventList otherList(otherTypes);
    EventList oneList(one);
    EventList emptyList(std::vector<VstEvent*>{});
    EventList negativeList(std::vector<VstEvent*>{}, -5);
    const ListCase cases[] = {
        {"2500 events with sysex among them", manyList.get()},
        {"null entries", holesList.get()},
        {"other event types", otherList.get()},
        {"one event", oneList.get()},
        {"no events", emptyList.get()},
        {"negative count", negativeList.get()},
        {"no list", nullptr},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.what);
        // Several times over: the stored events pass the end of any ring many times.
        for (int round = 0; round < 3; ++round) {
            EXPECT_EQ(plugin.Dispatch(effProcessEvents, 0, 0, c.list), 1);
            AudioBlock<float> block(64);
            block.FillDistinctInputs();
            plugin.Process(block);
            EXPECT_TRUE(OutputsRouted(block, block, SwitchesFor({1, 6})));
        }
    }
}

}  // namespace
