#include "editor/frame.h"

#include <vector>

#include "editor/draw_context.h"

namespace {
constexpr uint8_t kTabKey = 2;
// The key record's shift bit.
constexpr uint8_t kShiftModifier = 1;

void CollectFocusable(const CViewContainer& container, std::vector<CView*>& out) {
    for (CView* child : container.children()) {
        if (!child->visible) continue;
        if (child->wantsFocus) out.push_back(child);
        if (child->isContainer()) CollectFocusable(static_cast<const CViewContainer&>(*child), out);
    }
}

void InvalidateDirty(CViewContainer& container) {
    for (CView* child : container.children()) {
        if (!child->visible) continue;
        if (child->dirty) child->invalid();
        if (child->isContainer()) InvalidateDirty(static_cast<CViewContainer&>(*child));
    }
}
}  // namespace

CFrame::CFrame(const CRect& rect, void* parentWindow, VSTGUIEditorInterface* editor,
               PlatformWindowFactory makeWindow)
    : GraphicsLibraryHold(), CViewContainer(rect), parentWindow_(parentWindow), editor_(editor) {
    frame = this;
    isAttached = true;
    if (!parentWindow_ || !makeWindow) return;
    window_ = makeWindow(*this, parentWindow_, TruncateToInt(rect.right - rect.left),
                         TruncateToInt(rect.bottom - rect.top));
    if (window_) window_->setDropActive(true);
}

CFrame::~CFrame() {
    modalView_ = nullptr;
    if (window_) {
        if (cursorChanged_) window_->setCursor(0);
        window_->setDropActive(false);
    }
    mouseOverView_ = nullptr;
    focusView_ = nullptr;
    dragOverView_ = nullptr;
    removeAll();
    window_.reset();
}

void CFrame::idle() {
    if (!open_) return;
    InvalidateDirty(*this);
    if (window_) window_->processEvents();
}

void CFrame::drawRect(CDrawContext* context, const CRect& area) {
    if (!context) return;
    firstDraw_ = false;
    context->remember();
    const CRect oldClip = context->clip;
    context->setClipRect(IntersectRects(area, oldClip));
    CViewContainer::drawRect(context, area);
    context->setClipRect(oldClip);
    context->forget();
}

CDrawContext* CFrame::createDrawContext() {
    COffscreenContext* context = COffscreenContext::Create(TruncateToInt(size.right - size.left),
                                                           TruncateToInt(size.bottom - size.top));
    if (context) context->setClipRect(size);
    return context;
}

void CFrame::platformPaint(const CRect& area) {
    if (!window_ || !open_) return;
    CDrawContext* context = createDrawContext();
    if (!context) return;
    const CRect part = IntersectRects(area, size);
    drawRect(context, part);
    PixelBuffer pixels;
    if (context->surface() && context->surface()->ReadPixels(pixels)) {
        const int32_t x = TruncateToInt(part.left);
        const int32_t y = TruncateToInt(part.top);
        window_->present(pixels, x, y, TruncateToInt(part.right) - x,
                         TruncateToInt(part.bottom) - y);
    }
    context->forget();
}

void CFrame::invalidRect(const CRect& rect) {
    if (!visible || !open_ || !window_) return;
    const int32_t left = TruncateToInt(rect.left);
    const int32_t top = TruncateToInt(rect.top);
    window_->invalidate(left, top, TruncateToInt(rect.right) - left,
                        TruncateToInt(rect.bottom) - top);
}

int32_t CFrame::onMouseDown(CPoint& where, int32_t buttons) {
    mouseDownView = nullptr;
    setFocusView(nullptr);
    if (mouseOverView_) {
        CPoint at = where;
        mouseOverView_->onMouseExited(at, buttons);
        mouseOverView_ = nullptr;
    }
    return CViewContainer::onMouseDown(where, buttons);
}

int32_t CFrame::onMouseUp(CPoint& where, int32_t buttons) {
    return CViewContainer::onMouseUp(where, buttons);
}

int32_t CFrame::onMouseMoved(CPoint& where, int32_t buttons) {
    if (!leaveTracking_) {
        if (window_) window_->trackPointerLeave();
        leaveTracking_ = true;
    }
    if (mouseDownView) return CViewContainer::onMouseMoved(where, buttons);
    CView* view = viewAt(toLocal(where));
    if (view && view == mouseOverView_) {
        CPoint local = toLocal(where);
        return view->onMouseMoved(local, 0);
    }
    if (view != mouseOverView_) setMouseOverView(view, where, buttons);
    return kMouseNotHandled;
}

