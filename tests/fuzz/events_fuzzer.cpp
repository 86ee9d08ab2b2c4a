// Event lists of any shape (MIDI, system-exclusive and unknown types, any byte sizes and
// offsets) delivered before a process call.
#include "tests/fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Instance plugin;
    fuzz::Bytes in(data, size);
    const int count = in.Take<uint8_t>() % 64;
    std::vector<VstMidiEvent> midi(static_cast<size_t>(count));
    std::vector<VstMidiSysexEvent> sysex(static_cast<size_t>(count));
    std::vector<char> dump(256, 0x7f);
    // The list's pointer array is as long as numEvents says, and no longer.
    std::vector<uint8_t> list(sizeof(VstEvents) + sizeof(VstEvent*) * static_cast<size_t>(count));
    auto* events = reinterpret_cast<VstEvents*>(list.data());
    events->numEvents = count;
    VstEvent** slots = events->events;  // through a pointer: the declared array holds two
    for (int i = 0; i < count; ++i) {
        const auto i_ = static_cast<size_t>(i);
        const auto shape = in.Take<uint8_t>();
        if (shape % 3 == 2) {
            sysex[i_] = in.Take<VstMidiSysexEvent>();
            sysex[i_].type = kVstSysExType;
            sysex[i_].dumpBytes &= 0xFF;
            sysex[i_].sysexDump = dump.data();
            slots[i] = reinterpret_cast<VstEvent*>(&sysex[i_]);
        } else {
            midi[i_] = in.Take<VstMidiEvent>();
            if (shape % 3 == 0) midi[i_].type = kVstMidiType;
            slots[i] = reinterpret_cast<VstEvent*>(&midi[i_]);
        }
    }
    plugin.Dispatch(effProcessEvents, 0, 0, events);
    fuzz::Channels<float> block;
    plugin.effect()->processReplacing(plugin.effect(), block.inPtrs, block.outPtrs, block.kFrames);
    return 0;
}
