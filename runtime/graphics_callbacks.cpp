#include "runtime/graphics_callbacks.h"

#include "plugin/host_services.h"
#include "runtime/zolt.h"

// The canvas size comes from the adapter when the section starts its frame, not from here.
void RuntimeDraw(COrbel* adapter, double /*width*/, double /*height*/) {
    TZolt* effect = getEffectObject(adapter);
    if (effect) effect->RunGraphics();
}

void RuntimeMouseDown(COrbel* adapter, double x, double y, int32_t buttons) {
    if (TZolt* effect = getEffectObject(adapter)) effect->OnMouseDown(x, y, buttons);
}

void RuntimeMouseUp(COrbel* adapter, double x, double y, int32_t buttons) {
    if (TZolt* effect = getEffectObject(adapter)) effect->OnMouseUp(x, y, buttons);
}

void RuntimeMouseMoved(COrbel* adapter, double x, double y, int32_t buttons) {
    if (TZolt* effect = getEffectObject(adapter)) effect->OnMouseMove(x, y, buttons);
}

void FillGraphicsCallbacks(OrbelCallbacks& table) {
    table.draw = RuntimeDraw;
    table.mouseDown = RuntimeMouseDown;
    table.mouseUp = RuntimeMouseUp;
    table.mouseMoved = RuntimeMouseMoved;
}
