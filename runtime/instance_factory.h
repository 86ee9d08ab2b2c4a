// The sequence that wires a new effect object to a new adapter: one plug-in instance.
#pragma once

#include "plugin/vst2_abi.h"

class TZolt;

// [main] Takes ownership of effect: links it to a new adapter and returns the adapter's
// record, or deletes it and returns null when no adapter can be made.
AEffect* CreateInstance(TZolt* effect, audioMasterCallback hostCallback);
