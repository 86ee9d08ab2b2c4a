// The runtime's operations for the editor's entries of the callback table (draw and the
// three mouse entries). The plug-in's entry leaves those entries empty; an editor that wants
// them installs them.
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
