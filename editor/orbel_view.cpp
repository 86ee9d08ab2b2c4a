#include "editor/orbel_view.h"

#include "plugin/entry_guard.h"
#include "plugin/orbel.h"

COrbelView::COrbelView(const CRect& rect, COrbel* adapter)
    : CView(rect), adapter_(adapter), rect_(rect) {}

void COrbelView::draw(CDrawContext* context) {
    if (!adapter_ || !adapter_->callbacks.draw) return;
    adapter_->drawContext = context;
    // Paints also arrive from the window system, outside the effect record's entries: the
    // graphics section (which may allocate) must not unwind into it either.
    Guarded([&] {
        adapter_->callbacks.draw(adapter_, rect_.right - rect_.left, rect_.bottom - rect_.top);
    });
    adapter_->drawContext = nullptr;
}

int32_t COrbelView::onMouseDown(CPoint& where, int32_t buttons) {
    if (adapter_ && adapter_->callbacks.mouseDown) {
        adapter_->callbacks.mouseDown(adapter_, where.x, where.y, buttons);
    }
    return kMouseHandled;
}

int32_t COrbelView::onMouseUp(CPoint& where, int32_t buttons) {
    if (adapter_ && adapter_->callbacks.mouseUp) {
        adapter_->callbacks.mouseUp(adapter_, where.x, where.y, buttons);
    }
    return kMouseHandled;
}

int32_t COrbelView::onMouseMoved(CPoint& where, int32_t buttons) {
    if (adapter_ && adapter_->callbacks.mouseMoved) {
        adapter_->callbacks.mouseMoved(adapter_, where.x, where.y, buttons);
    }
    return kMouseHandled;
}

int32_t COrbelView::onKeyDown(VstKeyCode& key) {
    if (adapter_ && adapter_->callbacks.keyDown) {
        adapter_->callbacks.keyDown(adapter_, key.character, key.modifier, key.virt);
    }
    return 1;
}

int32_t COrbelView::onKeyUp(VstKeyCode& key) {
    if (adapter_ && adapter_->callbacks.keyUp) {
        adapter_->callbacks.keyUp(adapter_, key.character, key.modifier, key.virt);
    }
    return 1;
}
