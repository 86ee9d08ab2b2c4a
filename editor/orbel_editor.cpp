#include "editor/orbel_editor.h"

#include <new>

#include "editor/frame.h"
#include "editor/orbel_view.h"
#include "plugin/orbel.h"

COrbelEditor::COrbelEditor(COrbel* adapter, int32_t width, int32_t height, const IdleClock& clock)
    : AEffGUIEditor(adapter, clock), adapter_(adapter), width_(width), height_(height) {
    rect_.top = 0;
    rect_.left = 0;
    rect_.bottom = static_cast<int16_t>(height);
    rect_.right = static_cast<int16_t>(width);
    if (adapter) adapter->setEditor(this);
}

COrbelEditor::~COrbelEditor() {
    close();
}

bool COrbelEditor::open(void* parentWindow) {
    if (frame_) close();
    AEffGUIEditor::open(parentWindow);
    const CRect size{0.0, 0.0, static_cast<double>(width_), static_cast<double>(height_)};
    frame_ = new (std::nothrow) CFrame(size, parentWindow, this);
    if (!frame_) {
        AEffGUIEditor::close();  // not open after all
        return false;
    }
    view_ = new (std::nothrow) COrbelView(size, adapter_);
    if (!view_ || !frame_->addView(view_)) view_ = nullptr;
    return true;
}

void COrbelEditor::close() {
    if (frame_) {
        CFrame* frame = frame_;
        frame_ = nullptr;
        // The view goes with the frame; nothing may reach it afterwards.
        view_ = nullptr;
        frame->forget();
    }
    AEffGUIEditor::close();
}

void COrbelEditor::idle() {
    if (view_ && frame_ && adapter_ && adapter_->callbacks.editorIdle) {
        adapter_->callbacks.editorIdle(adapter_);
    }
    AEffGUIEditor::idle();
}

bool COrbelEditor::redraw() {
    if (!frame_ || !view_) return false;
    view_->invalidRect(view_->rectCopy());
    return true;
}
