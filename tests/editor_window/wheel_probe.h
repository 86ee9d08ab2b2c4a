// Records the wheel: the effect view ignores it, so the window tests put this view over the
// editor's right half where the wheel is turned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/view.h"

class WheelProbe : public CView {
  public:
    WheelProbe(const CRect& size, std::vector<std::string>& log) : CView(size), log_(log) {}
    bool onWheel(const CPoint& where, float distance, int32_t buttons) override {
        log_.push_back(std::to_string(static_cast<int>(where.x)) + "," +
                       std::to_string(static_cast<int>(where.y)) + " " +
                       std::to_string(static_cast<int>(distance)) + " " + std::to_string(buttons));
        return true;
    }

  private:
    std::vector<std::string>& log_;
};
