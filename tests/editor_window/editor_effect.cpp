#include "tests/editor_window/editor_effect.h"

#include "editor/draw_api.h"
#include "editor/editor_services.h"
#include "plugin/host_services.h"
#include "plugin/orbel.h"
#include "runtime/callbacks.h"
#include "tests/runtime/test_host.h"

namespace {
EditorEffect* Effect(COrbel* adapter) {
    return static_cast<EditorEffect*>(getEffectObject(adapter));
}

void Open(COrbel* adapter) {
    EditorEffect* effect = Effect(adapter);
    effect->Reset();
    createEditor(adapter, effect->width, effect->height);
}

void Idle(COrbel* adapter) {
    EditorEffect* effect = Effect(adapter);
    effect->idles += 1;
    if (effect->redrawFromIdle) effect->lastRedrawAnswer = redrawEditor(adapter);
}

void FillHalf(COrbel* adapter, uint32_t color, double left, double right, double height) {
    if (!color) return;
    DrawSetFillColor(adapter, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF, 255);
    DrawRect(adapter, left, 0.0, right, height, 1);
}

void Draw(COrbel* adapter, double width, double height) {
    EditorEffect* effect = Effect(adapter);
    effect->draws += 1;
    effect->drawSizes = {width, height};
    effect->contextDuringDraw = adapter->drawContext != nullptr;
    FillHalf(adapter, effect->leftColor, 0.0, width / 2, height);
    FillHalf(adapter, effect->rightColor, width / 2, width, height);
}

template <char Kind>
void Mouse(COrbel* adapter, double x, double y, int32_t buttons) {
    Effect(adapter)->mouse.push_back({Kind, x, y, buttons});
}

void Key(COrbel* adapter, int32_t, int32_t, int32_t) {
    Effect(adapter)->keys += 1;
}
}  // namespace

EditorInstance::EditorInstance(bool withDraw, int32_t width, int32_t height)
    : effect_(new EditorEffect) {
    effect_->width = width;
    effect_->height = height;
    OrbelCallbacks table{};
    FillRuntimeCallbacks(table);
    table.open = Open;
    table.editorIdle = Idle;
    if (withDraw) table.draw = Draw;
    table.mouseDown = Mouse<'d'>;
    table.mouseUp = Mouse<'u'>;
    table.mouseMoved = Mouse<'m'>;
    table.keyDown = Key;
    table.keyUp = Key;
    adapter_ = createAdapter(effect_, table, TestHostCallback, 1, 0);
    effect_->adapter = adapter_;
    record_ = getAEffect(adapter_);
    Dispatch(effOpen);
}

EditorInstance::~EditorInstance() {
    // The static entry deletes the adapter, whose release deletes the effect object.
    if (record_) record_->dispatcher(record_, effClose, 0, 0, nullptr, 0.0f);
}

intptr_t EditorInstance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
    return record_->dispatcher(record_, opcode, index, value, ptr, opt);
}
