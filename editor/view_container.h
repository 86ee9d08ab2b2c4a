// A view holding child views: draws them in insertion order over its background colour,
// hit-tests them from the last added to the first, and keeps the child that took a press.
#pragma once

#include <vector>

#include "editor/view.h"

class CViewContainer : public CView {
  public:
    explicit CViewContainer(const CRect& size);
    ~CViewContainer() override;

    // Takes over the caller's reference. False (and the reference released) for a null view.
    bool addView(CView* view);
    // Releases the container's reference to every child.
    void removeAll();
    const std::vector<CView*>& children() const { return children_; }

    // Draws the part of the container inside area: background, then each child it meets.
    virtual void drawRect(CDrawContext* context, const CRect& area);
    void draw(CDrawContext* context) override { drawRect(context, size); }

    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    bool onWheel(const CPoint& where, float distance, int32_t buttons) override;
    void invalidRect(const CRect& rect) override;
    bool isContainer() const override { return true; }

    // The topmost visible, mouse-enabled child whose mouse-sensitive area holds where
    // (container coordinates), or null.
    CView* viewAt(const CPoint& where) const;
    // Children that are containers are searched too, so the result is a leaf when possible.
    CView* deepViewAt(const CPoint& where) const;

    CColor backgroundColor{0, 0, 0, 255};
    CView* mouseDownView = nullptr;

  protected:
    CPoint toLocal(const CPoint& where) const { return {where.x - size.left, where.y - size.top}; }

    std::vector<CView*> children_;
};
