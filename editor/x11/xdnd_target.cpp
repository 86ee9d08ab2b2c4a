#include "editor/x11/xdnd_target.h"

#include <X11/Xatom.h>

#include <string>

#include "editor/frame.h"
#include "editor/x11/uri_list.h"
#include "editor/x11/x11_error_trap.h"

namespace {
// Larger drops are refused rather than read in pieces (the INCR transfer is not supported).
constexpr long kMaxDropLongs = 4 * 1024 * 1024;
}  // namespace

XdndTarget::XdndTarget(Display* display, Window window, CFrame& frame)
    : display_(display), window_(window), frame_(frame) {
    const char* names[] = {"XdndAware",
                           "XdndEnter",
                           "XdndPosition",
                           "XdndStatus",
                           "XdndLeave",
                           "XdndDrop",
                           "XdndFinished",
                           "XdndSelection",
                           "XdndTypeList",
                           "XdndActionCopy",
                           "text/uri-list",
                           "UTF8_STRING",
                           "text/plain;charset=utf-8",
                           "text/plain",
                           "LOTTA_XDND_DATA"};
    Atom atoms[15];
    XInternAtoms(display_, const_cast<char**>(names), 15, False, atoms);
    aware_ = atoms[0];
    enter_ = atoms[1];
    position_ = atoms[2];
    status_ = atoms[3];
    leave_ = atoms[4];
    drop_ = atoms[5];
    finished_ = atoms[6];
    selection_ = atoms[7];
    typeList_ = atoms[8];
    actionCopy_ = atoms[9];
    uriList_ = atoms[10];
    utf8String_ = atoms[11];
    textUtf8_ = atoms[12];
    textPlain_ = atoms[13];
    property_ = atoms[14];
}

void XdndTarget::setAware(bool aware) {
    if (aware) {
        const Atom version = kVersion;
        XChangeProperty(display_, window_, aware_, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&version), 1);
    } else {
        XDeleteProperty(display_, window_, aware_);
    }
}

Atom XdndTarget::chooseType(const Atom* types, unsigned long count) const {
    for (Atom wanted : {uriList_, utf8String_, textUtf8_, textPlain_}) {
        for (unsigned long i = 0; i < count; ++i) {
            if (types[i] == wanted) return wanted;
        }
    }
    return None;
}

bool XdndTarget::handleClientMessage(const XClientMessageEvent& event) {
    if (event.message_type == enter_) {
        enter(event);
    } else if (event.message_type == position_) {
        position(event);
    } else if (event.message_type == leave_) {
        leave();
    } else if (event.message_type == drop_) {
        drop(event);
    } else {
        return false;
    }
    return true;
}

void XdndTarget::enter(const XClientMessageEvent& event) {
    if (overWindow_) leave();
    reset();
    source_ = static_cast<Window>(event.data.l[0]);
    sourceVersion_ = (event.data.l[1] >> 24) & 0xFF;
    if (event.data.l[1] & 1) {
        // More than three types: the full list is a property of the source window.
        X11ErrorTrap trap(display_);
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_, source_, typeList_, 0, 1024, False, XA_ATOM, &actualType,
                               &format, &count, &after, &data) == Success &&
            data && format == 32) {
            type_ = chooseType(reinterpret_cast<const Atom*>(data), count);
        }
        if (data) XFree(data);
        if (trap.failed()) type_ = None;
    } else {
        const Atom types[3] = {static_cast<Atom>(event.data.l[2]),
                               static_cast<Atom>(event.data.l[3]),
                               static_cast<Atom>(event.data.l[4])};
        type_ = chooseType(types, 3);
    }
}

void XdndTarget::position(const XClientMessageEvent& event) {
    if (static_cast<Window>(event.data.l[0]) != source_) return;
    const int rootX = static_cast<int>((event.data.l[2] >> 16) & 0xFFFF);
    const int rootY = static_cast<int>(event.data.l[2] & 0xFFFF);
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(display_, DefaultRootWindow(display_), window_, rootX, rootY, &x, &y,
                          &child);
    where_ = {static_cast<double>(x), static_cast<double>(y)};
    CDragContainer empty;
    if (!overWindow_) {
        overWindow_ = true;
        frame_.onDragEnter(empty, where_);
    } else {
        frame_.onDragMove(empty, where_);
    }
    const bool accept = type_ != None;
    // Bit 1: send every position, the frame tracks the view under the pointer.
    sendToSource(status_, (accept ? 1 : 0) | 2, 0, 0, accept ? static_cast<long>(actionCopy_) : 0);
}

void XdndTarget::leave() {
    if (overWindow_) {
        CDragContainer empty;
        frame_.onDragLeave(empty, where_);
    }
    reset();
}

void XdndTarget::drop(const XClientMessageEvent& event) {
    if (static_cast<Window>(event.data.l[0]) != source_) return;
    if (type_ == None) {
        finish(false);
        leave();
        return;
    }
    waitingForData_ = true;
    XConvertSelection(display_, selection_, type_, property_, window_,
                      static_cast<Time>(event.data.l[2]));
    XFlush(display_);
}

bool XdndTarget::handleSelectionNotify(const XSelectionEvent& event) {
    if (event.selection != selection_ || !waitingForData_) return false;
    std::string bytes;
    bool received = false;
    if (event.property != None) {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_, window_, event.property, 0, kMaxDropLongs, True,
                               AnyPropertyType, &actualType, &format, &count, &after,
                               &data) == Success &&
            data && format == 8 && after == 0) {
            bytes.assign(reinterpret_cast<const char*>(data), count);
            received = true;
        }
        if (data) XFree(data);
    }
    bool delivered = false;
    if (received) {
        CDragContainer container(type_ == uriList_ ? ParseUriList(bytes) : ParseDroppedText(bytes));
        delivered = container.count() > 0;
        if (delivered) frame_.onDrop(container, where_);
    }
    finish(delivered);
    reset();
    return true;
}

void XdndTarget::sendToSource(Atom type, long l1, long l2, long l3, long l4) {
    if (source_ == None) return;
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.display = display_;
    message.xclient.window = source_;
    message.xclient.message_type = type;
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(window_);
    message.xclient.data.l[1] = l1;
    message.xclient.data.l[2] = l2;
    message.xclient.data.l[3] = l3;
    message.xclient.data.l[4] = l4;
    // The source may be gone already.
    X11ErrorTrap trap(display_);
    XSendEvent(display_, source_, False, NoEventMask, &message);
}

void XdndTarget::finish(bool accepted) {
    sendToSource(finished_, accepted ? 1 : 0, accepted ? static_cast<long>(actionCopy_) : 0, 0, 0);
}

void XdndTarget::reset() {
    source_ = None;
    sourceVersion_ = 0;
    type_ = None;
    overWindow_ = false;
    waitingForData_ = false;
}
