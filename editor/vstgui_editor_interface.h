// What the frame may ask of the editor that owns it.
#pragma once

#include <cstdint>

// [main] Asked from inside the editor's own event handling.
class VSTGUIEditorInterface {
  public:
    virtual ~VSTGUIEditorInterface() = default;
    // Idle while a view waits inside a tracking loop: paced, and asks the host for idle.
    virtual void doIdleStuff() = 0;
    virtual int32_t getKnobMode() const = 0;
    // Tell the host a parameter gesture begins or ends (host opcodes 43 and 44).
    virtual bool beginEdit(int32_t index) = 0;
    virtual bool endEdit(int32_t index) = 0;
};
