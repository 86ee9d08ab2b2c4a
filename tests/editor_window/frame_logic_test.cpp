// The portable frame without any window system: a fake platform window records what the
// frame asks of it, and recording views show which view gets which event.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/draw_context.h"
#include "editor/frame.h"
#include "editor/offscreen_context.h"

namespace {

struct FakeWindow : PlatformWindow {
    static inline std::vector<std::string>* log = nullptr;
    void note(const std::string& s) {
        if (log) log->push_back(s);
    }
    void* handle() const override { return nullptr; }
    void invalidate(int32_t x, int32_t y, int32_t w, int32_t h) override {
        note("inv " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) + " " +
             std::to_string(h));
    }
    void capturePointer() override { note("capture"); }
    void releasePointer() override { note("release"); }
    void trackPointerLeave() override { note("track"); }
    bool queryPointer(CPoint& where, int32_t& buttons) override {
        where = {7, 8};
        buttons = kLButton;
        return true;
    }
    void setCursor(int32_t kind) override { note("cursor " + std::to_string(kind)); }
    void processEvents() override { note("events"); }
    void paintPending() override {}
    void present(const PixelBuffer&, int32_t, int32_t, int32_t, int32_t) override {}
    void resize(int32_t, int32_t) override {}
    void setDropActive(bool active) override { note(active ? "drop on" : "drop off"); }
    ~FakeWindow() override { note("destroyed"); }
};

std::unique_ptr<PlatformWindow> MakeFake(CFrame&, void*, int32_t, int32_t) {
    return std::make_unique<FakeWindow>();
}

// Records every event as "<name> <event> x,y buttons" into a shared log.
class RecordingView : public CView {
  public:
    RecordingView(const char* name, const CRect& size, std::vector<std::string>& log,
                  int32_t downAnswer = kMouseHandled)
        : CView(size), name_(name), log_(log), downAnswer_(downAnswer) {}
    ~RecordingView() override { log_.push_back(name_ + " deleted"); }
    void draw(CDrawContext* context) override {
        log_.push_back(name_ + " draw");
        context->setFillColor(color);
        // Deliberately beyond its own rectangle: the frame must clip it.
        context->drawRect(0, 0, 1000, 1000, 1);
    }
    int32_t onMouseDown(CPoint& p, int32_t b) override { return note("down", p, b, downAnswer_); }
    int32_t onMouseUp(CPoint& p, int32_t b) override { return note("up", p, b, kMouseHandled); }
    int32_t onMouseMoved(CPoint& p, int32_t b) override { return note("moved", p, b, movedAnswer); }
    void onMouseEntered(CPoint& p, int32_t b) override { note("entered", p, b, 0); }
    void onMouseExited(CPoint& p, int32_t b) override { note("exited", p, b, 0); }
    bool onWheel(const CPoint& p, float d, int32_t b) override {
        CPoint at = p;
        note("wheel" + std::to_string(static_cast<int>(d)), at, b, 0);
        return true;
    }
    int32_t onKeyDown(VstKeyCode& key) override {
        log_.push_back(name_ + " key " + std::to_string(key.character));
        return 1;
    }
    void looseFocus() override { log_.push_back(name_ + " lost focus"); }
    bool onDrop(CDragContainer& drag, const CPoint&) override {
        log_.push_back(name_ + " drop " + std::to_string(drag.count()));
        return true;
    }
    void onDragEnter(CDragContainer&, const CPoint&) override {
        log_.push_back(name_ + " drag in");
    }
    void onDragLeave(CDragContainer&, const CPoint&) override {
        log_.push_back(name_ + " drag out");
    }

    CColor color{255, 0, 0, 255};
    int32_t movedAnswer = kMouseHandled;

  private:
    int32_t note(const std::string& what, CPoint& p, int32_t b, int32_t answer) {
        log_.push_back(name_ + " " + what + " " + std::to_string(static_cast<int>(p.x)) + "," +
                       std::to_string(static_cast<int>(p.y)) + " " + std::to_string(b));
        return answer;
    }
    std::string name_;
    std::vector<std::string>& log_;
    int32_t downAnswer_;
};

class FrameLogic : public ::testing::Test {
  protected:
    void SetUp() override { FakeWindow::log = &log; }
    void TearDown() override {
        if (frame) frame->forget();
        FakeWindow::log = nullptr;
    }
    // Two overlapping views: A (0,0)-(60,40) added first, B (40,0)-(100,40) on top.
    void Make() {
        frame = new CFrame({0, 0, 100, 50}, reinterpret_cast<void*>(1), nullptr, MakeFake);
        a = new RecordingView("A", {0, 0, 60, 40}, log);
        b = new RecordingView("B", {40, 0, 100, 40}, log);
        frame->addView(a);
        frame->addView(b);
        log.clear();
    }
    CPoint At(double x, double y) { return {x, y}; }

