#include "editor/x11/x11_window.h"

#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "editor/frame.h"
#include "editor/x11/x11_error_trap.h"

namespace {
constexpr unsigned long kDoubleClickMs = 400;
constexpr int kDoubleClickDistance = 4;
constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask |
                            StructureNotifyMask;
constexpr unsigned int kGrabMask =
    ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask;

int32_t ButtonBit(unsigned int button) {
    switch (button) {
        case Button1:
            return kLButton;
        case Button2:
            return kMButton;
        case Button3:
            return kRButton;
        case 8:
            return kButton4;
        case 9:
            return kButton5;
        default:
            return 0;
    }
}

CPoint At(int x, int y) {
    return {static_cast<double>(x), static_cast<double>(y)};
}

int ShiftOf(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

bool HostIsLittleEndian() {
    const uint32_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}
}  // namespace

int32_t ButtonsFromX11State(unsigned int state) {
    int32_t buttons = 0;
    if (state & Button1Mask) buttons |= kLButton;
    if (state & Button2Mask) buttons |= kMButton;
    if (state & Button3Mask) buttons |= kRButton;
    if (state & ShiftMask) buttons |= kShift;
    if (state & ControlMask) buttons |= kControl;
    if (state & Mod1Mask) buttons |= kAlt;
    return buttons;
}

std::unique_ptr<X11Window> X11Window::Create(CFrame& frame, Window parent, int32_t width,
                                             int32_t height) {
    if (parent == None || width <= 0 || height <= 0) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    std::unique_ptr<X11Window> window(new (std::nothrow) X11Window(frame, display));
    if (!window) {
        XCloseDisplay(display);
        return nullptr;
    }
    if (!window->createWindow(parent, width, height)) return nullptr;
    return window;
}

X11Window::X11Window(CFrame& frame, Display* display) : frame_(frame), display_(display) {}

bool X11Window::createWindow(Window parent, int32_t width, int32_t height) {
    const int screen = DefaultScreen(display_);
    visual_ = DefaultVisual(display_, screen);
    depth_ = DefaultDepth(display_, screen);
    if (depth_ != 24 && depth_ != 32) return false;
    X11ErrorTrap trap(display_);
    // An own colormap and border pixel let the window differ in visual from the host's.
    colormap_ = XCreateColormap(display_, parent, visual_, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap_;
    attributes.border_pixel = 0;
    // No background: the server must not clear what the frame paints.
    attributes.background_pixmap = None;
    attributes.event_mask = kEventMask;
    window_ = XCreateWindow(display_, parent, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, depth_, InputOutput, visual_,
                            CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
    if (trap.failed()) {
        // The parent id was not a window: nothing was made (or what was made is unusable).
        destroyed_ = true;
        return false;
    }
    width_ = width;
    height_ = height;
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    dnd_ = std::make_unique<XdndTarget>(display_, window_, frame_);
    XMapWindow(display_, window_);
    XFlush(display_);
    return true;
}

X11Window::~X11Window() {
    if (display_) {
        if (grabbed_) XUngrabPointer(display_, CurrentTime);
        {
            X11ErrorTrap trap(display_);
            if (window_ != None && !destroyed_) XDestroyWindow(display_, window_);
            if (gc_) XFreeGC(display_, gc_);
            if (cursor_ != None) XFreeCursor(display_, cursor_);
            if (colormap_ != None) XFreeColormap(display_, colormap_);
        }
        dnd_.reset();
        XCloseDisplay(display_);
    }
}

void* X11Window::handle() const {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(window_));
}

void X11Window::invalidate(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (destroyed_ || width <= 0 || height <= 0) return;
    const int32_t left = std::max(x, 0);
    const int32_t top = std::max(y, 0);
    const int32_t right = std::min(x + width, width_);
    const int32_t bottom = std::min(y + height, height_);
    if (right <= left || bottom <= top) return;
    if (!invalid_) {
        invalid_ = true;
        invalidLeft_ = left;
        invalidTop_ = top;
        invalidRight_ = right;
        invalidBottom_ = bottom;
        return;
    }
    invalidLeft_ = std::min(invalidLeft_, left);
    invalidTop_ = std::min(invalidTop_, top);
    invalidRight_ = std::max(invalidRight_, right);
    invalidBottom_ = std::max(invalidBottom_, bottom);
}

void X11Window::capturePointer() {
    if (destroyed_) return;
    grabbed_ = XGrabPointer(display_, window_, False, kGrabMask, GrabModeAsync, GrabModeAsync, None,
                            None, CurrentTime) == GrabSuccess;
}

void X11Window::releasePointer() {
    if (!grabbed_) return;
    XUngrabPointer(display_, CurrentTime);
    XFlush(display_);
    grabbed_ = false;
}

bool X11Window::queryPointer(CPoint& where, int32_t& buttons) {
    if (destroyed_) return false;
    Window root = None, child = None;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display_, window_, &root, &child, &rootX, &rootY, &x, &y, &mask)) {
        return false;
    }
    where = At(x, y);
    buttons = ButtonsFromX11State(mask) | extraButtons_;
    return true;
}

