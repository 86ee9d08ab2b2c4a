// The adapter's editor: one frame with one effect view while open, idle reaching the runtime.
#pragma once

#include <cstdint>

#include "editor/aeff_gui_editor.h"

class COrbel;
class COrbelView;

// [main] Like every editor; made by createEditor, deleted with the adapter.
class COrbelEditor : public AEffGUIEditor {
  public:
    // Registers itself as adapter's editor; the rectangle is (0, 0, width, height) in 16-bit
    // fields.
    COrbelEditor(COrbel* adapter, int32_t width, int32_t height,
                 const IdleClock& clock = SystemIdleClock());
    // Closes a frame that is still open.
    ~COrbelEditor() override;

    // A second open without a close first closes the old frame, so the host's latest window
    // gets the editor and nothing of the old one is left behind.
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;

    // Invalidates the whole view; false while closed.
    bool redraw();
    COrbelView* view() const { return view_; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

  private:
    COrbel* adapter_;
    COrbelView* view_ = nullptr;  // owned by the frame
    int32_t width_;
    int32_t height_;
};
