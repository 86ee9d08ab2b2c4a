// The runtime's side of the callback table.
#pragma once

#include "plugin/orbel_callbacks.h"

// [main] Fills every entry the runtime serves; the editor's drawing, pointer and key entries
// (7 to 12) stay empty.
void FillRuntimeCallbacks(OrbelCallbacks& table);
