// The receiving side of the XDND protocol (version 5) for one window: takes file lists
// (text/uri-list) and UTF-8 text, and hands them to the frame's drop handling. The drag
// events before the drop carry an empty container: XDND only transfers the data on drop.
#pragma once

#include <X11/Xlib.h>

#include "editor/drag_container.h"
#include "editor/view.h"

class CFrame;

class XdndTarget {
  public:
    static constexpr long kVersion = 5;

    XdndTarget(Display* display, Window window, CFrame& frame);

    // Sets or removes the XdndAware property that tells sources the window takes drops.
    void setAware(bool aware);
    // True when the event belonged to the protocol.
    bool handleClientMessage(const XClientMessageEvent& event);
    bool handleSelectionNotify(const XSelectionEvent& event);

  private:
    void enter(const XClientMessageEvent& event);
    void position(const XClientMessageEvent& event);
    void leave();
    void drop(const XClientMessageEvent& event);
    void sendToSource(Atom type, long l1, long l2, long l3, long l4);
    void finish(bool accepted);
    void reset();
    Atom chooseType(const Atom* types, unsigned long count) const;

    Display* display_;
    Window window_;
    CFrame& frame_;
    Atom aware_, enter_, position_, status_, leave_, drop_, finished_, selection_, typeList_,
        actionCopy_, uriList_, utf8String_, textUtf8_, textPlain_, property_;
    Window source_ = None;
    long sourceVersion_ = 0;
    Atom type_ = None;
    bool overWindow_ = false;
    bool waitingForData_ = false;
    CPoint where_;
};
