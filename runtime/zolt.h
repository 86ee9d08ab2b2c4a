// The runtime object: the end of the class chain, with the section operations that an
// effect class overrides and the state and idle operations that the callbacks run.
#pragma once

#include <cstdint>

#include "runtime/chain.h"
#include "runtime/state_calls.h"

class TZolt : public CZoltMouse {
  public:
    // [main] Built by the plug-in's entry; destroyed through the adapter's release.
    TZolt();
    virtual ~TZolt();

    TZolt(const TZolt&) = delete;
    TZolt& operator=(const TZolt&) = delete;

    // [main] At effOpen: clears memory and strings.
    virtual void Reset();
    // [main & open]
    virtual void OnClose() {}
    virtual void OnSuspend() {}
    // [main & open] At resume: initialisation section, then slider section.
    virtual void OnResume();
    // [any] Initialisation section, from resume and from the first state load.
    virtual void RunInit() {}
    // [any] Runs the initialisation section before the first state load only.
    virtual void OnStateLoad();
    // [main] Graphics section, while the editor is open.
    virtual void RunGraphics() {}
    // [main] Asks for a redraw when a frame's time has passed.
    virtual void OnIdle();
    // [any] Serialisation section, for either state direction.
    virtual void RunSerialize() {}
    // [any] Applies a state chunk; answers the size given. State calls take turns.
    virtual int32_t SetState(const void* bytes, int32_t size);
    // [any] Builds the state chunk in file slot 0; answers its byte size, 0 for none. The
    // bytes stay owned by the runtime and unchanged until the calling thread's next GetState
    // (see StateCalls), whatever other threads do meanwhile.
    virtual int32_t GetState(void** data);

    int32_t lastRedrawTicks = 0;
    int32_t stateLoadCount = 0;
    // Set by an effect class that makes an editor (createEditor, usually from Reset): the
    // instance's callback table then carries the graphics section and the mouse events.
    // Read once, when the instance is made.
    bool hasEditor = false;
    // Serialises GetState, SetState and the program-name callbacks.
    StateCalls stateCalls;
};
