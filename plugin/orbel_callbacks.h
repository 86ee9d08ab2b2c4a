// The table of plain functions through which the adapter reaches the effect's runtime.
// Every entry takes the adapter first; an entry may be empty and callers then skip it.
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

    Notify attach;                         // 0
    Notify release;                        // 1
    Notify open;                           // 2
    Notify suspend;                        // 3
    Notify resume;                         // 4
    Notify editorIdle;                     // 5
    Notify close;                          // 6
    Draw draw;                             // 7
    Mouse mouseDown;                       // 8
    Mouse mouseUp;                         // 9
    Mouse mouseMoved;                      // 10
    Key keyDown;                           // 11
    Key keyUp;                             // 12
    GetInteger getVendorVersion;           // 13
    GetText getVendorString;               // 14
    GetText getProductString;              // 15
    GetText getEffectName;                 // 16
    FillText getProgramName;               // 17
    SetText setProgramName;                // 18
    GetIndexedName getProgramNameIndexed;  // 19
    GetParameter getParameter;             // 20
    SetParameter setParameter;             // 21
    ParameterText getParameterName;        // 22
    ParameterText getParameterLabel;       // 23
    ParameterText getParameterDisplay;     // 24
    Process processReplacing;              // 25
    ProcessDouble processDoubleReplacing;  // 26
    GetChunk getChunk;                     // 27
    SetChunk setChunk;                     // 28
};

static_assert(sizeof(OrbelCallbacks) == 29 * sizeof(void*), "29 entries, no padding");

// Capacities of the host's text buffers, terminating zero included. Hosts pass buffers of
// very different sizes; these are the sizes every host is known to provide.
constexpr int32_t kParamNameCapacity = 32;
constexpr int32_t kParamTextCapacity = 8;  // label and display
constexpr int32_t kProgramNameCapacity = 24;
constexpr int32_t kEffectNameCapacity = 32;
constexpr int32_t kVendorTextCapacity = 64;  // vendor and product
