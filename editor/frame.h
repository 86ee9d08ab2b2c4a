// The top of the editor's view tree and the owner of its window: paints the views, turns the
// window's pointer, key and drop events into view events, and tracks which view holds the
// pointer, which one it is over and which one has the keyboard focus.
#pragma once

#include <memory>

#include "editor/drag_container.h"
#include "editor/offscreen_context.h"
#include "editor/platform_window.h"
#include "editor/view_container.h"
#include "editor/vstgui_editor_interface.h"

// [main] Every operation runs on the thread that made the frame: the host's UI thread.
class CFrame : private GraphicsLibraryHold, public CViewContainer {
  public:
    // One reference for the caller. Without a parent window (or when the platform cannot
    // make one) the frame has no window: it never paints and receives no events.
    CFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor,
           PlatformWindowFactory makeWindow = CreatePlatformWindow);
    ~CFrame() override;

    // Invalidates the window for dirty views, then lets the window handle its events.
    void idle();
    bool isOpen() const { return open_; }
    void* parentWindow() const { return parentWindow_; }
    VSTGUIEditorInterface* editor() const { return editor_; }
    PlatformWindow* window() const { return window_.get(); }

    void drawRect(CDrawContext* context, const CRect& area) override;
    // Draws area into a fresh context of the frame's size and hands it to the window.
    void platformPaint(const CRect& area);
    // A context of the frame's size to draw into, with one reference; null when none can be
    // made.
    CDrawContext* createDrawContext();
    void invalidRect(const CRect& rect) override;

    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    void onMouseExited(CPoint& where, int32_t buttons) override;
    bool onWheel(const CPoint& where, float distance, int32_t buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    int32_t onKeyUp(VstKeyCode& key) override;
    void onDragEnter(CDragContainer& drag, const CPoint& where) override;
    void onDragMove(CDragContainer& drag, const CPoint& where) override;
    void onDragLeave(CDragContainer& drag, const CPoint& where) override;
    bool onDrop(CDragContainer& drag, const CPoint& where) override;
    // The host destroyed the window (with its own): nothing is painted or tracked any more.
    void platformWindowDestroyed();

    bool getCurrentMouseLocation(CPoint& where);
    int32_t getCurrentMouseButtons();
    void setCursor(int32_t kind);
    void setFocusView(CView* view);
    // Moves the focus to the next (or previous) view that accepts it; false when none does.
    bool advanceNextFocusView(bool backwards);

    CView* focusView() const { return focusView_; }
    CView* mouseOverView() const { return mouseOverView_; }
    CView* modalView() const { return modalView_; }
    bool leaveTrackingArmed() const { return leaveTracking_; }
    bool firstDraw() const { return firstDraw_; }

  private:
    void setMouseOverView(CView* view, CPoint& where, int32_t buttons);
    void notifyContainers(CView* view, const char* message);

    void* parentWindow_;
    VSTGUIEditorInterface* editor_;
    std::unique_ptr<PlatformWindow> window_;
    bool firstDraw_ = true;
    bool open_ = true;
    bool leaveTracking_ = false;
    bool focusChanging_ = false;
    bool cursorChanged_ = false;
    CView* mouseOverView_ = nullptr;
    CView* focusView_ = nullptr;
    CView* modalView_ = nullptr;
    CView* dragOverView_ = nullptr;
};
