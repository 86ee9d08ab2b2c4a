#include "editor/view_container.h"

#include <new>

#include "editor/draw_context.h"

CViewContainer::CViewContainer(const CRect& rect) : CView(rect) {}

CViewContainer::~CViewContainer() {
    removeAll();
}

bool CViewContainer::addView(CView* view) {
    if (!view) return false;
    try {
        children_.push_back(view);
    } catch (const std::bad_alloc&) {
        view->forget();
        return false;
    }
    view->attached(this, frame);
    return true;
}

void CViewContainer::removeAll() {
    mouseDownView = nullptr;
    // Detach first: a child's destructor must not find itself still listed.
    std::vector<CView*> old;
    old.swap(children_);
    for (CView* child : old) {
        child->removed();
        child->forget();
    }
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& area) {
    if (!context) return;
    const CRect clip = context->clip;
    const CRect drawArea = IntersectRects(area, clip);
    if (!RectIsEmpty(area)) {
        context->setFillColor(backgroundColor);
        context->setFrameColor(backgroundColor);
        context->setClipRect(drawArea);
        context->drawRect(size.left, size.top, size.right, size.bottom, 2);
        for (CView* child : children_) {
            if (!child->visible) continue;
            const CRect part = IntersectRects(child->size, drawArea);
            if (RectIsEmpty(part)) continue;
            context->setClipRect(part);
            child->draw(context);
            child->dirty = false;
        }
    }
    context->setClipRect(clip);
    dirty = false;
}

CView* CViewContainer::viewAt(const CPoint& where) const {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* child = *it;
        if (child->visible && child->mouseEnabled && RectContains(child->mouseableArea, where)) {
            return child;
        }
    }
    return nullptr;
}

CView* CViewContainer::deepViewAt(const CPoint& where) const {
    CView* view = viewAt(where);
    if (view && view->isContainer()) {
        auto* inner = static_cast<CViewContainer*>(view);
        if (CView* leaf = inner->deepViewAt(inner->toLocal(where))) return leaf;
    }
    return view;
}

int32_t CViewContainer::onMouseDown(CPoint& where, int32_t buttons) {
    mouseDownView = nullptr;
    CPoint local = toLocal(where);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        CView* child = *it;
        if (!child->visible || !child->mouseEnabled || !RectContains(child->mouseableArea, local)) {
            continue;
        }
        const int32_t answer = child->onMouseDown(local, buttons);
        if (answer == kMouseHandled) mouseDownView = child;
        return answer;
    }
    return kMouseNotHandled;
}

int32_t CViewContainer::onMouseUp(CPoint& where, int32_t buttons) {
    if (!mouseDownView) return kMouseNotHandled;
    CPoint local = toLocal(where);
    CView* view = mouseDownView;
    mouseDownView = nullptr;
    view->onMouseUp(local, buttons);
    return kMouseHandled;
}

int32_t CViewContainer::onMouseMoved(CPoint& where, int32_t buttons) {
    if (!mouseDownView) return kMouseNotHandled;
    CPoint local = toLocal(where);
    const int32_t answer = mouseDownView->onMouseMoved(local, buttons);
    if (answer != kMouseHandled) mouseDownView = nullptr;
    return answer;
}

bool CViewContainer::onWheel(const CPoint& where, float distance, int32_t buttons) {
    const CPoint local = toLocal(where);
    CView* view = viewAt(local);
    return view && view->onWheel(local, distance, buttons);
}

void CViewContainer::invalidRect(const CRect& rect) {
    if (!isAttached || !visible || !parentView) return;
    parentView->invalidRect({rect.left + size.left, rect.top + size.top, rect.right + size.left,
                             rect.bottom + size.top});
}
