// The runtime's side of the callback table, and the sequence that wires an effect object to
// a new adapter.
#pragma once

#include "plugin/orbel_callbacks.h"
#include "plugin/vst2_abi.h"

class TZolt;

// Fills every entry the runtime serves; the editor's drawing, pointer and key entries
// (7 to 12) stay empty.
void FillRuntimeCallbacks(OrbelCallbacks& table);

// [loading thread] Takes ownership of effect: links it to a new adapter and returns the
// adapter's record, or deletes it and returns null when no adapter can be made.
AEffect* CreateInstance(TZolt* effect, audioMasterCallback hostCallback);