void CFrame::setMouseOverView(CView* view, CPoint& where, int32_t buttons) {
    CPoint local = toLocal(where);
    if (mouseOverView_) mouseOverView_->onMouseExited(local, buttons);
    mouseOverView_ = view;
    if (view) view->onMouseEntered(local, buttons);
}

void CFrame::onMouseExited(CPoint& where, int32_t buttons) {
    if (mouseOverView_) {
        CPoint local = toLocal(where);
        mouseOverView_->onMouseExited(local, buttons);
    }
    mouseOverView_ = nullptr;
    leaveTracking_ = false;
}

bool CFrame::onWheel(const CPoint& where, float distance, int32_t buttons) {
    return CViewContainer::onWheel(where, distance, buttons);
}

int32_t CFrame::onKeyDown(VstKeyCode& key) {
    if (focusView_) {
        const int32_t answer = focusView_->onKeyDown(key);
        if (answer != -1) return answer;
    }
    if (modalView_) {
        const int32_t answer = modalView_->onKeyDown(key);
        if (answer != -1) return answer;
    }
    if (key.virt == kTabKey) {
        return advanceNextFocusView((key.modifier & kShiftModifier) != 0) ? 1 : -1;
    }
    return -1;
}

int32_t CFrame::onKeyUp(VstKeyCode& key) {
    if (focusView_) {
        const int32_t answer = focusView_->onKeyUp(key);
        if (answer != -1) return answer;
    }
    if (modalView_) return modalView_->onKeyUp(key);
    return -1;
}

void CFrame::notifyContainers(CView* view, const char* message) {
    for (CViewContainer* parent = view->parentView; parent; parent = parent->parentView) {
        parent->notify(view, message);
    }
}

void CFrame::setFocusView(CView* view) {
    if (focusChanging_ || view == focusView_) return;
    focusChanging_ = true;
    CView* old = focusView_;
    focusView_ = view;
    if (view && view->wantsFocus) {
        view->dirty = true;
        notifyContainers(view, "kMsgNewFocusView");
    }
    if (old && old->wantsFocus) {
        old->dirty = true;
        notifyContainers(old, "kMsgOldFocusView");
        old->looseFocus();
    }
    focusChanging_ = false;
}

bool CFrame::advanceNextFocusView(bool backwards) {
    std::vector<CView*> views;
    try {
        CollectFocusable(*this, views);
    } catch (...) {
        return false;
    }
    if (views.empty()) return false;
    size_t next = backwards ? views.size() - 1 : 0;
    for (size_t i = 0; i < views.size(); ++i) {
        if (views[i] != focusView_) continue;
        next = backwards ? (i == 0 ? views.size() - 1 : i - 1) : (i + 1) % views.size();
        break;
    }
    setFocusView(views[next]);
    return true;
}

void CFrame::onDragEnter(CDragContainer& drag, const CPoint& where) {
    const CPoint local = toLocal(where);
    dragOverView_ = viewAt(local);
    if (dragOverView_) dragOverView_->onDragEnter(drag, local);
}

void CFrame::onDragMove(CDragContainer& drag, const CPoint& where) {
    const CPoint local = toLocal(where);
    CView* view = viewAt(local);
    if (view == dragOverView_) {
        if (view) view->onDragMove(drag, local);
        return;
    }
    if (dragOverView_) dragOverView_->onDragLeave(drag, local);
    dragOverView_ = view;
    if (view) view->onDragEnter(drag, local);
}

void CFrame::onDragLeave(CDragContainer& drag, const CPoint& where) {
    if (dragOverView_) dragOverView_->onDragLeave(drag, toLocal(where));
    dragOverView_ = nullptr;
}

bool CFrame::onDrop(CDragContainer& drag, const CPoint& where) {
    dragOverView_ = nullptr;
    const CPoint local = toLocal(where);
    CView* view = viewAt(local);
    return view && view->onDrop(drag, local);
}

void CFrame::platformWindowDestroyed() {
    open_ = false;
    parentWindow_ = nullptr;
}

bool CFrame::getCurrentMouseLocation(CPoint& where) {
    int32_t buttons = 0;
    return window_ && window_->queryPointer(where, buttons);
}

int32_t CFrame::getCurrentMouseButtons() {
    CPoint where;
    int32_t buttons = 0;
    if (!window_ || !window_->queryPointer(where, buttons)) return 0;
    return buttons;
}

void CFrame::setCursor(int32_t kind) {
    if (!window_) return;
    cursorChanged_ = true;
    window_->setCursor(kind);
}