void X11Window::setCursor(int32_t kind) {
    if (destroyed_) return;
    unsigned int shape = 0;
    switch (kind) {
        case 1:
            shape = XC_watch;
            break;
        case 2:
            shape = XC_sb_h_double_arrow;
            break;
        case 3:
            shape = XC_sb_v_double_arrow;
            break;
        case 4:
            shape = XC_fleur;
            break;
        case 5:
            shape = XC_bottom_right_corner;
            break;
        case 6:
            shape = XC_bottom_left_corner;
            break;
        case 8:
            shape = XC_circle;
            break;
        case 9:
            shape = XC_hand2;
            break;
        default:
            break;
    }
    if (cursor_ != None) {
        XUndefineCursor(display_, window_);
        XFreeCursor(display_, cursor_);
        cursor_ = None;
    }
    if (shape) {
        cursor_ = XCreateFontCursor(display_, shape);
        XDefineCursor(display_, window_, cursor_);
    }
    XFlush(display_);
}

void X11Window::processEvents() {
    while (!destroyed_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        handleEvent(event);
    }
    paintPending();
}

void X11Window::paintPending() {
    if (destroyed_ || !invalid_) return;
    invalid_ = false;
    frame_.platformPaint({static_cast<double>(invalidLeft_), static_cast<double>(invalidTop_),
                          static_cast<double>(invalidRight_), static_cast<double>(invalidBottom_)});
}

void X11Window::handleEvent(XEvent& event) {
    switch (event.type) {
        case Expose:
            invalidate(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
            break;
        case ButtonPress:
            buttonPress(event.xbutton);
            break;
        case ButtonRelease:
            buttonRelease(event.xbutton);
            break;
        case MotionNotify: {
            CPoint where = At(event.xmotion.x, event.xmotion.y);
            frame_.onMouseMoved(where, ButtonsFromX11State(event.xmotion.state) | extraButtons_);
            break;
        }
        case LeaveNotify:
            // Grabs and moves into a child window are not the pointer leaving.
            if (event.xcrossing.mode == NotifyNormal && event.xcrossing.detail != NotifyInferior) {
                CPoint where = At(event.xcrossing.x, event.xcrossing.y);
                frame_.onMouseExited(where,
                                     ButtonsFromX11State(event.xcrossing.state) | extraButtons_);
            }
            break;
        case KeyPress:
        case KeyRelease:
            key(event.xkey, event.type == KeyPress);
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == window_) {
                destroyed_ = true;
                grabbed_ = false;
                frame_.platformWindowDestroyed();
            }
            break;
        case ClientMessage:
            if (dnd_) dnd_->handleClientMessage(event.xclient);
            break;
        case SelectionNotify:
            if (dnd_) dnd_->handleSelectionNotify(event.xselection);
            break;
        default:
            break;
    }
}

