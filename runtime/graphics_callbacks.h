// The runtime's operations for the editor's entries of the callback table (draw and the
// three mouse entries). An instance carries them only when its effect asks for an editor
// (TZolt::hasEditor); otherwise those entries stay empty.
#pragma once

#include <cstdint>

#include "plugin/orbel_callbacks.h"

// [main] Each finds the runtime object through the adapter and does nothing without one.
void RuntimeDraw(COrbel* adapter, double width, double height);
void RuntimeMouseDown(COrbel* adapter, double x, double y, int32_t buttons);
void RuntimeMouseUp(COrbel* adapter, double x, double y, int32_t buttons);
void RuntimeMouseMoved(COrbel* adapter, double x, double y, int32_t buttons);

// [main] Fills entries 7 to 10 with the operations above.
void FillGraphicsCallbacks(OrbelCallbacks& table);
