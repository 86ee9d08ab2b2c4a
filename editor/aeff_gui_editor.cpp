#include "editor/aeff_gui_editor.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "editor/frame.h"
#include "plugin/audio_effect_x.h"

int32_t AEffGUIEditor::knobMode_ = 0;

namespace {
constexpr uint32_t kIdleInterval = 100;
constexpr uint32_t kIdleStep = 4;
constexpr uint32_t kIdleEarlyLimit = 50;

uint32_t SystemTicks() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemSleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
}  // namespace

const IdleClock& SystemIdleClock() {
    static const IdleClock clock{SystemTicks, SystemSleep};
    return clock;
}

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect, const IdleClock& clock)
    : AEffEditor(effect), clock_(clock), nextIdleTick_(clock.now()) {
    if (effect) effect->setEditor(this);
    PlatformEditorThreadBegin();
}

AEffGUIEditor::~AEffGUIEditor() {
    PlatformEditorThreadEnd();
}

bool AEffGUIEditor::getRect(ERect** rect) {
    if (!rect) return false;
    *rect = &rect_;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    return AEffEditor::open(parentWindow);
}

void AEffGUIEditor::close() {
    AEffEditor::close();
}

void AEffGUIEditor::idle() {
    if (!inTimedIdle_ && frame_) frame_->idle();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key) {
    return frame_ && frame_->onKeyDown(key) > 0;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& key) {
    return frame_ && frame_->onKeyUp(key) > 0;
}

bool AEffGUIEditor::onWheel(float distance) {
    if (!frame_) return false;
    CPoint where;
    frame_->getCurrentMouseLocation(where);
    return frame_->onWheel(where, distance, frame_->getCurrentMouseButtons());
}

bool AEffGUIEditor::setKnobMode(int32_t mode) {
    knobMode_ = mode;
    return true;
}

void AEffGUIEditor::draw(ERect* rect) {
    if (!frame_) return;
    CRect area = frame_->size;
    if (rect) {
        area = {static_cast<double>(std::min(rect->left, rect->right)),
                static_cast<double>(std::min(rect->top, rect->bottom)),
                static_cast<double>(std::max(rect->left, rect->right)),
                static_cast<double>(std::max(rect->top, rect->bottom))};
    }
    frame_->platformPaint(area);
}

// Unsigned comparisons throughout: the tick count wraps after 49 days.
void AEffGUIEditor::doIdleStuff() {
    uint32_t now = clock_.now();
    if (now < nextIdleTick_) {
        clock_.sleep(kIdleStep);
        now += kIdleStep;
        if (now < nextIdleTick_ - kIdleEarlyLimit) return;
    }
    idle();
    if (frame_ && frame_->window()) frame_->window()->paintPending();
    nextIdleTick_ = now + kIdleInterval;
    inTimedIdle_ = true;
    if (effect_) effect_->masterIdle();
    inTimedIdle_ = false;
}

bool AEffGUIEditor::beginEdit(int32_t index) {
    auto* effect = dynamic_cast<AudioEffectX*>(effect_);
    return effect && effect->beginEdit(index);
}

bool AEffGUIEditor::endEdit(int32_t index) {
    auto* effect = dynamic_cast<AudioEffectX*>(effect_);
    return effect && effect->endEdit(index);
}
