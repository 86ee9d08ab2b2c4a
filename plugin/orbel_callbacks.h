// The table of plain functions through which the adapter reaches the effect's runtime.
// Every entry takes the adapter first; an entry may be empty and callers then skip it.
//
// Thread contracts. Every function that a host request can reach says, where it is declared,
// which host thread may call it:
//   [main]   the host's main (user-interface) thread: loading, open and close, dispatcher
//            requests that are not audio, and the editor.
//   [audio]  the host's audio thread: processing and events. Never allocates, never locks:
//            a stall there is heard as a dropout.
//   [any]    any host thread, also concurrently with [audio]: hosts read and automate
//            parameters, save and restore state chunks and ask for program names from
//            whichever thread suits them.
// Where state matters a tag narrows further: "& open" only between effOpen and effClose,
// "& resumed" only between resume and suspend, e.g. [audio & resumed]. [any] and [audio]
// share no lock, so whatever they share is a plain or atomic value.
#pragma once

#include <cstdint>

class COrbel;

struct OrbelCallbacks {
    using Notify = void (*)(COrbel* adapter);
    using Draw = void (*)(COrbel* adapter, double width, double height);
    using Mouse = void (*)(COrbel* adapter, double x, double y, int32_t buttons);
    using Key = void (*)(COrbel* adapter, int32_t character, int32_t modifier, int32_t virtualKey);
    using GetInteger = int32_t (*)(COrbel* adapter);
    using GetText = int32_t (*)(COrbel* adapter, char* text);
    using FillText = void (*)(COrbel* adapter, char* text);
    using SetText = void (*)(COrbel* adapter, char* text);
    using GetIndexedName = int32_t (*)(COrbel* adapter, int32_t category, int32_t index,
                                       char* text);
    using GetParameter = double (*)(COrbel* adapter, int32_t index);
    using SetParameter = void (*)(COrbel* adapter, int32_t index, double value);
    using ParameterText = void (*)(COrbel* adapter, int32_t index, char* text);
    using Process = void (*)(COrbel* adapter, float** inputs, float** outputs, int32_t frames);
    using ProcessDouble = void (*)(COrbel* adapter, double** inputs, double** outputs,
                                   int32_t frames);
    using GetChunk = int32_t (*)(COrbel* adapter, void** data, int32_t isPreset);
    using SetChunk = int32_t (*)(COrbel* adapter, void* data, int32_t byteSize, int32_t isPreset);

    // Life of the instance.
    Notify attach;      // 0 [main] once, as the adapter is built, before the host has the record
    Notify release;     // 1 [main] as effClose destroys the adapter; the last entry called
    Notify open;        // 2 [main] effOpen
    Notify suspend;     // 3 [main & open] effMainsChanged with 0
    Notify resume;      // 4 [main & open] effMainsChanged with 1, after the base resume step
    Notify editorIdle;  // 5 [main & open] the editor's idle, while it is open
    Notify close;       // 6 [main & open] effClose

    // The effect view's drawing, pointer and key notifications, while the editor is open.
    Draw draw;         // 7 [main & open]
    Mouse mouseDown;   // 8 [main & open]
    Mouse mouseUp;     // 9 [main & open]
    Mouse mouseMoved;  // 10 [main & open]
    Key keyDown;       // 11 [main & open]
    Key keyUp;         // 12 [main & open]

    // Identity, answered from fixed description fields.
    GetInteger getVendorVersion;  // 13 [main]
    GetText getVendorString;      // 14 [main]
    GetText getProductString;     // 15 [main]
    GetText getEffectName;        // 16 [main]

    // Program names and parameters: hosts ask from automation and UI threads alike.
    FillText getProgramName;               // 17 [any]
    SetText setProgramName;                // 18 [any]
    GetIndexedName getProgramNameIndexed;  // 19 [any]
    GetParameter getParameter;             // 20 [any]
    SetParameter setParameter;             // 21 [any]
    ParameterText getParameterName;        // 22 [any]
    ParameterText getParameterLabel;       // 23 [any]
    ParameterText getParameterDisplay;     // 24 [any]

    // Processing. Never allocates.
    Process processReplacing;              // 25 [audio & resumed]
    ProcessDouble processDoubleReplacing;  // 26 [audio & resumed]

    // State: hosts save and restore from background threads while audio runs.
    GetChunk getChunk;  // 27 [any]
    SetChunk setChunk;  // 28 [any]
};

static_assert(sizeof(OrbelCallbacks) == 29 * sizeof(void*), "29 entries, no padding");

// Capacities of the host's text buffers, terminating zero included. Hosts pass buffers of
// very different sizes; these are the sizes every host is known to provide.
constexpr int32_t kParamNameCapacity = 32;
constexpr int32_t kParamTextCapacity = 8;  // label and display
constexpr int32_t kProgramNameCapacity = 24;
constexpr int32_t kEffectNameCapacity = 32;
constexpr int32_t kVendorTextCapacity = 64;  // vendor and product
