#include "tests/editor_window/x11_host.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "editor/frame.h"
#include "editor/orbel_editor.h"
#include "plugin/orbel.h"
#include "tests/editor_window/editor_effect.h"

void PrivateDisplay::SetUp() {
    ASSERT_NE(std::getenv("LOTTA_SHARED_DISPLAY"), nullptr)
        << "no private X server: run the window tests through scripts/with-xvfb.sh";
}

X11Host::X11Host() : display_(XOpenDisplay(nullptr)) {}

X11Host::~X11Host() {
    if (display_) XCloseDisplay(display_);
}

Window X11Host::CreateParent(int x, int y, int width, int height) {
    const int screen = DefaultScreen(display_);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = WhitePixel(display_, screen);
    const Window window =
        XCreateWindow(display_, RootWindow(display_, screen), x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWBackPixel, &attributes);
    XMapWindow(display_, window);
    XSync(display_, False);
    return window;
}

void X11Host::DestroyParent(Window window) {
    XDestroyWindow(display_, window);
    XSync(display_, False);
}

std::vector<Window> X11Host::Children(Window parent) {
    XSync(display_, False);
    Window root = None, up = None;
    Window* list = nullptr;
    unsigned int count = 0;
    std::vector<Window> children;
    if (XQueryTree(display_, parent, &root, &up, &list, &count)) {
        children.assign(list, list + count);
        if (list) XFree(list);
    }
    return children;
}

uint32_t X11Host::Pixel(Window window, int x, int y) {
    XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xDEADBEEF;
    const auto pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return pixel;
}

void X11Host::MoveTo(int x, int y) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    XSync(display_, False);
}

void X11Host::Button(unsigned int button, bool press) {
    XTestFakeButtonEvent(display_, button, press ? True : False, CurrentTime);
    XSync(display_, False);
}

void X11Host::Click(unsigned int button) {
    Button(button, true);
    Button(button, false);
}

void X11Host::Key(unsigned long keysym, bool press) {
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), press ? True : False,
                      CurrentTime);
    XSync(display_, False);
}

bool X11Host::PointerFree() {
    const int result = XGrabPointer(display_, DefaultRootWindow(display_), False, 0, GrabModeAsync,
                                    GrabModeAsync, None, None, CurrentTime);
    if (result == GrabSuccess) XUngrabPointer(display_, CurrentTime);
    XSync(display_, False);
    return result == GrabSuccess;
}

bool X11Host::PumpUntil(std::initializer_list<EditorInstance*> instances,
                        const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end) {
        for (EditorInstance* instance : instances) instance->Dispatch(effEditIdle);
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

void X11Host::Pump(std::initializer_list<EditorInstance*> instances) {
    for (int i = 0; i < 25; ++i) {
        for (EditorInstance* instance : instances) instance->Dispatch(effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

COrbelEditor* EditorOf(EditorInstance& instance) {
    return dynamic_cast<COrbelEditor*>(instance.adapter()->getEditor());
}

CFrame* FrameOf(EditorInstance& instance) {
    COrbelEditor* editor = EditorOf(instance);
    return editor ? editor->getFrame() : nullptr;
}

Window EditorWindow(EditorInstance& instance) {
    CFrame* frame = FrameOf(instance);
    if (!frame || !frame->window()) return None;
    return static_cast<Window>(reinterpret_cast<uintptr_t>(frame->window()->handle()));
}
