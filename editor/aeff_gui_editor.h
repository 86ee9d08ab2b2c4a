// The editor base that owns a frame: the rectangle the host asks for, idle (plain and paced),
// keys and wheel handed to the frame, the process-wide knob mode and parameter gestures.
#pragma once

#include <cstdint>

#include "editor/vstgui_editor_interface.h"
#include "plugin/aeff_editor.h"

class CFrame;

// Millisecond ticks and sleeping for the paced idle; tests replace them.
struct IdleClock {
    uint32_t (*now)();
    void (*sleep)(uint32_t milliseconds);
};
const IdleClock& SystemIdleClock();

// [main] Every operation: hosts drive their editors from their user-interface thread.
class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
  public:
    // Registers itself as effect's editor (which sets the has-editor flag).
    explicit AEffGUIEditor(AudioEffect* effect, const IdleClock& clock = SystemIdleClock());
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    bool onWheel(float distance) override;
    bool setKnobMode(int32_t mode) override;
    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    // Paints rect (or the whole frame when null) now.
    virtual void draw(ERect* rect);
    // Paced idle: runs idle at most about every 100 ms and asks the host for idle.
    void doIdleStuff() override;
    int32_t getKnobMode() const override { return knobMode_; }
    bool beginEdit(int32_t index) override;
    bool endEdit(int32_t index) override;

    CFrame* getFrame() const { return frame_; }
    bool inTimedIdle() const { return inTimedIdle_; }
    uint32_t nextIdleTick() const { return nextIdleTick_; }

  protected:
    CFrame* frame_ = nullptr;
    ERect rect_{};

  private:
    static int32_t knobMode_;
    IdleClock clock_;
    uint32_t nextIdleTick_;
    bool inTimedIdle_ = false;
};
