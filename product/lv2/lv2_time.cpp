#include "product/lv2/lv2_time.h"

#include <lv2/atom/util.h>
#include <lv2/time/time.h>

#include <cmath>

namespace {

constexpr double kLargestBeatUnit = 256.0;
constexpr double kMostBeatsPerBar = 256.0;

}  // namespace

void Lv2Time::Map(const LV2_URID_Map* map) {
    if (!map) return;
    auto id = [map](const char* uri) { return map->map(map->handle, uri); };
    urid_.atomBlank = id(LV2_ATOM__Blank);
    urid_.atomObject = id(LV2_ATOM__Object);
    urid_.atomFloat = id(LV2_ATOM__Float);
    urid_.atomDouble = id(LV2_ATOM__Double);
    urid_.atomInt = id(LV2_ATOM__Int);
    urid_.atomLong = id(LV2_ATOM__Long);
    urid_.position = id(LV2_TIME__Position);
    urid_.bar = id(LV2_TIME__bar);
    urid_.barBeat = id(LV2_TIME__barBeat);
    urid_.beatUnit = id(LV2_TIME__beatUnit);
    urid_.beatsPerBar = id(LV2_TIME__beatsPerBar);
    urid_.beatsPerMinute = id(LV2_TIME__beatsPerMinute);
    urid_.speed = id(LV2_TIME__speed);
    urid_.frame = id(LV2_TIME__frame);
    mapped_ = true;
}

double Lv2Time::AsNumber(const LV2_Atom* atom, double fallback) const {
    if (!atom) return fallback;
    double value = fallback;
    if (atom->type == urid_.atomFloat && atom->size >= sizeof(float)) {
        value = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
    } else if (atom->type == urid_.atomDouble && atom->size >= sizeof(double)) {
        value = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
    } else if (atom->type == urid_.atomInt && atom->size >= sizeof(int32_t)) {
        value = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
    } else if (atom->type == urid_.atomLong && atom->size >= sizeof(int64_t)) {
        value = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
    }
    // A host's NaN or infinity would poison every later position.
    return std::isfinite(value) ? value : fallback;
}

void Lv2Time::Apply(const LV2_Atom_Object* object) {
    const LV2_Atom *bar = nullptr, *barBeat = nullptr, *beatUnit = nullptr, *beatsPerBar = nullptr,
                   *bpm = nullptr, *speed = nullptr, *frame = nullptr;
    lv2_atom_object_get(object, urid_.bar, &bar, urid_.barBeat, &barBeat, urid_.beatUnit, &beatUnit,
                        urid_.beatsPerBar, &beatsPerBar, urid_.beatsPerMinute, &bpm, urid_.speed,
                        &speed, urid_.frame, &frame, 0);
    bar_ = AsNumber(bar, bar_);
    barBeat_ = AsNumber(barBeat, barBeat_);
    if (bar || barBeat) hasMusicalTime_ = true;
    // A time signature a host could mean; beyond it the integer answers would overflow and
    // bar counts run away.
    const double unit = AsNumber(beatUnit, beatUnit_);
    if (unit >= 1.0 && unit <= kLargestBeatUnit) beatUnit_ = unit;
    const double perBar = AsNumber(beatsPerBar, beatsPerBar_);
    if (perBar >= 1.0 / 64 && perBar <= kMostBeatsPerBar) beatsPerBar_ = perBar;
    const double tempo = AsNumber(bpm, beatsPerMinute_);
    if (tempo > 0.0) beatsPerMinute_ = tempo;
    speed_ = AsNumber(speed, speed_);
    frame_ = AsNumber(frame, frame_);
    known_ = true;
}

const LV2_Atom_Object* Lv2Time::AsPosition(const LV2_Atom_Event* event) const {
    if (event->body.type != urid_.atomObject && event->body.type != urid_.atomBlank) return nullptr;
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&event->body);
    return object->body.otype == urid_.position ? object : nullptr;
}

void Lv2Time::BlockStart(const LV2_Atom_Sequence* events) {
    if (!events || !mapped_) return;
    LV2_ATOM_SEQUENCE_FOREACH(events, event) {
        if (event->time.frames > 0) break;
        if (const LV2_Atom_Object* object = AsPosition(event)) Apply(object);
    }
}

void Lv2Time::Follow(const LV2_Atom_Sequence* events, uint32_t frames) {
    int64_t done = 0;
    if (events && mapped_) {
        LV2_ATOM_SEQUENCE_FOREACH(events, event) {
            const int64_t at = event->time.frames;
            if (at <= 0) continue;
            if (at > static_cast<int64_t>(frames)) break;
            if (const LV2_Atom_Object* object = AsPosition(event)) {
                Advance(static_cast<double>(at - done));
                done = at;
                Apply(object);
            }
        }
    }
    Advance(static_cast<double>(static_cast<int64_t>(frames) - done));
}

void Lv2Time::Advance(double frames) {
    if (!known_ || frames <= 0.0) return;
    frame_ += frames * speed_;
    if (!hasMusicalTime_ || sampleRate_ <= 0.0) return;
    barBeat_ += frames / sampleRate_ * beatsPerMinute_ / 60.0 * speed_;
    // Whole bars move into the bar count; a rewinding transport borrows from it.
    const double bars = std::floor(barBeat_ / beatsPerBar_);
    bar_ += bars;
    barBeat_ -= bars * beatsPerBar_;
}

VstTimeInfo* Lv2Time::Info() {
    if (!known_) return nullptr;
    info_ = VstTimeInfo{};
    info_.samplePos = frame_;
    info_.sampleRate = sampleRate_;
    info_.tempo = beatsPerMinute_;
    info_.timeSigNumerator = static_cast<int32_t>(beatsPerBar_);
    info_.timeSigDenominator = static_cast<int32_t>(beatUnit_);
    info_.flags = kVstTempoValid | kVstTimeSigValid;
    if (speed_ != 0.0) info_.flags |= kVstTransportPlaying;
    if (hasMusicalTime_) {
        // Quarter notes, as VST 2 counts positions, from beats of the bar's beat unit.
        const double quarters = 4.0 / beatUnit_;
        info_.barStartPos = bar_ * beatsPerBar_ * quarters;
        info_.ppqPos = info_.barStartPos + barBeat_ * quarters;
        info_.flags |= kVstPpqPosValid | kVstBarsValid;
    }
    return &info_;
}
