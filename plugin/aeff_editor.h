// The editor seen from the effect base: the dispatcher forwards the editor opcodes here.
#pragma once

#include <cstdint>

#include "plugin/vst2_abi.h"

class AudioEffect;

// [main] Hosts open, close, idle and size editors from their user-interface thread.
class AEffEditor {
  public:
    explicit AEffEditor(AudioEffect* effect) : effect_(effect) {}
    virtual ~AEffEditor() = default;

    virtual AudioEffect* getEffect() { return effect_; }
    virtual bool getRect(ERect** rect) {
        *rect = nullptr;
        return false;
    }
    virtual bool open(void* parentWindow) {
        systemWindow_ = parentWindow;
        return false;
    }
    virtual void close() { systemWindow_ = nullptr; }
    virtual bool isOpen() { return systemWindow_ != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onWheel(float /*distance*/) { return false; }
    virtual bool setKnobMode(int32_t /*mode*/) { return false; }

  protected:
    AudioEffect* effect_;
    void* systemWindow_ = nullptr;
};
