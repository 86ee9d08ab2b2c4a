// The runtime object: the end of the class chain, with the section operations that an
// effect class overrides and the state and idle operations that the callbacks run.
#pragma once

#include <cstdint>

#include "runtime/chain.h"
#include "runtime/state_calls.h"

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
    // [any] Applies a state chunk; answers the size given. State calls take turns.
    virtual int32_t SetState(const void* bytes, int32_t size);
    // [any] Builds the state chunk in file slot 0; answers its byte size, 0 for none. The
    // bytes stay owned by the runtime and unchanged until the calling thread's next GetState
    // (see StateCalls), whatever other threads do meanwhile.
    virtual int32_t GetState(void** data);

    int32_t lastRedrawTicks = 0;
    int32_t stateLoadCount = 0;
    // Serialises GetState, SetState and the program-name callbacks.
    StateCalls stateCalls;
};
