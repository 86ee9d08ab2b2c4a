// Drops onto the editor through XDND, with the test as the drag source: client messages to
// the editor's window and the selection owner that hands over the data.

// GoogleTest first: Xlib defines macros (None, Bool) that its headers use as names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "editor/frame.h"
#include "tests/editor_window/editor_effect.h"
#include "tests/editor_window/x11_host.h"

namespace {

// Takes drops over the editor's right half and keeps what arrived.
class DropProbe : public CView {
  public:
    DropProbe(const CRect& size, std::vector<CDragContainer::Entry>& got, int& enters)
        : CView(size), got_(got), enters_(enters) {}
    bool onDrop(CDragContainer& drag, const CPoint&) override {
        for (int32_t i = 0; i < drag.count(); ++i) got_.push_back(*drag.entry(i));
        return true;
    }
    void onDragEnter(CDragContainer&, const CPoint&) override { ++enters_; }

  private:
    std::vector<CDragContainer::Entry>& got_;
    int& enters_;
};

class DragSource {
  public:
    explicit DragSource(Display* display) : display_(display) {
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        for (const char* name : {"XdndEnter", "XdndPosition", "XdndStatus", "XdndDrop",
                                 "XdndFinished", "XdndSelection", "XdndActionCopy", "XdndAware"}) {
            atoms_.push_back(XInternAtom(display_, name, False));
        }
        XSetSelectionOwner(display_, Known(kSelection), window_, CurrentTime);
        XSync(display_, False);
    }
    ~DragSource() { XDestroyWindow(display_, window_); }

    ::Atom atom(const char* name) { return XInternAtom(display_, name, False); }
    ::Atom Known(int index) { return atoms_[static_cast<size_t>(index)]; }

    void Send(Window target, int message, long l1, long l2, long l3, long l4) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = Known(message);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(window_);
        event.xclient.data.l[1] = l1;
        event.xclient.data.l[2] = l2;
        event.xclient.data.l[3] = l3;
        event.xclient.data.l[4] = l4;
        XSendEvent(display_, target, False, NoEventMask, &event);
        XSync(display_, False);
    }

    // Answers a conversion request with data; true once one was answered.
    bool AnswerRequest(const std::string& data) {
        XEvent event;
        if (!XCheckTypedEvent(display_, SelectionRequest, &event)) return false;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XChangeProperty(display_, request.requestor, request.property, request.target, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(data.data()),
                        static_cast<int>(data.size()));
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.property = request.property;
        reply.xselection.time = request.time;
        XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
        XSync(display_, False);
        ++requests;
        return true;
    }

    // The next client message of a type sent to the source, if one arrived.
    bool Received(int message, XClientMessageEvent& out) {
        XEvent event;
        while (XCheckTypedWindowEvent(display_, window_, ClientMessage, &event)) {
            received_.push_back(event.xclient);
        }
        for (auto it = received_.begin(); it != received_.end(); ++it) {
            if (it->message_type == Known(message)) {
                out = *it;
                received_.erase(it);
                return true;
            }
        }
        return false;
    }

    static constexpr int kEnter = 0, kPosition = 1, kStatus = 2, kDrop = 3, kFinished = 4,
                         kSelection = 5, kCopy = 6, kAware = 7;
    int requests = 0;

  private:
    Display* display_;
    Window window_;
    std::vector<::Atom> atoms_;
    std::vector<XClientMessageEvent> received_;
};

struct DropCase {
    const char* what;
    const char* type;  // offered by the source
    std::string data;
    bool accepted;
    std::vector<CDragContainer::Entry> expected;
};

TEST(EditorDrop, FilesAndTextDroppedThroughXdndReachTheFramesDropHandling) {
    X11Host host;
    ASSERT_NE(host.display(), nullptr);
    const Window parent = host.CreateParent(600, 600, 200, 100);
    EditorInstance instance;
    instance.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent)));
    const Window target = EditorWindow(instance);
    ASSERT_NE(target, None);
    std::vector<CDragContainer::Entry> got;
    int enters = 0;
    FrameOf(instance)->addView(new DropProbe({100, 0, 200, 100}, got, enters));

    DragSource source(host.display());
    {
        // The editor's window says it takes drops, protocol version 5.
        ::Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* value = nullptr;
        ASSERT_EQ(XGetWindowProperty(host.display(), target, source.Known(DragSource::kAware), 0, 1,
                                     False, XA_ATOM, &type, &format, &count, &after, &value),
                  Success);
        ASSERT_EQ(count, 1u);
        EXPECT_EQ(*reinterpret_cast<long*>(value), 5);
        XFree(value);
    }

    const std::vector<DropCase> cases = {
        {"file list",
         "text/uri-list",
         "file:///tmp/take%201.wav\r\nfile://localhost/home/u/notes.txt\r\n",
         true,
         {{CDragContainer::Kind::kFile, "/tmp/take 1.wav"},
          {CDragContainer::Kind::kFile, "/home/u/notes.txt"}}},
        {"UTF-8 text",
         "UTF8_STRING",
         "gr\xC3\xBC\xC3\x9F",
         true,
         {{CDragContainer::Kind::kText, "gr\xC3\xBC\xC3\x9F"}}},
        {"a type the editor does not take", "image/png", "", false, {}},
    };
    const long where = (600L + 150) << 16 | (600 + 50);  // over the probe
    for (const DropCase& c : cases) {
        SCOPED_TRACE(c.what);
        got.clear();
        enters = 0;
        source.requests = 0;
        source.Send(target, DragSource::kEnter, 5L << 24, static_cast<long>(source.atom(c.type)), 0,
                    0);
        source.Send(target, DragSource::kPosition, 0, where, CurrentTime,
                    static_cast<long>(source.Known(DragSource::kCopy)));
        XClientMessageEvent status{};
        ASSERT_TRUE(X11Host::PumpUntil(
            {&instance}, [&] { return source.Received(DragSource::kStatus, status); }));
        EXPECT_EQ(static_cast<Window>(status.data.l[0]), target);
        EXPECT_EQ(status.data.l[1] & 1, c.accepted ? 1 : 0);
        EXPECT_EQ(status.data.l[4],
                  c.accepted ? static_cast<long>(source.Known(DragSource::kCopy)) : 0L);
        EXPECT_EQ(enters, 1);

        source.Send(target, DragSource::kDrop, 0, CurrentTime, 0, 0);
        XClientMessageEvent finished{};
        ASSERT_TRUE(X11Host::PumpUntil({&instance}, [&] {
            source.AnswerRequest(c.data);
            return source.Received(DragSource::kFinished, finished);
        }));
        EXPECT_EQ(finished.data.l[1] & 1, c.accepted ? 1 : 0);
        EXPECT_EQ(source.requests, c.accepted ? 1 : 0) << "data is asked for only when taken";
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].kind, c.expected[i].kind);
            EXPECT_EQ(got[i].utf8, c.expected[i].utf8);
        }
    }
    instance.Dispatch(effEditClose);
    host.DestroyParent(parent);
}

}  // namespace