void X11Window::buttonPress(const XButtonEvent& event) {
    const int32_t modifiers = ButtonsFromX11State(event.state) & (kShift | kControl | kAlt);
    CPoint where = At(event.x, event.y);
    if (event.button == Button4 || event.button == Button5) {
        // One wheel notch per press; away from the user is positive.
        frame_.onWheel(where, event.button == Button4 ? 1.0f : -1.0f, modifiers);
        return;
    }
    const int32_t bit = ButtonBit(event.button);
    if (!bit) return;  // horizontal wheel and unknown buttons
    if (bit == kButton4 || bit == kButton5) extraButtons_ |= bit;
    int32_t buttons = ButtonsFromX11State(event.state) | extraButtons_ | bit;
    const bool isDouble = !lastWasDouble_ && event.button == lastButton_ &&
                          event.time - lastPressTime_ <= kDoubleClickMs &&
                          std::abs(event.x - lastPressX_) <= kDoubleClickDistance &&
                          std::abs(event.y - lastPressY_) <= kDoubleClickDistance;
    lastWasDouble_ = isDouble;
    lastButton_ = event.button;
    lastPressTime_ = event.time;
    lastPressX_ = event.x;
    lastPressY_ = event.y;
    if (isDouble) buttons |= kDoubleClickBit;
    if (frame_.onMouseDown(where, buttons) == kMouseHandled) capturePointer();
}

void X11Window::buttonRelease(const XButtonEvent& event) {
    const int32_t bit = ButtonBit(event.button);
    if (!bit) return;
    extraButtons_ &= ~(bit & (kButton4 | kButton5));
    // The released button is no longer held.
    const int32_t buttons = (ButtonsFromX11State(event.state) | extraButtons_) & ~bit;
    CPoint where = At(event.x, event.y);
    frame_.onMouseUp(where, buttons);
    releasePointer();
}

void X11Window::key(const XKeyEvent& event, bool down) {
    XKeyEvent copy = event;
    char text[8] = {};
    KeySym keysym = NoSymbol;
    const int length = XLookupString(&copy, text, sizeof text - 1, &keysym, nullptr);
    VstKeyCode code{};
    code.character = length == 1 ? static_cast<unsigned char>(text[0]) : 0;
    if (keysym == XK_Tab || keysym == XK_ISO_Left_Tab) {
        code.virt = 2;
        code.character = 0;
    }
    if (down) {
        frame_.onKeyDown(code);
    } else {
        frame_.onKeyUp(code);
    }
}

void X11Window::present(const PixelBuffer& pixels, int32_t x, int32_t y, int32_t width,
                        int32_t height) {
    // Rows are read straight from the buffer: a short one would be read past its end.
    if (destroyed_ || !gc_ || !HoldsAllPixels(pixels)) return;
    x = std::max(x, 0);
    y = std::max(y, 0);
    width = std::min({width, pixels.width - x, width_ - x});
    height = std::min({height, pixels.height - y, height_ - y});
    if (width <= 0 || height <= 0) return;
    XImage* image =
        XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                     static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!image) return;
    const bool direct = image->bits_per_pixel == 32 && visual_->red_mask == 0xFF0000 &&
                        visual_->green_mask == 0xFF00 && visual_->blue_mask == 0xFF;
    const size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
    image->data = static_cast<char*>(std::malloc(bytes));
    if (!image->data) {
        XDestroyImage(image);
        return;
    }
    if (direct) image->byte_order = HostIsLittleEndian() ? LSBFirst : MSBFirst;
    const int redShift = ShiftOf(visual_->red_mask);
    const int greenShift = ShiftOf(visual_->green_mask);
    const int blueShift = ShiftOf(visual_->blue_mask);
    for (int32_t row = 0; row < height; ++row) {
        const uint32_t* source =
            pixels.argb.data() + static_cast<size_t>(y + row) * pixels.width + x;
        if (direct) {
            std::memcpy(image->data + static_cast<size_t>(row) * image->bytes_per_line, source,
                        static_cast<size_t>(width) * 4);
            continue;
        }
        for (int32_t column = 0; column < width; ++column) {
            const uint32_t p = source[column];
            const unsigned long pixel =
                (static_cast<unsigned long>((p >> 16) & 0xFF) << redShift) |
                (static_cast<unsigned long>((p >> 8) & 0xFF) << greenShift) |
                (static_cast<unsigned long>(p & 0xFF) << blueShift);
            XPutPixel(image, column, row, pixel);
        }
    }
    XPutImage(display_, window_, gc_, image, 0, 0, x, y, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    XDestroyImage(image);  // frees the pixel copy too
    XFlush(display_);
}

void X11Window::resize(int32_t width, int32_t height) {
    if (destroyed_ || width <= 0 || height <= 0) return;
    width_ = width;
    height_ = height;
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display_);
}

void X11Window::setDropActive(bool active) {
    if (destroyed_ || !dnd_) return;
    dnd_->setAware(active);
    XFlush(display_);
}
