#include "editor/view.h"

#include "editor/view_container.h"

CView::CView(const CRect& rect) : size(rect), mouseableArea(rect) {}

void CView::invalidRect(const CRect& rect) {
    if (isAttached && visible && parentView) parentView->invalidRect(rect);
}

void CView::attached(CViewContainer* parent, CFrame* owner) {
    parentView = parent;
    frame = owner;
    isAttached = true;
}

void CView::removed() {
    parentView = nullptr;
    frame = nullptr;
    isAttached = false;
}
