// The runtime object: the end of the class chain, with the section operations that an
// effect class overrides and the state and idle operations that the callbacks run.
#pragma once

#include <cstdint>

#include "runtime/chain.h"

class TZolt : public CZoltMouse {
  public:
    TZolt();
    virtual ~TZolt();

    TZolt(const TZolt&) = delete;
    TZolt& operator=(const TZolt&) = delete;

    // [host thread, open] Clears memory and strings.
    virtual void Reset();
    virtual void OnClose() {}
    virtual void OnSuspend() {}
    // [host thread, resume] Initialisation section, then slider section.
    virtual void OnResume();
    virtual void RunInit() {}
    // Runs the initialisation section before the first state load only.
    virtual void OnStateLoad();
    virtual void RunGraphics() {}
    // [editor thread] Asks for a redraw when a frame's time has passed.
    virtual void OnIdle();
    virtual void RunSerialize() {}
    // [host thread] Applies a state chunk; answers the size given.
    virtual int32_t SetState(const void* bytes, int32_t size);
    // [host thread] Builds the state chunk in file slot 0; answers its byte size, 0 for none.
    // The bytes stay owned by the runtime until the next state call.
    virtual int32_t GetState(void** data);

    int32_t lastRedrawTicks = 0;
    int32_t stateLoadCount = 0;
    // Set by an effect class that makes an editor (createEditor, usually from Reset): the
    // instance's callback table then carries the graphics section and the mouse events.
    // Read once, when the instance is made.
    bool hasEditor = false;
};
