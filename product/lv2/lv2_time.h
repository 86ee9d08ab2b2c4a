// The host's musical time as LV2 hosts send it (time:Position objects on an atom input), kept
// as the record a VST 2 host answers audioMasterGetTime with, so the runtime's tempo,
// position, time-signature and transport questions get the same answers under both formats.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdint>

#include "plugin/vst2_abi.h"

class Lv2Time {
  public:
    // [main] Maps the URIs it reads; without a map no position can be understood and the
    // time record stays absent.
    void Map(const LV2_URID_Map* map);
    // [main]
    void SetSampleRate(double rate) { sampleRate_ = rate; }

    // [audio] Applies the positions stamped at the start of the block (frame 0).
    void BlockStart(const LV2_Atom_Sequence* events);
    // [audio] Applies the positions later in the block in order and moves the position on to
    // the end of the block, as the transport rolls at the last known speed. Inline for the
    // host that sends no position: nothing to do.
    void BlockEnd(const LV2_Atom_Sequence* events, uint32_t frames) {
        if (events || known_) Follow(events, frames);
    }

    // [audio] The record for the block, or null while the host has sent no position (as a
    // VST 2 host without time information answers).
    VstTimeInfo* Info();

  private:
    void Follow(const LV2_Atom_Sequence* events, uint32_t frames);
    void Apply(const LV2_Atom_Object* object);
    void Advance(double frames);
    double AsNumber(const LV2_Atom* atom, double fallback) const;
    // The event's time:Position object, or null for any other event.
    const LV2_Atom_Object* AsPosition(const LV2_Atom_Event* event) const;

    struct Urids {
        LV2_URID atomBlank = 0, atomObject = 0, atomFloat = 0, atomDouble = 0, atomInt = 0,
                 atomLong = 0;
        LV2_URID position = 0, bar = 0, barBeat = 0, beatUnit = 0, beatsPerBar = 0,
                 beatsPerMinute = 0, speed = 0, frame = 0;
    } urid_;
    bool mapped_ = false;
    bool known_ = false;
    bool hasMusicalTime_ = false;  // bar and beat received
    double sampleRate_ = 44100.0;
    // What the host last said, moved on by the frames processed since.
    double frame_ = 0.0;
    double bar_ = 0.0;
    double barBeat_ = 0.0;
    double beatUnit_ = 4.0;
    double beatsPerBar_ = 4.0;
    double beatsPerMinute_ = 120.0;
    double speed_ = 0.0;
    VstTimeInfo info_{};
};
