// The leaf of the editor's view tree: a reference-counted rectangle that draws itself and
// reacts to the pointer, keys and drops. Containers own the views added to them.
#pragma once

#include <cstdint>

#include "editor/geometry.h"
#include "plugin/base_object.h"
#include "plugin/vst2_abi.h"

class CDrawContext;
class CDragContainer;
class CFrame;
class CViewContainer;

struct CPoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const CPoint&) const = default;
};

inline bool RectContains(const CRect& r, const CPoint& p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
inline CRect IntersectRects(const CRect& a, const CRect& b) {
    CRect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
            a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}
inline bool RectIsEmpty(const CRect& r) {
    return !(r.right > r.left && r.bottom > r.top);
}

// Mouse button and modifier bits of every pointer event.
enum MouseButtons : int32_t {
    kDoubleClickBit = 1024,
    kLButton = 2,
    kMButton = 4,
    kRButton = 8,
    kShift = 16,
    kControl = 32,
    kAlt = 64,
    kButton4 = 256,
    kButton5 = 512,
};

// Answers of the mouse handlers.
enum MouseResult : int32_t { kMouseNotHandled = 2, kMouseHandled = 1 };

class CView : public CBaseObject {
  public:
    explicit CView(const CRect& size);
    ~CView() override = default;

    virtual void draw(CDrawContext* /*context*/) {}
    // Positions are relative to the parent container.
    virtual int32_t onMouseDown(CPoint& /*where*/, int32_t /*buttons*/) { return kMouseNotHandled; }
    virtual int32_t onMouseUp(CPoint& /*where*/, int32_t /*buttons*/) { return kMouseNotHandled; }
    virtual int32_t onMouseMoved(CPoint& /*where*/, int32_t /*buttons*/) {
        return kMouseNotHandled;
    }
    virtual void onMouseEntered(CPoint& /*where*/, int32_t /*buttons*/) {}
    virtual void onMouseExited(CPoint& /*where*/, int32_t /*buttons*/) {}
    virtual bool onWheel(const CPoint& /*where*/, float /*distance*/, int32_t /*buttons*/) {
        return false;
    }
    // 1 handled, -1 not handled.
    virtual int32_t onKeyDown(VstKeyCode& /*key*/) { return -1; }
    virtual int32_t onKeyUp(VstKeyCode& /*key*/) { return -1; }
    // Drops: the default view takes none.
    virtual bool onDrop(CDragContainer& /*drag*/, const CPoint& /*where*/) { return false; }
    virtual void onDragEnter(CDragContainer& /*drag*/, const CPoint& /*where*/) {}
    virtual void onDragLeave(CDragContainer& /*drag*/, const CPoint& /*where*/) {}
    virtual void onDragMove(CDragContainer& /*drag*/, const CPoint& /*where*/) {}
    virtual void looseFocus() {}
    // Messages from the frame to the containers around a focus change.
    virtual void notify(CView* /*sender*/, const char* /*message*/) {}

    // Passes the rectangle up to the frame when the view is attached and visible.
    virtual void invalidRect(const CRect& rect);
    void invalid() { invalidRect(size); }
    virtual bool isContainer() const { return false; }

    void attached(CViewContainer* parent, CFrame* frame);
    void removed();

    CRect size;
    CRect mouseableArea;
    CViewContainer* parentView = nullptr;
    CFrame* frame = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool transparent = false;
    bool wantsFocus = false;
    bool isAttached = false;
    bool visible = true;
};