    std::vector<std::string> log;
    CFrame* frame = nullptr;
    RecordingView* a = nullptr;
    RecordingView* b = nullptr;
};

TEST_F(FrameLogic, HitTestingTakesTheLastAddedVisibleMouseEnabledView) {
    struct Case {
        const char* what;
        double x, y;
        bool bVisible, bMouse;
        int32_t answer;
        std::string expected;  // empty: nobody
    };
    const Case cases[] = {
        {"overlap goes to the later view", 50, 10, true, true, 1, "B down 50,10 2"},
        {"only the first view", 10, 10, true, true, 1, "A down 10,10 2"},
        {"hidden view is skipped", 50, 10, false, true, 1, "A down 50,10 2"},
        {"mouse-disabled view is skipped", 50, 10, true, false, 1, "A down 50,10 2"},
        {"below both views", 50, 45, true, true, 2, ""},
        {"right edge is outside", 100, 10, true, true, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Make();
        b->visible = c.bVisible;
        b->mouseEnabled = c.bMouse;
        CPoint p = At(c.x, c.y);
        EXPECT_EQ(frame->onMouseDown(p, kLButton), c.answer);
        std::vector<std::string> expected;
        if (!c.expected.empty()) expected.push_back(c.expected);
        EXPECT_EQ(log, expected);
        frame->forget();
        frame = nullptr;
    }
}

TEST_F(FrameLogic, ThePressedViewGetsMovesAndTheReleaseEvenOutsideItself) {
    Make();
    CPoint p = At(10, 10);
    ASSERT_EQ(frame->onMouseDown(p, kLButton | kShift), kMouseHandled);
    EXPECT_EQ(frame->mouseDownView, a);
    p = At(-30, 200);  // dragged far outside the frame
    frame->onMouseMoved(p, kLButton);
    p = At(70, 5);  // over B, still A's drag
    frame->onMouseMoved(p, kLButton);
    EXPECT_EQ(frame->onMouseUp(p, 0), kMouseHandled);
    EXPECT_EQ(frame->mouseDownView, nullptr);
    EXPECT_EQ(frame->onMouseUp(p, 0), kMouseNotHandled) << "no view holds the pointer any more";
    const std::vector<std::string> expected = {"A down 10,10 18", "track", "A moved -30,200 2",
                                               "A moved 70,5 2", "A up 70,5 0"};
    EXPECT_EQ(log, expected);
}

TEST_F(FrameLogic, APressedViewThatStopsHandlingMovesIsDropped) {
    Make();
    a->movedAnswer = kMouseNotHandled;
    CPoint p = At(10, 10);
    frame->onMouseDown(p, kLButton);
    frame->onMouseMoved(p, kLButton);
    EXPECT_EQ(frame->mouseDownView, nullptr);
    EXPECT_EQ(frame->onMouseUp(p, 0), kMouseNotHandled);
}

TEST_F(FrameLogic, MouseOverEntersExitsAndLeavingTheWindowRearmsTracking) {
    Make();
    const struct { double x, y; } path[] = {{10, 10}, {12, 10}, {50, 10}, {50, 45}, {20, 20}};
    for (const auto& step : path) {
        CPoint p = At(step.x, step.y);
        frame->onMouseMoved(p, kShift);
    }
    CPoint out = At(200, 20);
    frame->onMouseExited(out, 0);
    EXPECT_EQ(frame->mouseOverView(), nullptr);
    EXPECT_FALSE(frame->leaveTrackingArmed());
    CPoint back = At(21, 20);
    frame->onMouseMoved(back, 0);
    EXPECT_TRUE(frame->leaveTrackingArmed());
    const std::vector<std::string> expected = {
        "track",
        "A entered 10,10 16",
        "A moved 12,10 0",  // a move over the current view carries no buttons
        "A exited 50,10 16",
        "B entered 50,10 16",
        "B exited 50,45 16",  // over no view
        "A entered 20,20 16",
        "A exited 200,20 0",  // left the window
        "track",
        "A entered 21,20 0",
    };
    EXPECT_EQ(log, expected);
}

TEST_F(FrameLogic, APressEndsTheMouseOverView) {
    Make();
    CPoint p = At(10, 10);
    frame->onMouseMoved(p, 0);
    frame->onMouseDown(p, kLButton);
    EXPECT_EQ(frame->mouseOverView(), nullptr);
    const std::vector<std::string> expected = {"track", "A entered 10,10 0", "A exited 10,10 2",
                                               "A down 10,10 2"};
    EXPECT_EQ(log, expected);
}

TEST_F(FrameLogic, InvalidationWalksUpToTheWindowInWholePixelsOnlyWhileOpen) {
    Make();
    a->invalidRect({1.9, 2.5, 30.99, 40.2});
    b->visible = false;
    b->invalid();  // hidden: nothing
    b->visible = true;
    a->dirty = true;
    frame->idle();  // turns the dirty view into an invalidation, then handles events
    frame->platformWindowDestroyed();
    a->invalid();
    frame->idle();
    const std::vector<std::string> expected = {"inv 1 2 29 38", "inv 0 0 60 40", "events"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(frame->isOpen());
}

TEST_F(FrameLogic, DrawingFillsTheBackgroundThenClipsEachChildToItsRectangle) {
    Make();
    a->color = {255, 0, 0, 255};
    b->color = {0, 0, 255, 255};
    COffscreenContext* context = COffscreenContext::Create(100, 50);
    ASSERT_NE(context, nullptr);
    context->setClipRect({0, 0, 100, 50});
    frame->drawRect(context, {0, 0, 100, 50});
    EXPECT_FALSE(frame->firstDraw());
    EXPECT_EQ(context->referenceCount(), 1) << "the frame gave its reference back";
    EXPECT_EQ(context->clip, (CRect{0, 0, 100, 50})) << "clip restored";
    PixelBuffer pixels;
    ASSERT_TRUE(context->readPixels(pixels));
    auto at = [&](int x, int y) { return pixels.argb[static_cast<size_t>(y) * 100 + x]; };
    EXPECT_EQ(at(10, 10), 0xFFFF0000u);
    EXPECT_EQ(at(50, 10), 0xFF0000FFu) << "the later view draws over the earlier";
    EXPECT_EQ(at(99, 39), 0xFF0000FFu);
    EXPECT_EQ(at(10, 45), 0xFF000000u) << "below the views: the frame's black background";
    EXPECT_EQ(at(99, 49), 0xFF000000u);
    // A partial repaint leaves everything outside its rectangle alone.
    frame->drawRect(context, {0, 45, 100, 50});
    context->forget();
    const std::vector<std::string> expected = {"A draw", "B draw"};
    EXPECT_EQ(log, expected) << "only views that meet the repainted area draw";
}

TEST_F(FrameLogic, KeysGoToTheFocusViewAndTabMovesTheFocus) {
    Make();
    VstKeyCode key{'x', 0, 0};
    EXPECT_EQ(frame->onKeyDown(key), -1) << "no focus view";
    VstKeyCode tab{0, 2, 0};
    EXPECT_EQ(frame->onKeyDown(tab), -1) << "no view accepts focus";
    b->wantsFocus = true;
    EXPECT_EQ(frame->onKeyDown(tab), 1);
    EXPECT_EQ(frame->focusView(), b);
    EXPECT_TRUE(b->dirty);
    EXPECT_EQ(frame->onKeyDown(key), 1);
    CPoint p = At(10, 10);
    frame->onMouseDown(p, kLButton);  // a press takes the focus away
    EXPECT_EQ(frame->focusView(), nullptr);
    const std::vector<std::string> expected = {"B key 120", "B lost focus", "A down 10,10 2"};
    EXPECT_EQ(log, expected);
}

TEST_F(FrameLogic, WheelAndDropsGoToTheViewUnderThePointer) {
    Make();
    EXPECT_TRUE(frame->onWheel(At(50, 10), -1.0f, kControl));
    EXPECT_FALSE(frame->onWheel(At(50, 45), 1.0f, 0)) << "no view there";
    CDragContainer drag({{CDragContainer::Kind::kFile, "/a"}, {CDragContainer::Kind::kText, "t"}});
    frame->onDragEnter(drag, At(10, 10));
    frame->onDragMove(drag, At(50, 10));
    EXPECT_TRUE(frame->onDrop(drag, At(50, 10)));
    EXPECT_FALSE(frame->onDrop(drag, At(50, 45)));
    const std::vector<std::string> expected = {"B wheel-1 50,10 32", "A drag in", "A drag out",
                                               "B drag in", "B drop 2"};
    EXPECT_EQ(log, expected);
}

TEST_F(FrameLogic, DestructionReleasesViewsAndRestoresTheWindow) {
    Make();
    frame->setCursor(4);
    b->remember();  // someone else still holds B
    frame->forget();
    frame = nullptr;
    const std::vector<std::string> expected = {"cursor 4", "cursor 0", "drop off", "A deleted",
                                               "destroyed"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(b->referenceCount(), 1);
    EXPECT_EQ(b->parentView, nullptr);
    b->forget();
}

TEST_F(FrameLogic, WithoutAParentWindowThereIsNoWindow) {
    frame = new CFrame({0, 0, 10, 10}, nullptr, nullptr, MakeFake);
    EXPECT_EQ(frame->window(), nullptr);
    CPoint where;
    EXPECT_FALSE(frame->getCurrentMouseLocation(where));
    EXPECT_EQ(frame->getCurrentMouseButtons(), 0);
    frame->invalid();
    frame->idle();
    frame->platformPaint({0, 0, 10, 10});
    EXPECT_TRUE(log.empty());
}

}  // namespace
