// The editor's single view: hands its paints, pointer and key events to the runtime through
// the adapter's callback table, with the draw context attached to the adapter while the
// runtime draws.
#pragma once

#include "editor/view.h"

class COrbel;

// [main] Like the frame that holds it.
class COrbelView : public CView {
  public:
    COrbelView(const CRect& size, COrbel* adapter);

    void draw(CDrawContext* context) override;
    // Handled in every case, also when the runtime offers no callback, so the frame keeps
    // this view as the one that took the press.
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    int32_t onKeyUp(VstKeyCode& key) override;

    COrbel* adapter() const { return adapter_; }
    // The view's own rectangle, fixed at creation; redraws invalidate it.
    const CRect& rectCopy() const { return rect_; }

  private:
    COrbel* adapter_;
    CRect rect_;
};
